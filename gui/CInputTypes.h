// Mouse buttons, modifiers and keys as the toolkit's views receive them.
#pragma once

#include <cstdint>

#include "shell/KeyCode.h"

namespace gui
{

// Mouse buttons and modifiers as passed in `buttons`; -1 there means "not
// known, read the current state".
enum CButtonState : std::int32_t
{
    buttonLeft = 1,
    buttonMiddle = 2,
    buttonRight = 4,
    modShift = 8,
    modControl = 16,
    modAlt = 32,
    modCommand = 64,
};
inline constexpr std::int32_t kUnknownButtons = -1;
inline constexpr std::int32_t kAnyModifierMask = 0x78;

// Virtual keys and modifier bits of the host's key record that the toolkit reacts to.
inline constexpr unsigned char kVirtualKeyTab = VKEY_TAB;
inline constexpr unsigned char kVirtualKeyLeft = VKEY_LEFT;
inline constexpr unsigned char kVirtualKeyUp = VKEY_UP;
inline constexpr unsigned char kVirtualKeyRight = VKEY_RIGHT;
inline constexpr unsigned char kVirtualKeyDown = VKEY_DOWN;
inline constexpr unsigned char kKeyModifierShift = MODIFIER_SHIFT;

// Answer of key handlers that did not use the key.
inline constexpr std::int32_t kKeyNotHandled = -1;

} // namespace gui
