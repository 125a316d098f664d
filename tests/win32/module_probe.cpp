// Built into a DLL with the plug-in's DllMain: tells what the module kept.
#include <cstring>

#include "platform/win32/Module.h"

extern "C" __declspec(dllexport) void* probeModuleInstance()
{
    return platform::win32::moduleInstance();
}

extern "C" __declspec(dllexport) int probeModuleFileName(char* buffer, int size)
{
    const std::string name = platform::win32::moduleFileName();
    if (size <= 0 || name.size() >= static_cast<std::size_t>(size)) return -1;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return static_cast<int>(name.size());
}
