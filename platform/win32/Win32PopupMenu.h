// The toolkit's menu as a native pop-up menu, shown modally.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace platform::win32
{

// Answers the chosen item's command, or -1 when the menu was dismissed.
int32_t runPopupMenu(HWND owner, const Menu& menu, Point screen, bool trackRight);

} // namespace platform::win32
