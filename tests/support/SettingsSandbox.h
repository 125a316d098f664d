// Gives a test a settings store of its own, empty at the start and removed at
// the end: on Linux a private folder that AMBERLIT_CONFIG_DIR names; on
// Windows the product's registry keys, cleared under both roots (the Windows
// tests that touch them hold one CTest lock).
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#endif

class SettingsSandbox
{
  public:
#ifdef _WIN32
    static constexpr const char* kVendorKey = "SOFTWARE\\TRV-sonikwerk";

    SettingsSandbox()
    {
        clear();
    }
    ~SettingsSandbox()
    {
        clear();
    }

    static void clear()
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kVendorKey);
    }
#else
    SettingsSandbox()
    {
        static int count = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("amberlit-settings-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
        std::filesystem::remove_all(folder);
        const char* previous = std::getenv("AMBERLIT_CONFIG_DIR");
        savedDir = previous ? previous : "";
        hadDir = previous != nullptr;
        ::setenv("AMBERLIT_CONFIG_DIR", folder.c_str(), 1);
    }
    ~SettingsSandbox()
    {
        if (hadDir)
            ::setenv("AMBERLIT_CONFIG_DIR", savedDir.c_str(), 1);
        else
            ::unsetenv("AMBERLIT_CONFIG_DIR");
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path folder;

  private:
    std::string savedDir;
    bool hadDir = false;
#endif

    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;
};
