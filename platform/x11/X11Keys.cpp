#include "platform/x11/X11Keys.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace platform::x11
{

namespace
{

struct KeyName
{
    KeySym keysym;
    Key key;
};

constexpr KeyName kKeys[] = {
    {XK_BackSpace, Key::Backspace},
    {XK_Tab, Key::Tab},
    {XK_ISO_Left_Tab, Key::Tab},
    {XK_Return, Key::Return},
    {XK_KP_Enter, Key::Return},
    {XK_Escape, Key::Escape},
    {XK_space, Key::Space},
    {XK_Delete, Key::Delete},
    {XK_KP_Delete, Key::Delete},
    {XK_Insert, Key::Insert},
    {XK_KP_Insert, Key::Insert},
    {XK_Home, Key::Home},
    {XK_KP_Home, Key::Home},
    {XK_End, Key::End},
    {XK_KP_End, Key::End},
    {XK_Prior, Key::PageUp},
    {XK_KP_Prior, Key::PageUp},
    {XK_Next, Key::PageDown},
    {XK_KP_Next, Key::PageDown},
    {XK_Left, Key::Left},
    {XK_KP_Left, Key::Left},
    {XK_Up, Key::Up},
    {XK_KP_Up, Key::Up},
    {XK_Right, Key::Right},
    {XK_KP_Right, Key::Right},
    {XK_Down, Key::Down},
    {XK_KP_Down, Key::Down},
    {XK_F1, Key::F1},
    {XK_F2, Key::F2},
    {XK_F3, Key::F3},
    {XK_F4, Key::F4},
    {XK_F5, Key::F5},
    {XK_F6, Key::F6},
    {XK_F7, Key::F7},
    {XK_F8, Key::F8},
    {XK_F9, Key::F9},
    {XK_F10, Key::F10},
    {XK_F11, Key::F11},
    {XK_F12, Key::F12},
};

} // namespace

KeySym keysymOf(const XKeyEvent& event)
{
    XKeyEvent copy = event; // XLookupString wants a mutable event
    char buffer[8];
    KeySym keysym = NoSymbol;
    XLookupString(&copy, buffer, sizeof buffer, &keysym, nullptr);
    return keysym;
}

Key keyOf(KeySym keysym)
{
    for (const KeyName& k : kKeys)
        if (k.keysym == keysym) return k.key;
    return kCharacterKey;
}

char32_t characterOf(KeySym keysym)
{
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<char32_t>(keysym);
    if ((keysym & 0xFF000000UL) == 0x01000000UL) // direct Unicode key symbols
        return static_cast<char32_t>(keysym & 0x00FFFFFFUL);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<char32_t>(U'0' + (keysym - XK_KP_0));
    return 0;
}

} // namespace platform::x11
