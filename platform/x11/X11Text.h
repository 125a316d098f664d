// Text for the backend's own widgets (menus, edit fields, plain dialogs),
// drawn with the toolkit's text renderer into a pixel surface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"
#include "raster/CPixelSurface.h"

namespace platform::x11
{

using platform::characterCount;
using platform::toUtf8;
using platform::toWindows1252;
using platform::utf8Of;

// Byte offset of the character boundary before / after `offset`.
std::size_t previousBoundary(std::string_view text, std::size_t offset);
std::size_t nextBoundary(std::string_view text, std::size_t offset);

// The font of the toolkit's table nearest to a pixel height.
int fontIdFor(int height, bool bold);

struct TextStyle
{
    int fontId = 3;
    int styleBits = 0; // gui::kFont* bits
    int scale = 1;     // device pixels per logical pixel of the font's height
};

int textWidth(const TextStyle& style, std::string_view utf8);
int textHeight(const TextStyle& style);
void drawText(gui::CPixelSurface& surface, const gui::CViewRect& clip, int x, int top, const TextStyle& style,
              std::string_view utf8, gui::Pixel colour);

} // namespace platform::x11
