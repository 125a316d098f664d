#include "editor/CAnimKnob3.h"

#include <cmath>

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

namespace
{
// Units of travel for the whole range at drag scale 1; Shift makes it finer.
constexpr double kTravel = 1000.0;
constexpr double kFineTravel = 4000.0;

std::int32_t frameHeight(gui::CBitmap* strip, std::int32_t frames)
{
    return strip && frames > 0 ? strip->getHeight() / frames : 0;
}

// Integer part that stays defined for values no int can hold.
std::int32_t truncToInt(float v)
{
    if (!(v > -2.0e9f && v < 2.0e9f)) return 0;
    return static_cast<std::int32_t>(v);
}
} // namespace

CAnimKnob3::CAnimKnob3(const gui::CViewRect& rect, gui::CControlListener* knobListener, std::int32_t knobTag,
                       gui::CBitmap* filmStrip, std::int32_t frames)
    : CAnimKnob(rect, knobListener, knobTag, frames, frameHeight(filmStrip, frames), filmStrip)
{
}

void CAnimKnob3::draw(gui::CDrawContext* context)
{
    if (pBackground)
    {
        // frameIndexFor is trunc((n - 1) v + 0.5) inside the strip and pins
        // anything outside to its ends, so no value reads past the bitmap.
        const gui::CViewPoint source{0, frameIndexFor(value) * heightOfOneImage};
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, source);
        else
            pBackground->draw(context, size, source);
    }
    setDirty(false);
}

float CAnimKnob3::coefficientFor(std::int32_t buttons) const
{
    const auto range = static_cast<float>(dragScale * ((buttons & gui::modShift) ? kFineTravel : kTravel));
    return (vmax - vmin) / range;
}

bool CAnimKnob3::isSecondClick()
{
    const std::uint32_t now = pParentFrame ? pParentFrame->getTicks() : 0;
    // Elapsed time in unsigned arithmetic: the tick counter exceeds the
    // signed range after 24.8 days and wraps after 49.7.
    const bool second = clickPending && now - static_cast<std::uint32_t>(lastTicks) <
                                            static_cast<std::uint32_t>(getDoubleClickDelay());
    clickPending = !second;
    lastTicks = second ? 0 : static_cast<std::int32_t>(now);
    return second;
}

void CAnimKnob3::resetToDefault(gui::CDrawContext* context)
{
    beginEdit();
    value = getDefaultValue();
    notifyIfDirty(context);
    endEdit();
}

void CAnimKnob3::mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons)
{
    if (!bMouseEnabled) return;
    buttons = resolveButtons(context, buttons);
    if (!(buttons & gui::buttonLeft)) return;
    if (listener) listener->valueChanged(context, this);
    if (tryResetToDefault(context, buttons)) return;
    if (isSecondClick())
    {
        resetToDefault(context);
        return;
    }
    trackDrag(context, where, buttons);
}

void CAnimKnob3::trackDrag(gui::CDrawContext* context, const gui::CViewPoint& origin, std::int32_t buttons)
{
    float start = value;
    float coefficient = coefficientFor(buttons);
    if (listener) listener->valueChanged(context, this);

    gui::CViewPoint current;
    getMouseLocation(context, current);
    doIdleStuff();
    beginEdit();
    const gui::CViewPoint first = current;
    float accumulator = static_cast<float>(current.h);
    gui::CViewPoint previous = current;
    std::int32_t inForce = buttons;

    std::int32_t now = 0;
    do
    {
        now = readMouseButtons(context);
        // A pixel up counts 2, a pixel right counts 1.
        accumulator = static_cast<float>(truncToInt(
            accumulator + static_cast<float>(2 * (previous.v - current.v) + (current.h - previous.h))));
        previous = current;
        const float diff = accumulator - static_cast<float>(first.v + origin.h - origin.v);
        if (now != inForce)
        {
            // Re-base so that a new sensitivity starts from the value shown now.
            const float newCoefficient = coefficientFor(now);
            start += (coefficient - newCoefficient) * diff;
            coefficient = newCoefficient;
            inForce = now;
        }
        value = diff * coefficient + start;
        clampValue();
        notifyIfDirty(context);
        getMouseLocation(context, current);
        doIdleStuff();
    } while (now & gui::buttonLeft);

    if (listener) listener->valueChanged(context, this);
    endEdit();
}
