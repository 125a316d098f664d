// The key record of editor key events and the keys and modifiers this system
// uses: all the toolkit needs of the interface.
#pragma once

#include <cstddef>
#include <cstdint>

using VstInt32 = std::int32_t;

// Key record built by the dispatcher for effEditKeyDown / effEditKeyUp.
struct VstKeyCode
{
    VstInt32 character;
    unsigned char virt;     // virtual key code
    unsigned char modifier; // modifier bits
};
static_assert(offsetof(VstKeyCode, character) == 0);
static_assert(offsetof(VstKeyCode, virt) == 4);
static_assert(offsetof(VstKeyCode, modifier) == 5);
static_assert(sizeof(VstKeyCode) == 8);

// The virtual keys and modifier bits of the key record that this system uses.
enum VstVirtualKey : unsigned char
{
    VKEY_TAB = 2,
    VKEY_LEFT = 11,
    VKEY_UP = 12,
    VKEY_RIGHT = 13,
    VKEY_DOWN = 14,
};
enum VstModifierKey : unsigned char
{
    MODIFIER_SHIFT = 1 << 0,
};
