#include "raster/CPixelSurface.h"

#include <algorithm>
#include <cstdlib>

namespace gui
{

namespace
{

CViewRect intersect(const CViewRect& a, const CViewRect& b)
{
    CViewRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

} // namespace

std::uint8_t blendChannel(std::uint8_t src, std::uint8_t dst, std::uint8_t alpha)
{
    // Rounded source-over; alpha 255 gives the source exactly, 0 the destination.
    return std::uint8_t((src * alpha + dst * (255 - alpha) + 127) / 255);
}

CPixelSurface::CPixelSurface(int width, int height, Pixel fill)
    : pixelWidth(std::max(0, width)), pixelHeight(std::max(0, height))
{
    if (pixelWidth == 0 || pixelHeight == 0) pixelWidth = pixelHeight = 0;
    rowStride = pixelWidth;
    owned.assign(std::size_t(pixelWidth) * std::size_t(pixelHeight), fill | 0xFF000000u);
    data = owned.data();
}

CPixelSurface::CPixelSurface(Pixel* pixels, int width, int height, int stride)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < width) return;
    pixelWidth = width;
    pixelHeight = height;
    rowStride = stride;
    data = pixels;
}

CPixelSurface::CPixelSurface(const CPixelSurface& other) : CPixelSurface(other.pixelWidth, other.pixelHeight)
{
    for (int y = 0; y < pixelHeight; ++y)
        std::copy(other.row(y), other.row(y) + pixelWidth, row(y));
}

CPixelSurface::CPixelSurface(CPixelSurface&& other) noexcept
{
    swap(other);
}

CPixelSurface& CPixelSurface::operator=(CPixelSurface other) noexcept
{
    swap(other);
    return *this;
}

void CPixelSurface::swap(CPixelSurface& other) noexcept
{
    // Swapping vectors keeps their buffers, so data stays valid on both sides.
    std::swap(pixelWidth, other.pixelWidth);
    std::swap(pixelHeight, other.pixelHeight);
    std::swap(rowStride, other.rowStride);
    std::swap(data, other.data);
    owned.swap(other.owned);
}

Pixel CPixelSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixelWidth || y >= pixelHeight) return 0;
    return row(y)[x];
}

void CPixelSurface::setPixel(int x, int y, Pixel p)
{
    if (x < 0 || y < 0 || x >= pixelWidth || y >= pixelHeight) return;
    row(y)[x] = p | 0xFF000000u;
}

CViewRect CPixelSurface::clipTo(const CViewRect& rect, const CViewRect& clip) const
{
    return intersect(intersect(rect, clip), bounds());
}

void CPixelSurface::fill(const CViewRect& rect, Pixel p, const CViewRect& clip)
{
    const CViewRect r = clipTo(rect, clip);
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(row(y) + r.left, row(y) + r.right, p | 0xFF000000u);
}

void CPixelSurface::line(int x0, int y0, int x1, int y1, int width, Pixel p, const CViewRect& clip)
{
    // Wide pens are stamped as squares centred on the thin line's pixels.
    const int w = std::max(1, width);
    const int lo = -(w - 1) / 2;
    const CViewRect limit = clipTo(bounds(), clip);
    const CViewRect reach{std::min(x0, x1) + lo, std::min(y0, y1) + lo, std::max(x0, x1) + lo + w,
                          std::max(y0, y1) + lo + w};
    const CViewRect visible = intersect(reach, limit);
    if (visible.right <= visible.left || visible.bottom <= visible.top) return; // skip the walk
    auto plot = [&](int x, int y) { fill(CViewRect{x + lo, y + lo, x + lo + w, y + lo + w}, p, limit); };
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1)
    {
        plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
}

template <typename Op>
void CPixelSurface::forEachBlockPixel(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest,
                                      const CViewRect& clip, Op op)
{
    // Source pixels outside `src` leave the destination as it is.
    const CViewRect srcInDest{dest.left - srcX, dest.top - srcY, dest.left - srcX + src.width(),
                              dest.top - srcY + src.height()};
    const CViewRect r = clipTo(intersect(dest, srcInDest), clip);
    for (int y = r.top; y < r.bottom; ++y)
    {
        const Pixel* s = src.row(y - dest.top + srcY) + (r.left - dest.left + srcX);
        Pixel* d = row(y) + r.left;
        for (int x = r.left; x < r.right; ++x, ++s, ++d)
            op(*s, *d);
    }
}

void CPixelSurface::copy(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest,
                         const CViewRect& clip)
{
    forEachBlockPixel(src, srcX, srcY, dest, clip, [](Pixel s, Pixel& d) { d = s | 0xFF000000u; });
}

void CPixelSurface::copyKeyed(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest,
                              const CViewRect& clip, Pixel key)
{
    forEachBlockPixel(src, srcX, srcY, dest, clip,
                      [key](Pixel s, Pixel& d)
                      {
                          if (!sameRGB(s, key)) d = s | 0xFF000000u;
                      });
}

void CPixelSurface::blend(const CPixelSurface& src, int srcX, int srcY, const CViewRect& dest,
                          const CViewRect& clip, std::uint8_t alpha)
{
    forEachBlockPixel(src, srcX, srcY, dest, clip,
                      [alpha](Pixel s, Pixel& d)
                      {
                          d = makePixel(blendChannel(redOf(s), redOf(d), alpha),
                                        blendChannel(greenOf(s), greenOf(d), alpha),
                                        blendChannel(blueOf(s), blueOf(d), alpha));
                      });
}

void CPixelSurface::blendCoverage(int x, int y, const std::uint8_t* mask, int maskWidth, int maskHeight,
                                  int maskPitch, Pixel colour, const CViewRect& clip)
{
    const CViewRect r = clipTo(CViewRect{x, y, x + maskWidth, y + maskHeight}, clip);
    for (int py = r.top; py < r.bottom; ++py)
    {
        const std::uint8_t* m = mask + std::ptrdiff_t(py - y) * maskPitch + (r.left - x);
        Pixel* d = row(py) + r.left;
        for (int px = r.left; px < r.right; ++px, ++m, ++d)
        {
            if (*m == 0) continue;
            *d = makePixel(blendChannel(redOf(colour), redOf(*d), *m),
                           blendChannel(greenOf(colour), greenOf(*d), *m),
                           blendChannel(blueOf(colour), blueOf(*d), *m));
        }
    }
}

std::uint64_t CPixelSurface::checksum() const
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    mix(std::uint8_t(pixelWidth));
    mix(std::uint8_t(pixelHeight));
    for (int y = 0; y < pixelHeight; ++y)
    {
        for (int x = 0; x < pixelWidth; ++x)
        {
            const Pixel p = row(y)[x];
            mix(redOf(p));
            mix(greenOf(p));
            mix(blueOf(p));
        }
    }
    return h;
}

} // namespace gui
