#pragma once
// A reference-counted image: a skin bitmap loaded by resource number, or one
// made from BMP data or pixels in memory. Without pixels it has size 0 x 0
// and draws nothing.

#include <cstdint>
#include <memory>
#include <span>

#include "gui/CReferenceCounter.h"
#include "raster/CPixelSurface.h"
#include "raster/CViewTypes.h"

namespace gui
{

class CDrawContext;

class CBitmap : public CReferenceCounter
{
  public:
    explicit CBitmap(std::int32_t resourceId);
    // A complete BMP file, or the bare info header and pixels of a bitmap resource.
    explicit CBitmap(std::span<const unsigned char> bmpData);
    explicit CBitmap(CPixelSurface pixels);
    ~CBitmap() override;

    // Each copies rect's width x height from `offset` in the bitmap to `rect`
    // (local coordinates of `context`).
    virtual void draw(CDrawContext* context, const CViewRect& rect, const CViewPoint& offset = CViewPoint{});
    // Pixels whose RGB equals the transparent colour's are skipped.
    virtual void drawTransparent(CDrawContext* context, const CViewRect& rect,
                                 const CViewPoint& offset = CViewPoint{});
    // Constant source alpha, 255 = opaque.
    virtual void drawAlphaBlend(CDrawContext* context, const CViewRect& rect, const CViewPoint& offset,
                                std::uint8_t alpha);
    virtual void dispose();
    // Replaces the pixels; the stored resource id stays as constructed.
    virtual bool loadFromResource(std::int32_t resourceId);
    // Bitmaps come from the library's resources only: always disposes and fails.
    virtual bool loadFromPath(const char* path);

    std::int32_t getResourceId() const { return resourceId; }
    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    bool isLoaded() const { return !pixels.empty(); }
    void setTransparentColor(const CViewColor& color) { transparentColor = color; }
    CViewColor getTransparentColor() const { return transparentColor; }
    const CPixelSurface& getPixels() const { return pixels; }
    // The pixels drawn at `scale`: the skin's own set for that scale when it
    // has one (loaded on first use), else the 1x pixels; `pixelScale` says which.
    const CPixelSurface& pixelsFor(std::int32_t scale, std::int32_t& pixelScale);

  private:
    void adopt(CPixelSurface decoded);

    std::int32_t resourceId = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    CViewColor transparentColor = kTransparentWhiteCColor;
    CPixelSurface pixels;
    std::int32_t loadedId = -1;                    // the resource the pixels came from; -1: none
    std::shared_ptr<const CPixelSurface> pixels2x; // shared by every bitmap of the resource
    bool tried2x = false;
};

// Decodes an uncompressed 24- or 32-bit BMP (bottom-up or top-down rows), with
// or without its file header. Anything else, or data too short for what the
// header claims, gives an empty surface.
CPixelSurface decodeBmp(std::span<const unsigned char> data);

} // namespace gui
