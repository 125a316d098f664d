// The common file dialogs and the message box. Paths stay in the system's
// code page, which is what the Windows file access opens them with.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/platform.h"

namespace platform::win32
{

// Modal, owned by the top-level window around `owner` (none when null);
// empty when cancelled.
std::optional<std::string> runFileDialog(const FileChooserRequest& request, HWND owner);

// The filter list as the dialogs take it: pairs of NUL-ended strings, then
// one more NUL.
std::string filterList(const std::vector<FileFilter>& filters);

// Modal to this thread's windows, one OK button.
void runMessageBox(const MessageRequest& request);

} // namespace platform::win32
