#include "editor/CAmberVuMeter2.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"
#include "resources/SkinLayout.h"

namespace
{
using gui::CViewPoint;
using gui::CViewRect;

// The needle is composed in a block that covers the whole panel area it can reach.
constexpr std::int32_t kOffscreenWidth = 400;
constexpr std::int32_t kOffscreenHeight = 340;

// Five one-pixel lines, shifted by these amounts, make a needle about two pixels thick.
constexpr double kNeedleShifts[5][2] = {{1, 0}, {0, 0}, {1, 1}, {0, 1}, {0.5, 0.5}};

std::int32_t bitmapWidth(const gui::CBitmap* b)
{
    return b ? b->getWidth() : 0;
}
std::int32_t bitmapHeight(const gui::CBitmap* b)
{
    return b ? b->getHeight() : 0;
}
CViewRect faceAt(const CViewRect& size, const gui::CBitmap* face)
{
    return CViewRect{size.left, size.top, size.left + bitmapWidth(face), size.top + bitmapHeight(face)};
}
} // namespace

CAmberVuMeter2::CAmberVuMeter2(const CViewRect& rect, gui::CControlListener* meterListener,
                               std::int32_t meterTag, gui::CBitmap* face, gui::CBitmap* overlay,
                               const CViewPoint& overlayAt, const CViewPoint& pivotAt, float inner,
                               float outer)
    : CControl(faceAt(rect, face), meterListener, meterTag, nullptr), faceBitmap(face),
      overlayBitmap(overlay), overlayOrigin(overlayAt), innerRadius(inner), outerRadius(outer),
      faceRect(faceAt(rect, face)), pivot(pivotAt)
{
    if (faceBitmap) faceBitmap->retain();
    if (overlayBitmap) overlayBitmap->retain();
}

CAmberVuMeter2::~CAmberVuMeter2()
{
    if (faceBitmap) faceBitmap->release();
    if (overlayBitmap) overlayBitmap->release();
}

// --- Needle parts -------------------------------------------------------------

float CAmberVuMeter2::limited(float x)
{
    if (x < 1e-8f) return 1e-9f;
    return x > 4.0f ? 4.0f : x;
}

// Once the swing has reached 0.5, a smaller value latches it at -1 until a
// value of at least 0.5 arrives again.
void CAmberVuMeter2::storeSwing(float x)
{
    x = std::fabs(x) < 1e-8f ? 1e-9f : std::clamp(x, -4.0f, 4.0f);
    if (needleSwing >= 0.5f && x < 0.5f)
        needleSwing = -1.0f;
    else if (needleSwing > -0.5f || x >= 0.5f)
        needleSwing = x;
}

void CAmberVuMeter2::clearSwing()
{
    needleSwing = 1e-7f;
    setValue(needleBase + 1e-7f);
}

void CAmberVuMeter2::resetNeedleParts()
{
    needleBase = 1.1e-7f;
    needleExtraA = 8.7e-8;
    needleExtraB = 8.5e-8;
    needleSwing = 1e-7f;
    needleOffset = 9e-8f;
    setValue(2.1e-7f);
}

void CAmberVuMeter2::setNeedleBase(float x)
{
    needleBase = limited(x);
    setValue(needleBase);
}

void CAmberVuMeter2::setNeedleSwing(float x)
{
    storeSwing(x);
    setValue(needleBase + needleSwing);
}

void CAmberVuMeter2::setNeedleOffset(float x)
{
    needleOffset = limited(x);
    setValue(needleBase + needleSwing + needleOffset);
}

void CAmberVuMeter2::setNeedleExtraA(double x)
{
    needleExtraA = x;
    setValue(static_cast<float>(double(needleBase) + x + double(needleSwing) + double(needleOffset)));
}

void CAmberVuMeter2::setNeedleExtraB(double x)
{
    needleExtraB = x;
    setValue(static_cast<float>(double(needleBase) + x + double(needleSwing) + double(needleOffset)));
}

void CAmberVuMeter2::setNeedleParts(float base, float swing, float offset, double extraA, double extraB)
{
    needleBase = limited(base);
    storeSwing(swing);
    needleOffset = limited(offset);
    needleExtraA = extraA;
    needleExtraB = extraB;
    setValue(static_cast<float>(extraB + extraA + double(needleBase) + double(needleSwing) +
                                double(needleOffset)));
}

// --- Drawing -------------------------------------------------------------------

CAmberVuMeter2::NeedleLine CAmberVuMeter2::needleLine(float v, double dx, double dy) const
{
    constexpr double kDegree = std::numbers::pi / 180.0;
    const double angle =
        resources::kMeterRestDegrees * kDegree - resources::kMeterSwingDegrees * kDegree * double(v);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    // Screen y grows downwards, so the needle points up from the pivot.
    auto at = [&](float r)
    {
        return CViewPoint{static_cast<std::int32_t>(pivot.h + dx + r * c),
                          static_cast<std::int32_t>(pivot.v + dy - r * s)};
    };
    return NeedleLine{at(innerRadius), at(outerRadius)};
}

void CAmberVuMeter2::draw(gui::CDrawContext* context)
{
    auto* offscreen =
        new gui::COffscreenContext(getFrame(), kOffscreenWidth, kOffscreenHeight, gui::kBlackCColor);
    if (faceBitmap) faceBitmap->draw(offscreen, faceRect, CViewPoint{});
    offscreen->setFrameColor(kNeedleColor);
    // Out-of-range values are drawn beyond the scale's ends; there is no clamp here.
    if (std::isfinite(value))
    {
        for (const auto& shift : kNeedleShifts)
        {
            const NeedleLine line = needleLine(value, shift[0], shift[1]);
            offscreen->moveTo(line.from);
            offscreen->lineTo(line.to);
        }
    }
    if (overlayBitmap)
    {
        const CViewRect overlayRect{overlayOrigin.h, overlayOrigin.v,
                                    overlayOrigin.h + overlayBitmap->getWidth(),
                                    overlayOrigin.v + overlayBitmap->getHeight()};
        overlayBitmap->draw(offscreen, overlayRect, CViewPoint{});
    }
    if (context) offscreen->copyFrom(context, faceRect, faceRect.topLeft());
    offscreen->release();
    setDirty(false);
}

void CAmberVuMeter2::mouse(gui::CDrawContext* context, gui::CViewPoint, std::int32_t buttons)
{
    if (!takesMouse) return;
    buttons = resolveButtons(context, buttons);
    if ((buttons & gui::buttonLeft) && listener) listener->valueChanged(context, this);
}
