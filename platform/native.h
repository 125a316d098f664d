// The window system of the machine we run on.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform
{

// A backend on its own connection to the window system; null when none can be
// reached (no display). Each call gives an independent backend.
std::unique_ptr<Platform> createNativePlatform();

} // namespace platform
