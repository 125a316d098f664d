// The DLL as Windows sees it: the module handle DllMain keeps, the system DLLs
// it needs (every Windows has them, so installing it is copying one file).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "platform/win32/Module.h"
#include "tests/shell/LoadedModule.h"

namespace
{

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The DLLs a loaded module imports, from the import table of its image.
std::set<std::string> importedModules(const LoadedModule& loaded)
{
    const auto* base = static_cast<const unsigned char*>(loaded.handle());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> names;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table.VirtualAddress);
         table.Size != 0 && entry->Name != 0; ++entry)
        names.insert(lowerCase(reinterpret_cast<const char*>(base + entry->Name)));
    return names;
}

TEST(Module, DllMainKeepsTheHandleWindowsLoadedTheModuleAt)
{
    EXPECT_EQ(platform::win32::moduleInstance(), nullptr) << "a program is no DLL: nothing was kept";
    const LoadedModule probe(PROBE_PATH);
    ASSERT_TRUE(probe.loaded()) << probe.error();
    const auto instance = reinterpret_cast<void* (*)()>(probe.symbol("probeModuleInstance"));
    const auto fileName = reinterpret_cast<int (*)(char*, int)>(probe.symbol("probeModuleFileName"));
    ASSERT_TRUE(instance && fileName);
    EXPECT_EQ(instance(), probe.handle());

    char name[1024];
    ASSERT_GT(fileName(name, sizeof name), 0);
    EXPECT_EQ(lowerCase(name).substr(lowerCase(name).rfind('\\') + 1), "moduleprobe.dll") << name;
    char expected[1024];
    ASSERT_GT(::GetModuleFileNameA(static_cast<HMODULE>(probe.handle()), expected, sizeof expected), 0u);
    EXPECT_STREQ(name, expected);
}

TEST(Module, ThePlugInImportsOnlyDllsEveryWindowsHas)
{
    const LoadedModule plugin(AMBERLIT_PLUGIN_PATH);
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "advapi32.dll",
                                           "ole32.dll",    "shell32.dll", "comdlg32.dll", "msvcrt.dll"};
    for (const std::string& name : importedModules(plugin))
        EXPECT_TRUE(allowed.count(name)) << name << " is not on every Windows";
}

} // namespace
