#include "raster/CTextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "raster/CFontTable.h"

namespace gui
{

namespace
{

// Windows-1252 code points for bytes 0x80..0x9F; the rest map to themselves.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char32_t cp1252ToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char32_t(c);
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
    FT_Face face = nullptr;
    std::string file;
    bool symbolMap = false; // characters live at 0xF000 + byte
    bool emboldenSynth = false, obliqueSynth = false;
    CTextMetrics metrics;
    int underlineOffset = 0, underlineThickness = 1; // below the baseline
    std::array<std::optional<Glyph>, 256> glyphs;
};

int roundFixed(FT_Pos v)
{
    return int((v + 32) >> 6);
}

} // namespace

struct CTextRenderer::Impl
{
    FT_Library library = nullptr;
    FcConfig* config = nullptr;
    std::map<int, Face> faces; // key: (scale * 64 + fontId) * 8 + style

    Impl()
    {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
    ~Impl()
    {
        for (auto& [key, f] : faces)
            if (f.face) FT_Done_Face(f.face);
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }

    Face& face(int fontId, int style, int scale);
    bool open(Face& f, const CFontDescription& d, bool bold, bool italic, int scale);
    const Glyph& glyph(Face& f, unsigned char c);
};

namespace
{

struct Match
{
    std::string file;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

std::optional<Match> matchFont(FcConfig* config, const char* family, bool bold, bool italic)
{
    if (!config) return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found) return std::nullopt;
    Match m;
    FcChar8* file = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file)
        m.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
    FcPatternGetInteger(found, FC_WEIGHT, 0, &m.weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &m.slant);
    FcPatternDestroy(found);
    if (m.file.empty()) return std::nullopt;
    return m;
}

} // namespace

bool CTextRenderer::Impl::open(Face& f, const CFontDescription& d, bool bold, bool italic, int scale)
{
    const auto m = matchFont(config, d.face, bold, italic);
    if (!library || !m) return false;
    if (FT_New_Face(library, m->file.c_str(), m->index, &f.face) != 0)
    {
        f.face = nullptr;
        return false;
    }
    const int height = d.height * scale;
    if (FT_Set_Pixel_Sizes(f.face, 0, FT_UInt(height)) != 0)
    {
        FT_Done_Face(f.face);
        f.face = nullptr;
        return false;
    }
    f.file = m->file;
    f.emboldenSynth = bold && m->weight < FC_WEIGHT_DEMIBOLD;
    f.obliqueSynth = italic && m->slant == FC_SLANT_ROMAN;
    f.symbolMap = d.decorative && FT_Select_Charmap(f.face, FT_ENCODING_MS_SYMBOL) == 0;
    const FT_Size_Metrics& sm = f.face->size->metrics;
    f.metrics.ascent = int((sm.ascender + 63) >> 6);
    f.metrics.descent = int((-sm.descender + 63) >> 6);
    if (FT_IS_SCALABLE(f.face))
    {
        const double unit = double(height) / f.face->units_per_EM;
        f.underlineOffset = std::max(1, int(std::lround(-f.face->underline_position * unit)));
        f.underlineThickness = std::max(1, int(std::lround(f.face->underline_thickness * unit)));
    }
    return true;
}

Face& CTextRenderer::Impl::face(int fontId, int style, int scale)
{
    scale = std::clamp(scale, 1, 8);
    fontId = normalisedFontId(fontId);
    style &= kFontBold | kFontItalic | kFontUnderline;
    if (kFontTable[std::size_t(fontId)].bold) style |= kFontBold;
    auto [it, inserted] = faces.try_emplace((scale * 64 + fontId) * 8 + style);
    Face& f = it->second;
    if (inserted)
    {
        const CFontDescription& d = kFontTable[std::size_t(fontId)];
        if (!open(f, d, (style & kFontBold) != 0, (style & kFontItalic) != 0, scale))
        {
            // No usable font: text takes its cell but paints nothing.
            f.metrics = CTextMetrics{d.height * scale, 0};
        }
    }
    return f;
}

const Glyph& CTextRenderer::Impl::glyph(Face& f, unsigned char c)
{
    std::optional<Glyph>& slot = f.glyphs[c];
    if (slot) return *slot;
    slot.emplace();
    Glyph& g = *slot;
    if (!f.face) return g;
    const FT_ULong code = f.symbolMap ? 0xF000u + c : FT_ULong(cp1252ToUnicode(c));
    // Characters the face lacks show its missing-glyph shape, as on other systems.
    const FT_UInt index = FT_Get_Char_Index(f.face, code);
    if (FT_Load_Glyph(f.face, index, FT_LOAD_DEFAULT) != 0) return g;
    FT_GlyphSlot slotPtr = f.face->glyph;
    if (f.emboldenSynth) FT_GlyphSlot_Embolden(slotPtr);
    if (f.obliqueSynth) FT_GlyphSlot_Oblique(slotPtr);
    if (FT_Render_Glyph(slotPtr, FT_RENDER_MODE_NORMAL) != 0) return g;
    const FT_Bitmap& bm = slotPtr->bitmap;
    g.advance = roundFixed(slotPtr->advance.x);
    g.left = slotPtr->bitmap_left;
    g.top = slotPtr->bitmap_top;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.buffer == nullptr) return g;
    g.width = int(bm.width);
    g.rows = int(bm.rows);
    g.coverage.resize(std::size_t(g.width) * std::size_t(g.rows));
    for (int y = 0; y < g.rows; ++y)
    {
        const unsigned char* src = bm.pitch >= 0 ? bm.buffer + std::ptrdiff_t(y) * bm.pitch
                                                 : bm.buffer + std::ptrdiff_t(g.rows - 1 - y) * -bm.pitch;
        std::copy(src, src + g.width, g.coverage.begin() + std::ptrdiff_t(y) * g.width);
    }
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
    return impl->face(fontId, style, 1).file;
}

} // namespace gui
