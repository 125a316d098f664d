#include "platform/win32/Win32PopupMenu.h"

#include "platform/win32/WideText.h"

namespace platform::win32
{

namespace
{

// Menu identifiers start at 1: TrackPopupMenu answers 0 for "nothing chosen".
UINT_PTR idOf(int32_t command)
{
    return static_cast<UINT_PTR>(command) + 1;
}

HMENU buildMenu(const std::vector<MenuItem>& items)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItem& item : items)
    {
        UINT flags = item.columnBreak ? MF_MENUBARBREAK : 0u;
        const std::wstring text = wideOf(item.text);
        switch (item.kind)
        {
        case MenuItem::Kind::Separator:
            ::AppendMenuW(menu, MF_SEPARATOR | flags, 0, nullptr);
            break;
        case MenuItem::Kind::SubMenu:
            if (HMENU sub = buildMenu(item.items))
                ::AppendMenuW(menu, MF_POPUP | MF_STRING | flags, reinterpret_cast<UINT_PTR>(sub),
                              text.c_str());
            break;
        case MenuItem::Kind::Greyed:
            ::AppendMenuW(menu, MF_STRING | MF_GRAYED | flags, 0, text.c_str());
            break;
        case MenuItem::Kind::Title:
            ::AppendMenuW(menu, MF_STRING | MF_DISABLED | flags, 0, text.c_str());
            break;
        case MenuItem::Kind::Command:
            flags |= item.checked ? MF_CHECKED : MF_UNCHECKED;
            ::AppendMenuW(menu, MF_STRING | flags, idOf(item.command), text.c_str());
            break;
        }
    }
    return menu;
}

} // namespace

int32_t runPopupMenu(HWND owner, const Menu& menu, Point screen, bool trackRight)
{
    HMENU popup = buildMenu(menu.items);
    if (!popup) return -1;
    // The choice comes back as the answer, so no command message is left
    // in the queue for the host to see.
    const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY |
                       (trackRight ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
    const BOOL chosen = ::TrackPopupMenu(popup, flags, screen.x, screen.y, 0, owner, nullptr);
    ::DestroyMenu(popup); // its sub-menus with it
    return chosen > 0 ? static_cast<int32_t>(chosen) - 1 : -1;
}

} // namespace platform::win32
