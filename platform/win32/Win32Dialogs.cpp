#include "platform/win32/Win32Dialogs.h"

#include <commdlg.h>

#include <algorithm>
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
    // Wide throughout: a folder or file named in any language comes back as it is.
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring fileName = wideOf(request.fileName);
    fileName.copy(path.data(), std::min(fileName.size(), path.size() - 1));
    const std::wstring filters = wideOf(filterList(request.filters));
    const std::wstring directory = wideOf(request.directory);
    const std::wstring title = wideOf(request.title);
    const std::wstring extension = wideOf(request.defaultExtension);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.selectedFilter + 1);
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The process's working directory is the host's: the dialog leaves it alone.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (request.mustExist) dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (request.confirmOverwrite) dialog.Flags |= OFN_OVERWRITEPROMPT;

    const bool save = request.mode == FileChooserRequest::Mode::Save;
    if (!(save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog))) return std::nullopt;
    return utf8Of(path.data());
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
