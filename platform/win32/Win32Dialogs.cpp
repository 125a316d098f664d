#include "platform/win32/Win32Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace platform::win32
{

std::string filterList(const std::vector<FileFilter>& filters)
{
    std::string list;
    for (const FileFilter& filter : filters)
    {
        list += filter.description;
        list += '\0';
        list += filter.pattern;
        list += '\0';
    }
    list += '\0';
    return list;
}

std::optional<std::string> runFileDialog(const FileChooserRequest& request, HWND owner)
{
    std::vector<char> path(MAX_PATH, '\0');
    request.fileName.copy(path.data(), path.size() - 1);
    const std::string filters = filterList(request.filters);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.selectedFilter + 1);
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = request.directory.empty() ? nullptr : request.directory.c_str();
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    // The process's working directory is the host's: the dialog leaves it alone.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (request.mustExist) dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (request.confirmOverwrite) dialog.Flags |= OFN_OVERWRITEPROMPT;

    const bool save = request.mode == FileChooserRequest::Mode::Save;
    if (!(save ? ::GetSaveFileNameA(&dialog) : ::GetOpenFileNameA(&dialog))) return std::nullopt;
    return std::string(path.data());
}

void runMessageBox(const MessageRequest& request)
{
    UINT icon = 0;
    switch (request.icon)
    {
    case MessageIcon::Information:
        icon = MB_ICONINFORMATION;
        break;
    case MessageIcon::Warning:
        icon = MB_ICONWARNING;
        break;
    case MessageIcon::Error:
        icon = MB_ICONERROR;
        break;
    case MessageIcon::NoIcon:
        break;
    }
    // No owner, yet modal to the thread's windows, so a click on the editor
    // cannot start a second operation beneath it.
    ::MessageBoxW(nullptr, wideOf(request.text).c_str(), wideOf(request.caption).c_str(),
                  MB_OK | MB_TASKMODAL | icon);
}

} // namespace platform::win32
