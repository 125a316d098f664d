// The system fonts of Linux builds: faces that fontconfig resolves ("Arial"
// to a metric-compatible sans), rasterised by FreeType to grey coverage.
#include <fontconfig/fontconfig.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "raster/TextFaces.h"

namespace gui
{

namespace
{

struct FreeTypeFace : TextFace
{
    ~FreeTypeFace() override
    {
        if (face) FT_Done_Face(face);
    }

    FT_Face face = nullptr;
    bool symbolMap = false; // characters live at 0xF000 + byte
    bool emboldenSynth = false, obliqueSynth = false;
};

int roundFixed(FT_Pos v)
{
    return int((v + 32) >> 6);
}

class FreeTypeFaces final : public TextFaces
{
  public:
    FreeTypeFaces()
    {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
    ~FreeTypeFaces() override
    {
        // Faces hold on to the library: the renderer drops its cache first.
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }

    std::unique_ptr<TextFace> open(const CFontDescription& font, bool bold, bool italic,
                                   int pixelHeight) override;
    TextGlyph render(TextFace& face, unsigned char c) override;

  private:
    bool load(FreeTypeFace& f, const CFontDescription& d, bool bold, bool italic, int height);

    FT_Library library = nullptr;
    FcConfig* config = nullptr;
};

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

bool FreeTypeFaces::load(FreeTypeFace& f, const CFontDescription& d, bool bold, bool italic, int height)
{
    const auto m = matchFont(config, d.face, bold, italic);
    if (!library || !m) return false;
    if (FT_New_Face(library, m->file.c_str(), m->index, &f.face) != 0)
    {
        f.face = nullptr;
        return false;
    }
    if (FT_Set_Pixel_Sizes(f.face, 0, FT_UInt(height)) != 0)
    {
        FT_Done_Face(f.face);
        f.face = nullptr;
        return false;
    }
    f.source = m->file;
    f.emboldenSynth = bold && m->weight < FC_WEIGHT_DEMIBOLD;
    f.obliqueSynth = italic && m->slant == FC_SLANT_ROMAN;
    f.symbolMap = d.decorative && FT_Select_Charmap(f.face, FT_ENCODING_MS_SYMBOL) == 0;
    const FT_Size_Metrics& sm = f.face->size->metrics;
    f.metrics.ascent = int((sm.ascender + 63) >> 6);
    f.metrics.descent = int((-sm.descender + 63) >> 6);
    f.underlineOffset = 0;
    if (FT_IS_SCALABLE(f.face))
    {
        const double unit = double(height) / f.face->units_per_EM;
        f.underlineOffset = std::max(1, int(std::lround(-f.face->underline_position * unit)));
        f.underlineThickness = std::max(1, int(std::lround(f.face->underline_thickness * unit)));
    }
    return true;
}

std::unique_ptr<TextFace> FreeTypeFaces::open(const CFontDescription& font, bool bold, bool italic,
                                              int pixelHeight)
{
    auto f = std::make_unique<FreeTypeFace>();
    if (!load(*f, font, bold, italic, pixelHeight))
    {
        // No usable font: text takes its cell but paints nothing.
        f->metrics = CTextMetrics{pixelHeight, 0};
    }
    return f;
}

TextGlyph FreeTypeFaces::render(TextFace& face, unsigned char c)
{
    auto& f = static_cast<FreeTypeFace&>(face);
    TextGlyph g;
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

std::unique_ptr<TextFaces> makeSystemTextFaces()
{
    return std::make_unique<FreeTypeFaces>();
}

} // namespace gui
