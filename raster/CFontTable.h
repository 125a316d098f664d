#pragma once
// The fixed font table: every text in the toolkit names a font by its index.

#include <array>

namespace gui
{

struct CFontDescription
{
    int height;       // character height in pixels (the em square, not the line cell)
    const char* face; // family name, resolved through the system's font matching
    bool bold;        // always bold, whatever style is asked for
    bool decorative;  // symbol face with its own character mapping
};

inline constexpr int kFontCount = 8;
inline constexpr std::array<CFontDescription, kFontCount> kFontTable{{
    {12, "Arial", true, false},
    {18, "Arial", false, false},
    {14, "Arial", false, false},
    {12, "Arial", false, false},
    {11, "Arial", false, false},
    {10, "Arial", false, false},
    {9, "Arial", false, false},
    {13, "Symbol", false, true},
}};

// Font style bits.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;

// Ids outside the table fall back to font 0.
constexpr int normalisedFontId(int fontId)
{
    return fontId >= 0 && fontId < kFontCount ? fontId : 0;
}

} // namespace gui
