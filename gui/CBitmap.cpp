#include "gui/CBitmap.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "gui/CDrawContext.h"
#include "resources/resources.h"

namespace gui
{

namespace
{

// Larger images are refused rather than allocated from a corrupt header.
constexpr std::int64_t kMaxSide = 16384;

std::uint32_t readU32(std::span<const unsigned char> d, std::size_t at)
{
    return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
           std::uint32_t(d[at + 3]) << 24;
}
std::uint16_t readU16(std::span<const unsigned char> d, std::size_t at)
{
    return std::uint16_t(d[at] | d[at + 1] << 8);
}

struct BmpHeader
{
    std::int64_t width = 0, height = 0; // height < 0: rows top-down
    int bitsPerPixel = 0;
    std::int64_t pixelsAt = 0; // byte offset of the first stored row
};

// Reads the info header at `at`; fileOffset is the pixel offset of a file
// header, 0 for a bare resource whose pixels follow header and palette.
bool readInfoHeader(std::span<const unsigned char> d, std::size_t at, std::int64_t fileOffset, BmpHeader& h)
{
    if (d.size() < at + 4) return false;
    const std::uint32_t size = readU32(d, at);
    std::int64_t colours = 0;
    if (size == 12 && d.size() >= at + 12)
    {
        h.width = readU16(d, at + 4);
        h.height = readU16(d, at + 6);
        if (readU16(d, at + 8) != 1) return false;
        h.bitsPerPixel = readU16(d, at + 10);
    }
    else if (size >= 40 && d.size() >= at + 40)
    {
        h.width = std::int32_t(readU32(d, at + 4));
        h.height = std::int32_t(readU32(d, at + 8));
        if (readU16(d, at + 12) != 1 || readU32(d, at + 16) != 0) return false; // planes, BI_RGB
        h.bitsPerPixel = readU16(d, at + 14);
        colours = readU32(d, at + 32);
    }
    else
    {
        return false;
    }
    h.pixelsAt = fileOffset != 0 ? fileOffset : std::int64_t(at) + size + colours * 4;
    return (h.bitsPerPixel == 24 || h.bitsPerPixel == 32) && h.width > 0 && h.width <= kMaxSide &&
           h.height != 0 && std::llabs(h.height) <= kMaxSide;
}

// The 2x skin is several megabytes to unpack and decode, the same for every
// editor of the process: done once per resource, on first use, and kept (the
// pixels never change). Null when the skin has no 2x set exactly twice the
// 1x size, which is all that can stand in for it.
std::shared_ptr<const CPixelSurface> sharedSkin2x(std::int32_t id, std::int32_t width, std::int32_t height)
{
    static std::mutex guard; // editors of several hosts' threads may open at once
    static std::map<std::int32_t, std::shared_ptr<const CPixelSurface>> decoded;
    const std::lock_guard lock(guard);
    const auto found = decoded.find(id);
    if (found != decoded.end()) return found->second;
    auto surface = std::make_shared<CPixelSurface>(decodeBmp(resources::load(id, 2)));
    if (surface->width() != 2 * width || surface->height() != 2 * height) surface.reset();
    decoded.emplace(id, surface);
    return surface;
}

} // namespace

CPixelSurface decodeBmp(std::span<const unsigned char> data)
{
    BmpHeader h;
    const bool fileHeader = data.size() >= 14 && data[0] == 'B' && data[1] == 'M';
    if (!readInfoHeader(data, fileHeader ? 14 : 0, fileHeader ? readU32(data, 10) : 0, h)) return {};
    const std::int64_t rows = std::llabs(h.height);
    const std::int64_t stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    if (h.pixelsAt < 0 || h.pixelsAt + stride * rows > std::int64_t(data.size())) return {};
    CPixelSurface out(int(h.width), int(rows));
    const int bytesPerPixel = h.bitsPerPixel / 8;
    for (std::int64_t y = 0; y < rows; ++y)
    {
        const std::int64_t stored = h.height > 0 ? rows - 1 - y : y; // bottom-up unless height < 0
        const unsigned char* src = data.data() + h.pixelsAt + stored * stride;
        Pixel* dst = out.row(int(y));
        for (std::int64_t x = 0; x < h.width; ++x, src += bytesPerPixel)
            dst[x] = makePixel(src[2], src[1], src[0]);
    }
    return out;
}

CBitmap::CBitmap(std::int32_t id) : resourceId(id)
{
    loadFromResource(id);
}

CBitmap::CBitmap(std::span<const unsigned char> bmpData)
{
    adopt(decodeBmp(bmpData));
}

CBitmap::CBitmap(CPixelSurface image)
{
    adopt(std::move(image));
}

CBitmap::~CBitmap() = default;

void CBitmap::adopt(CPixelSurface decoded)
{
    loadedId = -1;
    pixels2x.reset();
    tried2x = false;
    pixels = std::move(decoded);
    width = pixels.width();
    height = pixels.height();
}

const CPixelSurface& CBitmap::pixelsFor(std::int32_t scale, std::int32_t& pixelScale)
{
    pixelScale = 1;
    if (scale != 2 || loadedId < 0) return pixels;
    if (!tried2x)
    {
        tried2x = true;
        pixels2x = sharedSkin2x(loadedId, width, height);
    }
    if (!pixels2x || pixels2x->empty()) return pixels;
    pixelScale = 2;
    return *pixels2x;
}

void CBitmap::draw(CDrawContext* context, const CViewRect& rect, const CViewPoint& offset)
{
    if (!context || !isLoaded()) return;
    std::int32_t pixelScale = 1;
    const CPixelSurface& source = pixelsFor(context->getScale(), pixelScale);
    context->copySurface(source, offset, rect, pixelScale);
}

void CBitmap::drawTransparent(CDrawContext* context, const CViewRect& rect, const CViewPoint& offset)
{
    if (!context || !isLoaded()) return;
    std::int32_t pixelScale = 1;
    const CPixelSurface& source = pixelsFor(context->getScale(), pixelScale);
    context->copySurfaceKeyed(source, offset, rect, transparentColor, pixelScale);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CViewRect& rect, const CViewPoint& offset,
                             std::uint8_t alpha)
{
    if (!context || !isLoaded()) return;
    std::int32_t pixelScale = 1;
    const CPixelSurface& source = pixelsFor(context->getScale(), pixelScale);
    context->blendSurface(source, offset, rect, alpha, pixelScale);
}

void CBitmap::dispose()
{
    adopt(CPixelSurface{});
}

bool CBitmap::loadFromResource(std::int32_t id)
{
    dispose();
    // Resource numbers are 16-bit.
    adopt(decodeBmp(resources::find(std::uint16_t(id))));
    if (isLoaded()) loadedId = std::uint16_t(id);
    return isLoaded();
}

bool CBitmap::loadFromPath(const char*)
{
    dispose();
    return false;
}

} // namespace gui
