// Key symbols to the toolkit's keys and characters.
#pragma once

#include <X11/Xlib.h>

#include "platform/platform.h"

namespace platform::x11
{

// Key::None, which Xlib's None macro hides in files that include it.
inline constexpr Key kCharacterKey = Key{};

// The key symbol of an event in the keyboard's first level, shifted as typed.
KeySym keysymOf(const XKeyEvent& event);
Key keyOf(KeySym keysym);
// The Unicode character a key symbol types; 0 for none.
char32_t characterOf(KeySym keysym);

} // namespace platform::x11
