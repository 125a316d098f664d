// Text for the backend's own widgets (menus, edit fields, plain dialogs),
// drawn with the toolkit's text renderer into a pixel surface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/CPixelSurface.h"

namespace platform::x11
{

// Platform texts are UTF-8 while the renderer draws Windows-1252: characters
// outside that set become '?'. Bytes that are not valid UTF-8 are taken as
// Windows-1252 already, so older 8-bit names still show.
std::string toWindows1252(std::string_view utf8);

// The UTF-8 form of Windows-1252 text; valid UTF-8 is returned unchanged.
std::string toUtf8(std::string_view text);

// Number of characters (code points) in valid UTF-8, else of bytes.
std::size_t characterCount(std::string_view text);

// The UTF-8 form of one code point.
std::string utf8Of(char32_t character);

// Byte offset of the character boundary before / after `offset`.
std::size_t previousBoundary(std::string_view text, std::size_t offset);
std::size_t nextBoundary(std::string_view text, std::size_t offset);

// The font of the toolkit's table nearest to a pixel height.
int fontIdFor(int height, bool bold);

struct TextStyle
{
    int fontId = 3;
    int styleBits = 0; // gui::kFont* bits
};

int textWidth(const TextStyle& style, std::string_view utf8);
int textHeight(const TextStyle& style);
void drawText(gui::CPixelSurface& surface, const gui::CViewRect& clip, int x, int top, const TextStyle& style,
              std::string_view utf8, gui::Pixel colour);

} // namespace platform::x11
