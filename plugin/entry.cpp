// The module's only visible symbols: the entry a host looks up by name, under
// both names hosts use for it.
#include "plugin/AutoComp.h"
#include "shell/host_interface.h"

#include <new>

// On Windows the module definition file (exports.def) names the exports.
#ifdef _WIN32
#define AMBERLIT_EXPORT
#else
#define AMBERLIT_EXPORT __attribute__((visibility("default")))
#endif

extern "C" AMBERLIT_EXPORT AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    AutoComp* effect = nullptr;
    try
    {
        effect = new AutoComp(host);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // an exception must never unwind into the host
    }
    return effect->getAeffect();
}

#ifndef _WIN32
// "main" cannot be declared with this signature in C++; an assembler label
// gives the same function its second name.
extern "C" AMBERLIT_EXPORT AEffect* pluginMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
