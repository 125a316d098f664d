// The DLL's own module. DllMain keeps its instance handle when Windows loads
// it; window classes and resources are registered and loaded with this
// handle, never with the host program's.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform::win32
{

// Called by DllMain on process attach, before any other code of the module runs.
void rememberModule(NativeHandle instance);

// The instance handle DllMain kept; null in a program that links the code
// without loading it as a DLL.
NativeHandle moduleInstance();

// The full path (UTF-8) of the module's file (of the program when there is
// no module handle); empty when Windows cannot tell it.
std::string moduleFileName();

} // namespace platform::win32
