#include "gui/CAnimKnob.h"

#include <cstring>

#include "gui/CBitmap.h"

namespace gui
{

CAnimKnob::CAnimKnob(const CViewRect& rect, CControlListener* knobListener, std::int32_t knobTag,
                     std::int32_t nbSubPixmaps, std::int32_t imageHeight, CBitmap* background,
                     const CViewPoint& knobOffset)
    : CKnob(rect, knobListener, knobTag, background, knobOffset), subPixmaps(nbSubPixmaps),
      heightOfOneImage(imageHeight)
{
}

bool CAnimKnob::isDirty() const
{
    if (!markedDirty)
    {
        CViewPoint point;
        valueToPoint(point);
        if (point == lastDrawnPoint) return false;
    }
    return CKnob::isDirty();
}

bool CAnimKnob::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CAnimKnob") == 0) || CKnob::isTypeOf(name);
}

std::int32_t CAnimKnob::frameIndexFor(float val) const
{
    if (subPixmaps < 2 || !(val > 0.0f)) // NaN and values at or below 0 show the first frame
        return 0;
    const float index = static_cast<float>(subPixmaps - 1) * val + 0.5f;
    if (index >= static_cast<float>(subPixmaps - 1)) return subPixmaps - 1;
    return static_cast<std::int32_t>(index);
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (backgroundBitmap)
    {
        const CViewPoint source{offset.h, offset.v + frameIndexFor(value) * heightOfOneImage};
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, source);
        else
            backgroundBitmap->draw(context, size, source);
    }
    valueToPoint(lastDrawnPoint);
    setDirty(false);
}

} // namespace gui
