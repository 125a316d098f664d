// Plain value records of geometry and colour, shared by the toolkit and the
// window-system backends.
#pragma once

#include <algorithm>
#include <cstdint>

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

} // namespace gui
