#pragma once
// Single-line text in the fonts of the font table, rasterised with FreeType
// from faces that fontconfig resolves ("Arial" to a metric-compatible sans);
// on Windows, with GDI from the face it has or the same stand-in.
// Text is 8-bit Windows-1252, as the rest of the toolkit stores it.
//
// Faces and glyphs are cached once per process: they are read-only data of
// the fixed font table, shared by every editor instance. All calls lock, so
// editors on different threads may draw at the same time.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "raster/CPixelSurface.h"

namespace gui
{

struct CTextMetrics
{
    int ascent = 0;  // pixels above the baseline
    int descent = 0; // pixels below it
    int height() const { return ascent + descent; }
};

class CTextRenderer
{
  public:
    static CTextRenderer& shared();

    // fontId must be a table index; style holds the kFont* bits. `scale`
    // renders the face at that multiple of the table's pixel height (device
    // pixels per logical pixel); metrics and widths are then device pixels.
    CTextMetrics metrics(int fontId, int style, int scale = 1);
    int measure(int fontId, int style, std::string_view text, int scale = 1);
    // Draws text with the cell's top-left at (x, top); glyphs are blended
    // with their coverage over what is there.
    void render(CPixelSurface& surface, const CViewRect& clip, int x, int top, int fontId, int style,
                std::string_view text, Pixel colour, int scale = 1);
    // The font file a table entry resolved to (empty when none was found);
    // on Windows, the name of the face GDI selected.
    std::string fontFile(int fontId, int style);

    ~CTextRenderer();
    CTextRenderer(const CTextRenderer&) = delete;
    CTextRenderer& operator=(const CTextRenderer&) = delete;

  private:
    CTextRenderer();
    struct Impl;
    std::mutex mutex;
    std::unique_ptr<Impl> impl;
};

} // namespace gui
