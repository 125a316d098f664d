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
    if (backgroundBitmap)
    {
        // frameIndexFor is trunc((n - 1) v + 0.5) inside the strip and pins
        // anything outside to its ends, so no value reads past the bitmap.
        const gui::CViewPoint source{0, frameIndexFor(value) * heightOfOneImage};
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, source);
        else
            backgroundBitmap->draw(context, size, source);
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
    const std::uint32_t now = parentFrame ? parentFrame->getTicks() : 0;
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
    if (!takesMouse) return;
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
    const bool blocking = !parentFrame || parentFrame->pressesMayBlock();
    beginDrag(context, origin, buttons, blocking);
    if (!blocking)
    {
        parentFrame->beginTracking(this, this);
        return;
    }
    std::int32_t now = 0;
    do
    {
        now = readMouseButtons(context);
        dragStep(context, now);
        getMouseLocation(context, drag.current);
        doIdleStuff();
    } while (now & gui::buttonLeft);
    endDrag(context);
}

void CAnimKnob3::beginDrag(gui::CDrawContext* context, const gui::CViewPoint& origin, std::int32_t buttons,
                           bool idleFirst)
{
    drag.start = value;
    drag.coefficient = coefficientFor(buttons);
    if (listener) listener->valueChanged(context, this);
    getMouseLocation(context, drag.current);
    // Inside the host's idle there is nothing to catch up on.
    if (idleFirst) doIdleStuff();
    beginEdit();
    drag.origin = origin;
    drag.first = drag.current;
    drag.accumulator = static_cast<float>(drag.current.h);
    drag.previous = drag.current;
    drag.inForce = buttons;
}

void CAnimKnob3::dragStep(gui::CDrawContext* context, std::int32_t now)
{
    const gui::CViewPoint& current = drag.current;
    // A pixel up counts 2, a pixel right counts 1.
    drag.accumulator = static_cast<float>(
        truncToInt(drag.accumulator +
                   static_cast<float>(2 * (drag.previous.v - current.v) + (current.h - drag.previous.h))));
    drag.previous = current;
    const float diff = drag.accumulator - static_cast<float>(drag.first.v + drag.origin.h - drag.origin.v);
    if (now != drag.inForce)
    {
        // Re-base so that a new sensitivity starts from the value shown now.
        const float newCoefficient = coefficientFor(now);
        drag.start += (drag.coefficient - newCoefficient) * diff;
        drag.coefficient = newCoefficient;
        drag.inForce = now;
    }
    value = diff * drag.coefficient + drag.start;
    clampValue();
    notifyIfDirty(context);
}

void CAnimKnob3::endDrag(gui::CDrawContext* context)
{
    if (listener) listener->valueChanged(context, this);
    endEdit();
}

bool CAnimKnob3::trackPointer(gui::CDrawContext* context, const gui::CViewPoint& where, std::int32_t buttons)
{
    dragStep(context, buttons);
    drag.current = where;
    if (buttons & gui::buttonLeft) return true;
    endDrag(context);
    return false;
}
