#pragma once
// A block of 32-bit pixels that every context draws into and that a platform
// backend presents. Pixels are 0xAARRGGBB; raster operations write alpha 0xFF
// and never read it, so colour keys and blends work on RGB alone.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/CViewTypes.h"

namespace gui
{

using Pixel = std::uint32_t;

constexpr Pixel makePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xFF000000u | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
constexpr Pixel pixelOf(const CViewColor& c)
{
    return makePixel(c.red, c.green, c.blue);
}
constexpr std::uint8_t redOf(Pixel p)
{
    return std::uint8_t(p >> 16);
}
constexpr std::uint8_t greenOf(Pixel p)
{
    return std::uint8_t(p >> 8);
}
constexpr std::uint8_t blueOf(Pixel p)
{
    return std::uint8_t(p);
}
constexpr bool sameRGB(Pixel a, Pixel b)
{
    return ((a ^ b) & 0x00FFFFFFu) == 0;
}

// Either owns its pixels or views pixels owned elsewhere (a window's back
// buffer); copies always own theirs.
class CPixelSurface
{
  public:
    CPixelSurface() = default;
    // Negative sizes give an empty surface.
    CPixelSurface(int width, int height, Pixel fill = makePixel(0, 0, 0));
    // A view on foreign pixels; stride counts pixels. The pixels must outlive the view.
    CPixelSurface(Pixel* pixels, int width, int height, int stride);
    CPixelSurface(const CPixelSurface& other);
    CPixelSurface(CPixelSurface&& other) noexcept;
    CPixelSurface& operator=(CPixelSurface other) noexcept;
    ~CPixelSurface() = default;

    int width() const { return pixelWidth; }
    int height() const { return pixelHeight; }
    bool empty() const { return pixelWidth == 0 || pixelHeight == 0; }
    CViewRect bounds() const { return CViewRect{0, 0, pixelWidth, pixelHeight}; }

    int stride() const { return rowStride; }
    Pixel* row(int y) { return data + std::ptrdiff_t(y) * rowStride; }
    const Pixel* row(int y) const { return data + std::ptrdiff_t(y) * rowStride; }
    // Outside the surface: reads give 0, writes are dropped.
    Pixel pixel(int x, int y) const;
    void setPixel(int x, int y, Pixel p);

    // Every operation below is clipped to `clip` (device coordinates) and to
    // the surface; rectangles are half-open (right and bottom excluded).
    void fill(const CViewRect& rect, Pixel p, const CViewRect& clip);
    // Line from (x0, y0) towards (x1, y1); the end point itself is not painted.
    void line(int x0, int y0, int x1, int y1, int width, Pixel p, const CViewRect& clip);
    // Block copies of dest's size from (srcX, srcY) in `src`.
    void copy(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest, const CViewRect& clip);
    void copyKeyed(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest, const CViewRect& clip,
                   Pixel key);
    void blend(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest, const CViewRect& clip,
               std::uint8_t alpha);
    // Paints `colour` through an 8-bit coverage mask (glyphs) placed at (x, y).
    void blendCoverage(int x, int y, const std::uint8_t* mask, int maskWidth, int maskHeight, int maskPitch,
                       Pixel colour, const CViewRect& clip);

    // FNV-1a over the RGB of every pixel, row by row: stable golden values.
    std::uint64_t checksum() const;

  private:
    CViewRect clipTo(const CViewRect& rect, const CViewRect& clip) const;
    template <typename Op>
    void forEachBlockPixel(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest,
                           const CViewRect& clip, Op op);

    void swap(CPixelSurface& other) noexcept;

    int pixelWidth = 0;
    int pixelHeight = 0;
    int rowStride = 0;
    Pixel* data = nullptr;
    std::vector<Pixel> owned;
};

std::uint8_t blendChannel(std::uint8_t src, std::uint8_t dst, std::uint8_t alpha);

} // namespace gui
