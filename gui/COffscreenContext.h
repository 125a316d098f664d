#pragma once
// A drawing context on a pixel block of its own, where containers compose a
// redraw before copying it to the window in one block.

#include <cstdint>

#include "gui/CDrawContext.h"

namespace gui
{

class COffscreenContext : public CDrawContext
{
  public:
    // The whole block starts in `background`. A negative width or height gives
    // an empty block (nothing is drawn, nothing is copied).
    COffscreenContext(CFrame* frame, std::int32_t width, std::int32_t height,
                      const CViewColor& background = kBlackCColor);
    ~COffscreenContext() override;

    // Copies destRect's width x height from sourceOffset here to destRect in
    // `destination` (its offset and clip apply).
    void copyFrom(CDrawContext* destination, const CViewRect& destRect,
                  const CViewPoint& sourceOffset = CViewPoint{});

    // Logical size; the pixels are the frame's scale times larger.
    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    CViewColor getBackgroundColor() const { return backgroundColor; }
    const CPixelSurface& getPixels() const { return pixels; }

  private:
    std::int32_t height;
    std::int32_t width;
    CViewColor backgroundColor;
    CPixelSurface pixels;
};

} // namespace gui
