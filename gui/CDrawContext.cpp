#include "gui/CDrawContext.h"

#include <algorithm>

#include "gui/CFrame.h"
#include "platform/platform.h"
#include "raster/CFontTable.h"
#include "raster/CTextRenderer.h"

namespace gui
{

namespace
{

constexpr CViewColor kUnsetColor{0, 0, 0, 0};

bool sameColor(const CViewColor& a, const CViewColor& b)
{
    return a == b;
}

CViewRect intersection(CViewRect a, const CViewRect& b)
{
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::max(a.left, std::min(a.right, b.right));
    a.bottom = std::max(a.top, std::min(a.bottom, b.bottom));
    return a;
}

CViewRect initialClip(CFrame* frame)
{
    if (frame) return frame->getViewSize();
    return CViewRect{0, 0, 1000, 1000};
}

} // namespace

CDrawContext::CDrawContext(CFrame* frameArg, CPixelSurface* surfaceArg, platform::Window* windowArg)
    : frame(frameArg), scale(frameArg ? frameArg->getScale() : 1), frameColor(kUnsetColor),
      fillColor(kUnsetColor), clip(initialClip(frameArg))
{
    if (!surfaceArg && windowArg)
    {
        const platform::PixelSpan span = windowArg->backBuffer();
        windowSurface = CPixelSurface(span.pixels, span.width, span.height, span.stride);
        window = windowArg;
        surfaceArg = &windowSurface;
    }
    setSurface(surfaceArg);
    if (windowArg)
    {
        const platform::Point origin = windowArg->screenOrigin();
        offsetScreen = CViewPoint{origin.x, origin.y};
        windowOrigin = offsetScreen;
    }
    setFrameColor(kWhiteCColor);
    setLineStyle(0);
    setLineWidth(1);
    setFillColor(kBlackCColor);
    setFontColor(kWhiteCColor);
    setFont(0, 0);
    setDrawMode(0);
}

CDrawContext::~CDrawContext() = default;

CPixelSurface* CDrawContext::target()
{
    // A window's back buffer moves when the window is resized, so it is
    // looked up afresh for every operation.
    if (window)
    {
        const platform::PixelSpan span = window->backBuffer();
        windowSurface = CPixelSurface(span.pixels, span.width, span.height, span.stride);
    }
    return surface;
}

void CDrawContext::painted(const CViewRect& deviceRect)
{
    if (!window) return;
    const CViewRect r = intersection(intersection(deviceRect, deviceClip), surface->bounds());
    if (r.right > r.left && r.bottom > r.top)
        window->present(platform::Rect{r.left, r.top, r.right, r.bottom});
}

void CDrawContext::moveTo(const CViewPoint& point)
{
    penPosition = CViewPoint{point.h + offset.h, point.v + offset.v};
}

void CDrawContext::lineTo(const CViewPoint& point)
{
    const CViewPoint from = penPosition;
    const CViewPoint to{point.h + offset.h, point.v + offset.v};
    penPosition = to;
    CPixelSurface* s = target();
    if (!s) return;
    // Each logical pixel of the line becomes a scale x scale block, so lines
    // keep their 1x shape and weight.
    for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
            s->line(from.h * scale + dx, from.v * scale + dy, to.h * scale + dx, to.v * scale + dy, lineWidth,
                    pixelOf(frameColor), deviceClip);
    const int pad = std::max(1, lineWidth);
    painted(toDevice(CViewRect{std::min(from.h, to.h) - pad, std::min(from.v, to.v) - pad,
                               std::max(from.h, to.h) + pad, std::max(from.v, to.v) + pad}
                         .offsetBy(-offset.h, -offset.v)));
}

void CDrawContext::drawRect(const CViewRect& rect)
{
    moveTo(CViewPoint{rect.left, rect.top});
    lineTo(CViewPoint{rect.right - 1, rect.top});
    lineTo(CViewPoint{rect.right - 1, rect.bottom - 1});
    lineTo(CViewPoint{rect.left, rect.bottom - 1});
    lineTo(CViewPoint{rect.left, rect.top});
}

void CDrawContext::fillRect(const CViewRect& rect)
{
    CPixelSurface* s = target();
    if (!s) return;
    CViewRect r = toDevice(rect);
    r.left += scale;
    r.top += scale;
    s->fill(r, pixelOf(fillColor), deviceClip);
    painted(r);
}

void CDrawContext::drawString(const char* text, const CViewRect& rect, bool opaque, std::int32_t align)
{
    CPixelSurface* s = target();
    if (!text || !s) return;
    CViewRect r = toDevice(rect);
    if (align == kTextAlignLeft) r.left += scale;
    CTextRenderer& renderer = CTextRenderer::shared();
    const std::string_view str(text);
    // Rendered at the device size, not enlarged: sharp glyphs at every scale.
    const int width = renderer.measure(fontId, fontStyle, str, scale);
    const int cell = renderer.metrics(fontId, fontStyle, scale).height();
    // Integer centring as a device does it: a rectangle lower than the cell
    // starts the cell above the rectangle's top.
    const int top = r.top + (r.height() - cell) / 2;
    int left = r.left;
    if (align == kTextAlignCenter)
        left = r.left + (r.width() - width) / 2;
    else if (align == kTextAlignRight)
        left = r.right - width;
    const CViewRect textClip = intersection(r, deviceClip);
    const CViewRect cellRect{left, top, left + width, top + cell};
    if (opaque) s->fill(cellRect, pixelOf(fillColor), textClip);
    renderer.render(*s, textClip, left, top, fontId, fontStyle, str, pixelOf(fontColor), scale);
    painted(intersection(cellRect, textClip));
}

std::int32_t CDrawContext::getStringWidth(const char* text)
{
    if (!text) return 0;
    return CTextRenderer::shared().measure(fontId, fontStyle, text);
}

void CDrawContext::setFrameColor(const CViewColor& color)
{
    if (sameColor(color, frameColor)) return;
    frameColor = color;
    rebuildPen();
}

void CDrawContext::setLineWidth(std::int32_t width)
{
    if (width == lineWidth) return;
    lineWidth = width;
    rebuildPen();
}

void CDrawContext::setFillColor(const CViewColor& color)
{
    if (sameColor(color, fillColor)) return;
    fillColor = color;
    ++brushCreations;
}

void CDrawContext::setFontColor(const CViewColor& color)
{
    fontColor = color;
}

void CDrawContext::setFont(std::int32_t id, std::int32_t style)
{
    id = normalisedFontId(id);
    const std::int32_t height = kFontTable[std::size_t(id)].height;
    if (id == fontId && height == fontSize && style == fontStyle) return;
    fontId = id;
    fontSize = height;
    fontStyle = style;
    ++fontCreations;
}

void CDrawContext::setClipRect(const CViewRect& rect)
{
    clip = rect.offsetBy(offset.h, offset.v);
    deviceClip = toDevice(rect);
}

CViewRect& CDrawContext::getClipRect(CViewRect& rect) const
{
    rect = clip.offsetBy(-offset.h, -offset.v);
    return rect;
}

const CPixelSurface& CDrawContext::atOwnScale(const CPixelSurface& source, std::int32_t sourceScale,
                                              const CViewPoint& sourceOffset, const CViewRect& rect,
                                              CPixelSurface& scratch, CViewPoint& deviceOffset) const
{
    if (sourceScale == scale || sourceScale <= 0)
    {
        deviceOffset = CViewPoint{sourceOffset.h * scale, sourceOffset.v * scale};
        return source;
    }
    const int width = rect.width() * scale;
    const int height = rect.height() * scale;
    scratch = CPixelSurface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            scratch.setPixel(x, y,
                             source.pixel((sourceOffset.h * scale + x) * sourceScale / scale,
                                          (sourceOffset.v * scale + y) * sourceScale / scale));
    deviceOffset = CViewPoint{};
    return scratch;
}

void CDrawContext::copySurface(const CPixelSurface& source, const CViewPoint& sourceOffset,
                               const CViewRect& rect, std::int32_t sourceScale)
{
    CPixelSurface* s = target();
    if (!s) return;
    const CViewRect r = toDevice(rect);
    CPixelSurface scratch;
    CViewPoint from;
    const CPixelSurface& pixels = atOwnScale(source, sourceScale, sourceOffset, rect, scratch, from);
    s->copy(pixels, from.h, from.v, r, deviceClip);
    painted(r);
}

void CDrawContext::copySurfaceKeyed(const CPixelSurface& source, const CViewPoint& sourceOffset,
                                    const CViewRect& rect, const CViewColor& key, std::int32_t sourceScale)
{
    CPixelSurface* s = target();
    if (!s) return;
    const CViewRect r = toDevice(rect);
    CPixelSurface scratch;
    CViewPoint from;
    const CPixelSurface& pixels = atOwnScale(source, sourceScale, sourceOffset, rect, scratch, from);
    s->copyKeyed(pixels, from.h, from.v, r, deviceClip, pixelOf(key));
    painted(r);
}

void CDrawContext::blendSurface(const CPixelSurface& source, const CViewPoint& sourceOffset,
                                const CViewRect& rect, std::uint8_t alpha, std::int32_t sourceScale)
{
    CPixelSurface* s = target();
    if (!s) return;
    const CViewRect r = toDevice(rect);
    CPixelSurface scratch;
    CViewPoint from;
    const CPixelSurface& pixels = atOwnScale(source, sourceScale, sourceOffset, rect, scratch, from);
    s->blend(pixels, from.h, from.v, r, deviceClip, alpha);
    painted(r);
}

} // namespace gui
