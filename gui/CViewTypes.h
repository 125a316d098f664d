// Plain value records shared by every part of the toolkit.
#pragma once

#include <algorithm>
#include <cstdint>

#include "shell/host_interface.h"

namespace gui
{

struct CViewPoint
{
    std::int32_t h = 0; // horizontal
    std::int32_t v = 0; // vertical, growing downwards

    CViewPoint& offset(std::int32_t dh, std::int32_t dv)
    {
        h += dh;
        v += dv;
        return *this;
    }
    friend bool operator==(const CViewPoint&, const CViewPoint&) = default;
};

// Right and bottom are exclusive when painting, but every containment and
// overlap test is inclusive on all four edges: a click on the right or bottom
// edge still belongs to the rectangle.
struct CViewRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    CViewPoint topLeft() const { return {left, top}; }

    CViewRect& offset(std::int32_t dh, std::int32_t dv)
    {
        left += dh;
        right += dh;
        top += dv;
        bottom += dv;
        return *this;
    }
    CViewRect offsetBy(std::int32_t dh, std::int32_t dv) const
    {
        CViewRect r = *this;
        return r.offset(dh, dv);
    }
    bool pointInside(const CViewPoint& p) const
    {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
    bool rectOverlap(const CViewRect& b) const
    {
        return right >= b.left && b.right >= left && bottom >= b.top && b.bottom >= top;
    }
    // Clamps every edge into `b` (the intersection when they overlap).
    CViewRect& bound(const CViewRect& b)
    {
        left = std::clamp(left, b.left, std::max(b.left, b.right));
        right = std::clamp(right, b.left, std::max(b.left, b.right));
        top = std::clamp(top, b.top, std::max(b.top, b.bottom));
        bottom = std::clamp(bottom, b.top, std::max(b.top, b.bottom));
        return *this;
    }
    friend bool operator==(const CViewRect&, const CViewRect&) = default;
};

struct CViewColor
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255; // 255 = opaque

    friend bool operator==(const CViewColor&, const CViewColor&) = default;
};

inline constexpr CViewColor kTransparentWhiteCColor{255, 255, 255, 0};
inline constexpr CViewColor kBlackCColor{0, 0, 0, 255};
inline constexpr CViewColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CViewColor kGreyCColor{127, 127, 127, 255};
inline constexpr CViewColor kRedCColor{255, 0, 0, 255};

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
