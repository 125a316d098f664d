#include "gui/COffscreenContext.h"

#include <algorithm>

#include "gui/CFrame.h"

namespace gui
{

namespace
{
std::int32_t scaleOf(const CFrame* frame)
{
    return frame ? frame->getScale() : 1;
}
} // namespace

COffscreenContext::COffscreenContext(CFrame* frameArg, std::int32_t widthArg, std::int32_t heightArg,
                                     const CViewColor& background)
    : CDrawContext(frameArg, nullptr, nullptr), height(heightArg), width(widthArg),
      backgroundColor(background), pixels(widthArg * scaleOf(frameArg), heightArg * scaleOf(frameArg))
{
    setSurface(&pixels);
    setStoredClip(
        CViewRect{std::min(0, width), std::min(0, height), std::max(0, width), std::max(0, height)});
    setFillColor(background);
    setFrameColor(background);
    const CViewRect all{0, 0, width, height};
    fillRect(all);
    drawRect(all);
}

COffscreenContext::~COffscreenContext() = default;

void COffscreenContext::copyFrom(CDrawContext* destination, const CViewRect& destRect,
                                 const CViewPoint& sourceOffset)
{
    if (destination) destination->copySurface(pixels, sourceOffset, destRect, getScale());
}

} // namespace gui
