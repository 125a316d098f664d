// The system fonts of Windows builds: glyph coverage from GDI
// (GetGlyphOutline, 65 grey levels), which the renderer blends into our own
// pixel surfaces as on Linux, so that text lands in the same surface as
// everything else and a window only ever presents finished pixels.
#include <algorithm>
#include <array>
#include <vector>

#include "raster/GdiFonts.h"
#include "raster/TextFaces.h"

namespace gui
{

namespace
{

// Families of fallback faces, in the order the Linux build's matching picks.
constexpr const char* kSansFallbacks[] = {"Liberation Sans", "Arimo", "DejaVu Sans", "Tahoma",
                                          "Microsoft Sans Serif"};

int CALLBACK noteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

// Stored names are in the ANSI code page, as this system's preset files expect; on a Western
// system that is Windows-1252, whose table is shared with Linux. A code page of two-byte
// characters cannot be drawn byte by byte: its names show as Windows-1252.
char32_t storedToUnicode(unsigned char c)
{
    static const std::array<char32_t, 256> table = []
    {
        std::array<char32_t, 256> codes{};
        for (int b = 0; b < 256; ++b)
            codes[static_cast<std::size_t>(b)] = cp1252ToUnicode(static_cast<unsigned char>(b));
        CPINFO info{};
        if (::GetACP() == 1252 || !::GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return codes;
        for (int b = 0x80; b < 256; ++b)
        {
            const char byte = static_cast<char>(b);
            wchar_t wide = 0;
            if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1)
                codes[static_cast<std::size_t>(b)] = wide;
        }
        return codes;
    }();
    return table[c];
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

struct GdiFace : TextFace
{
    ~GdiFace() override
    {
        if (font) ::DeleteObject(font);
    }

    HFONT font = nullptr;
    bool symbolMap = false;
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

namespace
{

class GdiFaces final : public TextFaces
{
  public:
    ~GdiFaces() override
    {
        if (dc) ::DeleteDC(dc);
    }

    std::unique_ptr<TextFace> open(const CFontDescription& font, bool bold, bool italic,
                                   int pixelHeight) override;
    TextGlyph render(TextFace& face, unsigned char c) override;

  private:
    HDC dc = ::CreateCompatibleDC(nullptr); // for measuring only: nothing is drawn through it
};

std::unique_ptr<TextFace> GdiFaces::open(const CFontDescription& d, bool bold, bool italic, int pixelHeight)
{
    auto face = std::make_unique<GdiFace>();
    GdiFace& f = *face;
    f.metrics = CTextMetrics{pixelHeight, 0}; // without a font: the cell, no ink
    f.font = createGdiFont(d.face, pixelHeight, bold, italic, false, d.decorative);
    if (!f.font || !dc) return face;
    const HGDIOBJ previous = ::SelectObject(dc, f.font);
    char name[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, LF_FACESIZE, name);
    f.source = name;
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
    return face;
}

TextGlyph GdiFaces::render(TextFace& face, unsigned char c)
{
    auto& f = static_cast<GdiFace&>(face);
    TextGlyph g;
    if (!f.font || !dc) return g;
    const HGDIOBJ previous = ::SelectObject(dc, f.font);
    const UINT code = f.symbolMap ? 0xF000u + c : UINT(storedToUnicode(c));
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

} // namespace

std::unique_ptr<TextFaces> makeSystemTextFaces()
{
    return std::make_unique<GdiFaces>();
}

} // namespace gui
