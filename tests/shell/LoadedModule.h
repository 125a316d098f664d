// A plug-in module loaded as a host loads it (dlopen on Linux, LoadLibrary on
// Windows), and the names it exports, read from the file's own tables.
#pragma once

#include <cstdio>
#include <set>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

class LoadedModule
{
  public:
    explicit LoadedModule(const char* path)
    {
#ifdef _WIN32
        module = ::LoadLibraryA(path);
        if (!module) failure = "LoadLibrary failed: " + std::to_string(::GetLastError());
#else
        module = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!module) failure = ::dlerror();
#endif
    }
    ~LoadedModule()
    {
#ifdef _WIN32
        if (module) ::FreeLibrary(module);
#else
        if (module) ::dlclose(module);
#endif
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const
    {
        return module != nullptr;
    }
    const std::string& error() const
    {
        return failure;
    }
    void* handle() const
    {
        return reinterpret_cast<void*>(module);
    }

    void* symbol(const char* name) const
    {
#ifdef _WIN32
        return reinterpret_cast<void*>(::GetProcAddress(module, name));
#else
        return ::dlsym(module, name);
#endif
    }

  private:
#ifdef _WIN32
    HMODULE module = nullptr;
#else
    void* module = nullptr;
#endif
    std::string failure;
};

#ifdef _WIN32
// The export table of a loaded DLL, read from its image in memory.
inline std::set<std::string> exportedNames(const LoadedModule& loaded)
{
    const auto* base = static_cast<const unsigned char*>(loaded.handle());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (table.Size == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + table.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
    return names;
}
#else
// The dynamic symbols the file defines, as nm lists them.
inline std::set<std::string> exportedNames(const char* path)
{
    const std::string command = std::string("nm -D --defined-only '") + path + "'";
    std::set<std::string> names;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
    {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) names.insert(name);
    }
    if (::pclose(pipe) != 0) names.insert("<nm failed>");
    return names;
}
#endif
