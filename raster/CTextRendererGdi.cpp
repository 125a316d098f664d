// The text renderer of Windows builds: glyph coverage from GDI
// (GetGlyphOutline, 65 grey levels), blended into our own pixel surfaces as
// the FreeType renderer does on Linux, so that text lands in the same surface
// as everything else and a window only ever presents finished pixels.
#include "raster/CTextRenderer.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "raster/CFontTable.h"
#include "raster/GdiFonts.h"

namespace gui
{

namespace
{

// Windows-1252 code points for bytes 0x80..0x9F; the rest map to themselves.
constexpr std::array<wchar_t, 32> kCp1252High{0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                              0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

wchar_t cp1252ToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : wchar_t(c);
}

// Families of fallback faces, in the order the Linux build's matching picks.
constexpr const char* kSansFallbacks[] = {"Liberation Sans", "Arimo", "DejaVu Sans", "Tahoma",
                                          "Microsoft Sans Serif"};

int CALLBACK noteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

bool faceInstalled(const char* face)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) return false;
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    ::EnumFontFamiliesExA(dc, &query, noteFace, reinterpret_cast<LPARAM>(&found), 0);
    ::DeleteDC(dc);
    return found;
}

struct Glyph
{
    std::vector<std::uint8_t> coverage;
    int width = 0, rows = 0;
    int left = 0, top = 0; // bitmap origin relative to the pen on the baseline
    int advance = 0;
};

struct Face
{
    HFONT font = nullptr;
    std::string name; // the face GDI really selected
    bool symbolMap = false;
    CTextMetrics metrics;
    int underlineOffset = 1, underlineThickness = 1; // below the baseline
    std::array<std::optional<Glyph>, 256> glyphs;
};

} // namespace

std::string gdiFaceFor(const char* requested)
{
    if (faceInstalled(requested)) return requested;
    for (const char* candidate : kSansFallbacks)
        if (faceInstalled(candidate)) return candidate;
    return {};
}

HFONT createGdiFont(const char* face, int height, bool bold, bool italic, bool underline, bool decorative)
{
    LOGFONTA font{};
    font.lfHeight = -height;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY; // grey coverage, never sub-pixel colour
    font.lfPitchAndFamily = decorative ? (DEFAULT_PITCH | FF_DECORATIVE) : (VARIABLE_PITCH | FF_SWISS);
    // A decorative face keeps its own name: its characters are not a sans's.
    const std::string chosen = decorative ? std::string(face) : gdiFaceFor(face);
    lstrcpynA(font.lfFaceName, chosen.empty() ? face : chosen.c_str(), LF_FACESIZE);
    return ::CreateFontIndirectA(&font);
}

struct CTextRenderer::Impl
{
    HDC dc = ::CreateCompatibleDC(nullptr); // for measuring only: nothing is drawn through it
    std::map<int, Face> faces;              // key: (scale * 64 + fontId) * 8 + style

    ~Impl()
    {
        for (auto& [key, f] : faces)
            if (f.font) ::DeleteObject(f.font);
        if (dc) ::DeleteDC(dc);
    }

    Face& face(int fontId, int style, int scale);
    void open(Face& f, const CFontDescription& d, int style, int scale);
    const Glyph& glyph(Face& f, unsigned char c);
};

void CTextRenderer::Impl::open(Face& f, const CFontDescription& d, int style, int scale)
{
    f.metrics = CTextMetrics{d.height * scale, 0}; // without a font: the cell, no ink
    f.font = createGdiFont(d.face, d.height * scale, (style & kFontBold) != 0, (style & kFontItalic) != 0,
                           false, d.decorative);
    if (!f.font || !dc) return;
    const HGDIOBJ previous = ::SelectObject(dc, f.font);
    char name[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, LF_FACESIZE, name);
    f.name = name;
    TEXTMETRICA tm{};
    if (::GetTextMetricsA(dc, &tm))
    {
        f.metrics = CTextMetrics{int(tm.tmAscent), int(tm.tmDescent)};
        f.symbolMap = tm.tmCharSet == SYMBOL_CHARSET;
    }
    OUTLINETEXTMETRICA otm{};
    otm.otmSize = sizeof otm;
    if (::GetOutlineTextMetricsA(dc, sizeof otm, &otm))
    {
        f.underlineOffset = std::max(1, -int(otm.otmsUnderscorePosition));
        f.underlineThickness = std::max(1, int(otm.otmsUnderscoreSize));
    }
    ::SelectObject(dc, previous);
}

Face& CTextRenderer::Impl::face(int fontId, int style, int scale)
{
    scale = std::clamp(scale, 1, 8);
    fontId = normalisedFontId(fontId);
    style &= kFontBold | kFontItalic | kFontUnderline;
    if (kFontTable[std::size_t(fontId)].bold) style |= kFontBold;
    auto [it, inserted] = faces.try_emplace((scale * 64 + fontId) * 8 + style);
    if (inserted) open(it->second, kFontTable[std::size_t(fontId)], style, scale);
    return it->second;
}

const Glyph& CTextRenderer::Impl::glyph(Face& f, unsigned char c)
{
    std::optional<Glyph>& slot = f.glyphs[c];
    if (slot) return *slot;
    slot.emplace();
    Glyph& g = *slot;
    if (!f.font || !dc) return g;
    const HGDIOBJ previous = ::SelectObject(dc, f.font);
    const UINT code = f.symbolMap ? 0xF000u + c : UINT(cp1252ToUnicode(c));
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS gm{};
    const DWORD bytes = ::GetGlyphOutlineW(dc, code, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    if (bytes != GDI_ERROR)
    {
        g.advance = gm.gmCellIncX;
        g.left = gm.gmptGlyphOrigin.x;
        g.top = gm.gmptGlyphOrigin.y;
        if (bytes > 0)
        {
            // Rows are padded to 4 bytes; levels run 0..64.
            std::vector<std::uint8_t> raw(bytes);
            ::GetGlyphOutlineW(dc, code, GGO_GRAY8_BITMAP, &gm, bytes, raw.data(), &identity);
            const int pitch = (int(gm.gmBlackBoxX) + 3) & ~3;
            g.width = int(gm.gmBlackBoxX);
            g.rows = int(gm.gmBlackBoxY);
            g.coverage.resize(std::size_t(g.width) * std::size_t(g.rows));
            for (int y = 0; y < g.rows; ++y)
                for (int x = 0; x < g.width; ++x)
                    g.coverage[std::size_t(y * g.width + x)] =
                        std::uint8_t(std::min(255, raw[std::size_t(y * pitch + x)] * 255 / 64));
        }
    }
    else
    {
        // Not an outline font: the advance alone, so that layout still holds.
        SIZE extent{};
        const wchar_t ch = wchar_t(code);
        if (::GetTextExtentPoint32W(dc, &ch, 1, &extent)) g.advance = extent.cx;
    }
    ::SelectObject(dc, previous);
    return g;
}

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
    Face& f = impl->face(fontId, style, scale);
    int width = 0;
    for (char c : text)
        width += impl->glyph(f, static_cast<unsigned char>(c)).advance;
    return width;
}

void CTextRenderer::render(CPixelSurface& surface, const CViewRect& clip, int x, int top, int fontId,
                           int style, std::string_view text, Pixel colour, int scale)
{
    std::lock_guard lock(mutex);
    Face& f = impl->face(fontId, style, scale);
    const int baseline = top + f.metrics.ascent;
    const int startX = x;
    for (char c : text)
    {
        const Glyph& g = impl->glyph(f, static_cast<unsigned char>(c));
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
    return impl->face(fontId, style, 1).name;
}

} // namespace gui
