#include "raster/CTextRenderer.h"

#include <algorithm>
#include <map>

#include "raster/TextFaces.h"

namespace gui
{

namespace
{

// Windows-1252 code points for bytes 0x80..0x9F; the rest map to themselves.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

char32_t cp1252ToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char32_t(c);
}

struct CTextRenderer::Impl
{
    std::unique_ptr<TextFaces> system = makeSystemTextFaces();
    std::map<int, std::unique_ptr<TextFace>> faces; // key: (scale * 64 + fontId) * 8 + style

    TextFace& face(int fontId, int style, int scale)
    {
        scale = std::clamp(scale, 1, 8);
        fontId = normalisedFontId(fontId);
        style &= kFontBold | kFontItalic | kFontUnderline;
        const CFontDescription& font = kFontTable[std::size_t(fontId)];
        if (font.bold) style |= kFontBold;
        std::unique_ptr<TextFace>& slot = faces[(scale * 64 + fontId) * 8 + style];
        if (!slot)
            slot =
                system->open(font, (style & kFontBold) != 0, (style & kFontItalic) != 0, font.height * scale);
        return *slot;
    }

    const TextGlyph& glyph(TextFace& f, unsigned char c)
    {
        std::optional<TextGlyph>& slot = f.glyphs[c];
        if (!slot) slot = system->render(f, c);
        return *slot;
    }
};

CTextRenderer& CTextRenderer::shared()
{
    static CTextRenderer renderer;
    return renderer;
}

CTextRenderer::CTextRenderer() : impl(std::make_unique<Impl>()) {}
CTextRenderer::~CTextRenderer() = default;

CTextMetrics CTextRenderer::metrics(int fontId, int style, int scale)
{
    std::lock_guard lock(mutex);
    return impl->face(fontId, style, scale).metrics;
}

int CTextRenderer::measure(int fontId, int style, std::string_view text, int scale)
{
    std::lock_guard lock(mutex);
    TextFace& f = impl->face(fontId, style, scale);
    int width = 0;
    for (char c : text)
        width += impl->glyph(f, static_cast<unsigned char>(c)).advance;
    return width;
}

void CTextRenderer::render(CPixelSurface& surface, const CViewRect& clip, int x, int top, int fontId,
                           int style, std::string_view text, Pixel colour, int scale)
{
    std::lock_guard lock(mutex);
    TextFace& f = impl->face(fontId, style, scale);
    const int baseline = top + f.metrics.ascent;
    const int startX = x;
    for (char c : text)
    {
        const TextGlyph& g = impl->glyph(f, static_cast<unsigned char>(c));
        if (!g.coverage.empty())
            surface.blendCoverage(x + g.left, baseline - g.top, g.coverage.data(), g.width, g.rows, g.width,
                                  colour, clip);
        x += g.advance;
    }
    if ((style & kFontUnderline) && x > startX)
    {
        const int y = baseline + f.underlineOffset - f.underlineThickness / 2;
        surface.fill(CViewRect{startX, y, x, y + f.underlineThickness}, colour, clip);
    }
}

std::string CTextRenderer::fontFile(int fontId, int style)
{
    std::lock_guard lock(mutex);
    return impl->face(fontId, style, 1).source;
}

} // namespace gui
