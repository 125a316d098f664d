#pragma once
// What the text renderer needs from the system's fonts: a face opened for a
// font-table entry and its glyphs as coverage. FreeType with fontconfig
// provides them on Linux, GDI on Windows; caching, layout and blending are
// the renderer's own and the same on both.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "raster/CFontTable.h"
#include "raster/CTextRenderer.h"

namespace gui
{

// Windows-1252 byte to Unicode (undefined bytes give U+FFFD).
char32_t cp1252ToUnicode(unsigned char c);

struct TextGlyph
{
    std::vector<std::uint8_t> coverage;
    int width = 0, rows = 0;
    int left = 0, top = 0; // bitmap origin relative to the pen on the baseline
    int advance = 0;
};

// A face at one size; a system's face derives from it with its own handles.
struct TextFace
{
    virtual ~TextFace() = default;

    std::string source; // the font file, or on Windows the face GDI selected
    CTextMetrics metrics;
    int underlineOffset = 1, underlineThickness = 1; // below the baseline
    std::array<std::optional<TextGlyph>, 256> glyphs;
};

class TextFaces
{
  public:
    virtual ~TextFaces() = default;
    // Never null: without a usable font the face's metrics are the bare cell
    // (`pixelHeight` above the baseline) and its glyphs paint nothing.
    virtual std::unique_ptr<TextFace> open(const CFontDescription& font, bool bold, bool italic,
                                           int pixelHeight) = 0;
    virtual TextGlyph render(TextFace& face, unsigned char c) = 0;
};

std::unique_ptr<TextFaces> makeSystemTextFaces();

} // namespace gui
