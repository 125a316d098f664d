#include "platform/x11/X11Text.h"

#include <cstdlib>

#include "platform/TextEncoding.h"
#include "raster/CFontTable.h"
#include "raster/CTextRenderer.h"

namespace platform::x11
{

std::size_t previousBoundary(std::string_view text, std::size_t offset)
{
    if (offset == 0) return 0;
    std::size_t i = offset - 1;
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        --i;
    return i;
}

std::size_t nextBoundary(std::string_view text, std::size_t offset)
{
    if (offset >= text.size()) return text.size();
    std::size_t i = offset + 1;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

int fontIdFor(int height, bool bold)
{
    int best = 3;
    int bestScore = 1 << 30;
    for (int id = 0; id < gui::kFontCount; ++id)
    {
        const gui::CFontDescription& font = gui::kFontTable[static_cast<std::size_t>(id)];
        if (font.decorative) continue;
        const int score = std::abs(font.height - height) * 4 + (font.bold != bold ? 1 : 0);
        if (score < bestScore)
        {
            bestScore = score;
            best = id;
        }
    }
    return best;
}

int textWidth(const TextStyle& style, std::string_view utf8)
{
    return gui::CTextRenderer::shared().measure(style.fontId, style.styleBits, toWindows1252(utf8),
                                                style.scale);
}

int textHeight(const TextStyle& style)
{
    return gui::CTextRenderer::shared().metrics(style.fontId, style.styleBits, style.scale).height();
}

void drawText(gui::CPixelSurface& surface, const gui::CViewRect& clip, int x, int top, const TextStyle& style,
              std::string_view utf8, gui::Pixel colour)
{
    gui::CTextRenderer::shared().render(surface, clip, x, top, style.fontId, style.styleBits,
                                        toWindows1252(utf8), colour, style.scale);
}

} // namespace platform::x11
