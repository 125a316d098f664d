#pragma once
// A stateful pen on a pixel surface: every coordinate is local and has the
// drawing offset added; pen, brush and font are only rebuilt when they change,
// so callers may set them before every step at no cost.

#include <cstdint>

#include "gui/CReferenceCounter.h"
#include "raster/CFontTable.h"
#include "raster/CPixelSurface.h"
#include "raster/CViewTypes.h"

namespace platform
{
class Window;
}

namespace gui
{

class CFrame;

enum CTextAlign : std::int32_t
{
    kTextAlignLeft = 0, // one pixel in from the rectangle's left edge
    kTextAlignCenter = 1,
    kTextAlignRight = 2,
};

class CDrawContext : public CReferenceCounter
{
  public:
    // Draws into `surface`; without one but with a window, into the window's
    // back buffer, presenting each painted block at once as a window device
    // would show it. Both may be null: drawing then only updates the state.
    CDrawContext(CFrame* frame, CPixelSurface* surface, platform::Window* window = nullptr);
    ~CDrawContext() override;

    void moveTo(const CViewPoint& point);
    // Frame colour and line width; the end point itself is not painted.
    void lineTo(const CViewPoint& point);
    // Outline at left/top and right-1/bottom-1.
    void drawRect(const CViewRect& rect);
    // Fill colour over (left+1, top+1) up to but excluding (right, bottom).
    void fillRect(const CViewRect& rect);
    // One line, vertically centred; `opaque` backs the text with the fill colour.
    void drawString(const char* text, const CViewRect& rect, bool opaque = false,
                    std::int32_t align = kTextAlignCenter);
    std::int32_t getStringWidth(const char* text);

    void setFrameColor(const CViewColor& color);
    CViewColor getFrameColor() const { return frameColor; }
    void setLineWidth(std::int32_t width);
    std::int32_t getLineWidth() const { return lineWidth; }
    void setFillColor(const CViewColor& color);
    CViewColor getFillColor() const { return fillColor; }
    void setFontColor(const CViewColor& color);
    CViewColor getFontColor() const { return fontColor; }
    // Ids outside the font table select font 0.
    void setFont(std::int32_t fontId, std::int32_t style = 0);
    std::int32_t getFont() const { return fontId; }
    std::int32_t getFontSize() const { return fontSize; }
    std::int32_t getFontStyle() const { return fontStyle; }
    // Only solid lines and copy mode exist; the values are kept for callers that ask.
    void setLineStyle(std::int32_t style) { lineStyle = style; }
    std::int32_t getLineStyle() const { return lineStyle; }
    void setDrawMode(std::int32_t mode) { drawMode = mode; }
    std::int32_t getDrawMode() const { return drawMode; }

    // Local coordinates in and out; stored with the offset added.
    void setClipRect(const CViewRect& rect);
    CViewRect& getClipRect(CViewRect& rect) const;

    CFrame* getFrame() const { return frame; }
    // Device pixels per logical pixel, the frame's (1 without a frame): every
    // coordinate above is logical and is multiplied out when pixels are touched.
    std::int32_t getScale() const { return scale; }
    // The window's top-left on the screen in device pixels; offsetScreen adds
    // the containers' logical origins to it.
    CViewPoint getWindowOrigin() const { return windowOrigin; }
    CPixelSurface* getSurface() const { return surface; }
    // Where raster operations are clipped, in surface coordinates (the
    // surface's edges clip as well).
    const CViewRect& getDeviceClip() const { return deviceClip; }

    // Block transfers from a pixel source to `rect` (local); used by bitmaps
    // and offscreens. The source holds `sourceScale` pixels per logical pixel
    // and sourceOffset is logical; a source at another scale than the
    // context's is enlarged pixel by pixel.
    void copySurface(const CPixelSurface& source, const CViewPoint& sourceOffset, const CViewRect& rect,
                     std::int32_t sourceScale = 1);
    void copySurfaceKeyed(const CPixelSurface& source, const CViewPoint& sourceOffset, const CViewRect& rect,
                          const CViewColor& key, std::int32_t sourceScale = 1);
    void blendSurface(const CPixelSurface& source, const CViewPoint& sourceOffset, const CViewRect& rect,
                      std::uint8_t alpha, std::int32_t sourceScale = 1);

    // How often a pen, brush or font was really rebuilt (the cost the state
    // caching saves).
    std::int32_t getPenCreations() const { return penCreations; }
    std::int32_t getBrushCreations() const { return brushCreations; }
    std::int32_t getFontCreations() const { return fontCreations; }

    // Containers shift these while forwarding to children and put them back.
    CViewPoint offsetScreen; // window's top-left on the screen
    CViewPoint offset;       // added to every drawing coordinate

  protected:
    void setSurface(CPixelSurface* target) { surface = target; }
    void setStoredClip(const CViewRect& rect) { clip = rect; }

  private:
    CViewRect toDevice(const CViewRect& rect) const
    {
        const CViewRect r = rect.offsetBy(offset.h, offset.v);
        return CViewRect{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
    }
    // The source pixels that cover `rect` at the context's scale: `source`
    // itself when the scales match, else an enlarged copy in `scratch`.
    const CPixelSurface& atOwnScale(const CPixelSurface& source, std::int32_t sourceScale,
                                    const CViewPoint& sourceOffset, const CViewRect& rect,
                                    CPixelSurface& scratch, CViewPoint& deviceOffset) const;
    void rebuildPen() { ++penCreations; }
    CPixelSurface* target();
    void painted(const CViewRect& deviceRect);

    CPixelSurface* surface = nullptr;
    CPixelSurface windowSurface;        // view on a window's back buffer
    platform::Window* window = nullptr; // presented to after each paint when drawing on it
    CFrame* frame = nullptr;
    std::int32_t scale = 1;
    CViewPoint windowOrigin;

    std::int32_t fontSize = -1;
    std::int32_t fontStyle = 0;
    std::int32_t fontId = 8; // none selected yet
    CViewColor fontColor;
    std::int32_t lineWidth = 0;
    CViewColor frameColor;
    CViewColor fillColor;
    std::int32_t lineStyle = 0;
    std::int32_t drawMode = 0;
    CViewRect clip; // as callers see it, with the offset added
    // What limits the pixels besides the surface's own edges; nothing until
    // a clip is set.
    CViewRect deviceClip{-(1 << 30), -(1 << 30), 1 << 30, 1 << 30};
    CViewPoint penPosition; // logical, offset added
    bool penValid = false;  // colour and width have been set once

    std::int32_t penCreations = 0;
    std::int32_t brushCreations = 0;
    std::int32_t fontCreations = 0;
};

} // namespace gui
