#include "gui/CKnob.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace gui
{

namespace
{
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * kPi;
constexpr std::int32_t kLinearKnobMode = 2;
constexpr float kPixelsForFullRange = 200.0f;

// One turn added or taken away: enough for differences of two angles in [-2pi, 2pi].
float wrapOnce(float angle)
{
    if (angle < 0.0f) return angle + kTwoPi;
    if (angle > kTwoPi) return angle - kTwoPi;
    return angle;
}

// Integer part that stays defined for values no int can hold.
std::int32_t truncToInt(float v)
{
    if (!(v > -2.0e9f && v < 2.0e9f)) return 0;
    return static_cast<std::int32_t>(v);
}
} // namespace

CKnob::CKnob(const CViewRect& rect, CControlListener* knobListener, std::int32_t knobTag, CBitmap* background,
             const CViewPoint& knobOffset)
    : CControl(rect, knobListener, knobTag, background), offset(knobOffset), startAngle(5.0f * kPi / 4.0f),
      rangeAngle(-3.0f * kPi / 2.0f), radius(static_cast<float>(rect.right - rect.left) / 2.0f)
{
    compute();
    setWantsFocus(true);
}

CKnob::~CKnob()
{
    if (handleBitmap) handleBitmap->release();
}

bool CKnob::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CKnob") == 0) || CControl::isTypeOf(name);
}

void CKnob::compute()
{
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) / 2.0f;
    slope = (vmax - vmin) / rangeAngle;
    intercept = vmin - slope * startAngle;
}

void CKnob::setStartAngle(float angle)
{
    startAngle = angle;
    compute();
    setDirty();
}

void CKnob::setRangeAngle(float angle)
{
    rangeAngle = angle;
    compute();
    setDirty();
}

void CKnob::setColorShadowHandle(const CViewColor& color)
{
    colorShadowHandle = color;
    setDirty();
}

void CKnob::setColorHandle(const CViewColor& color)
{
    colorHandle = color;
    setDirty();
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (handleBitmap) handleBitmap->release();
    handleBitmap = bitmap;
    if (handleBitmap)
    {
        handleBitmap->retain();
        inset = handleBitmap->getWidth() / 2 + 2; // what half the width plus 2.5 gave when truncated
    }
}

void CKnob::valueToPoint(CViewPoint& point) const
{
    float alpha = (value - intercept) / slope;
    // An empty range or a NaN value has no angle; show the start instead.
    if (!std::isfinite(alpha)) alpha = startAngle;
    point.h = truncToInt(radius + std::cos(alpha) * (radius - inset) + 0.5f);
    point.v = truncToInt(radius - std::sin(alpha) * (radius - inset) + 0.5f);
}

float CKnob::valueFromPoint(CViewPoint& point) const
{
    float alpha = std::atan2(radius - point.v, point.h - radius);
    if (alpha < 0.0f) alpha += kTwoPi;
    alpha -= startAngle;

    if (rangeAngle >= 0.0f)
    {
        const float beta = wrapOnce(alpha);
        if (beta > rangeAngle + halfAngle) return vmin;
        if (beta > rangeAngle) return vmax;
        if (alpha > rangeAngle + halfAngle)
            alpha -= kTwoPi;
        else if (alpha < -halfAngle)
            alpha += kTwoPi;
        return alpha * slope + vmin;
    }

    alpha -= rangeAngle;
    const float beta = wrapOnce(alpha);
    if (beta > halfAngle - rangeAngle) return vmax;
    if (beta > -rangeAngle) return vmin;
    if (alpha > halfAngle - rangeAngle)
        alpha -= kTwoPi;
    else if (alpha < -halfAngle)
        alpha += kTwoPi;
    return alpha * slope + vmax;
}

void CKnob::draw(CDrawContext* context)
{
    if (backgroundBitmap)
    {
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, offset);
        else
            backgroundBitmap->draw(context, size, offset);
    }
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CViewPoint where;
    valueToPoint(where);
    where.offset(size.left, size.top);

    if (handleBitmap)
    {
        const std::int32_t width = handleBitmap->getWidth();
        const std::int32_t height = handleBitmap->getHeight();
        const std::int32_t left = where.h - width / 2;
        const std::int32_t top = where.v - height / 2;
        handleBitmap->drawTransparent(context, CViewRect{left, top, left + width, top + height},
                                      CViewPoint{});
        return;
    }

    const CViewPoint centre{size.left + size.width() / 2, size.top + size.height() / 2};
    context->setFrameColor(colorShadowHandle);
    context->moveTo(CViewPoint{where.h - 1, where.v});
    context->lineTo(CViewPoint{centre.h - 1, centre.v});
    context->setFrameColor(colorHandle);
    context->moveTo(CViewPoint{where.h, where.v - 1});
    context->lineTo(CViewPoint{centre.h, centre.v - 1});
}

bool CKnob::dragsCircular(std::int32_t buttons) const
{
    const std::int32_t mode = parentFrame ? parentFrame->getKnobMode() : 0;
    const bool alt = (buttons & modAlt) != 0;
    // Alt swaps whatever the global mode is.
    return (mode != kLinearKnobMode && !alt) || (mode == kLinearKnobMode && alt);
}

float CKnob::linearRangePerPixel(std::int32_t buttons) const
{
    const float pixels = (buttons & modShift) ? kPixelsForFullRange * zoomFactor : kPixelsForFullRange;
    return (vmax - vmin) / pixels;
}

void CKnob::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    if (!takesMouse) return;
    buttons = resolveButtons(context, buttons);
    if (!(buttons & buttonLeft)) return;
    if (offerModifierClick(context, buttons) || tryResetToDefault(context, buttons)) return;

    const bool circular = dragsCircular(buttons);
    CViewPoint relative{where.h - size.left, where.v - size.top};
    float previous = circular ? valueFromPoint(relative) : 0.0f;
    const CViewPoint first = where;
    float rangePerPixel = linearRangePerPixel(buttons);
    float base = value;
    std::int32_t recordedButtons = buttons;
    const float halfRange = (vmax - vmin) / 2.0f;

    beginEdit();
    CViewPoint last{-1, -1};
    std::int32_t current = buttons;
    while (current & buttonLeft)
    {
        if (!(where == last))
        {
            last = where;
            if (!circular)
            {
                const float d = static_cast<float>((where.h - first.h) + (first.v - where.v));
                if (current != recordedButtons)
                {
                    // Re-base so that the new sensitivity starts from the value shown now.
                    const float newRange = linearRangePerPixel(current);
                    base += (rangePerPixel - newRange) * d;
                    rangePerPixel = newRange;
                    recordedButtons = current;
                }
                value = d * rangePerPixel + base;
                clampValue();
            }
            else
            {
                relative = CViewPoint{where.h - size.left, where.v - size.top};
                const float t = valueFromPoint(relative);
                value = t;
                // A jump across the dead zone pins the end it came from.
                if (previous - t > halfRange)
                    value = vmax;
                else if (t - previous > halfRange)
                    value = vmin;
                else
                    previous = t;
            }
            notifyIfDirty(context);
        }
        getMouseLocation(context, where);
        doIdleStuff();
        current = readMouseButtons(context);
    }
    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, const CViewPoint& where, float distance)
{
    if (!takesMouse) return false;
    const bool fine = (readMouseButtons(context) & modShift) != 0;
    value += distance * wheelInc * (fine ? 0.1f : 1.0f);
    clampValue();
    if (isDirty() && listener)
    {
        beginEdit();
        listener->valueChanged(context, this);
        endEdit();
    }
    return true;
}

std::int32_t CKnob::onKeyDown(VstKeyCode& key)
{
    float step = 0.0f;
    switch (key.virt)
    {
    case kVirtualKeyLeft:
    case kVirtualKeyDown:
        step = -1.0f;
        break;
    case kVirtualKeyUp:
    case kVirtualKeyRight:
        step = 1.0f;
        break;
    default:
        return kKeyNotHandled;
    }
    if (key.modifier & kKeyModifierShift) step *= 0.1f;
    value += step * wheelInc;
    clampValue();
    if (isDirty() && listener)
    {
        beginEdit();
        listener->valueChanged(nullptr, this);
        endEdit();
    }
    return 1;
}

} // namespace gui
