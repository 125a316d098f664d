// Windows calls this when it maps the DLL into a host. The module handle is
// all the module keeps here: the loader lock forbids more. Thread calls stay
// on, as the statically linked runtime needs them.
#include <windows.h>

#include "platform/win32/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) platform::win32::rememberModule(instance);
    return TRUE;
}
