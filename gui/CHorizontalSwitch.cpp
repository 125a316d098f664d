#include "gui/CHorizontalSwitch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

namespace gui
{

CHorizontalSwitch::CHorizontalSwitch(const CViewRect& rect, CControlListener* switchListener,
                                     std::int32_t switchTag, std::int32_t nbSubPixmaps,
                                     std::int32_t imageHeight, CBitmap* background,
                                     const CViewPoint& switchOffset)
    : CControl(rect, switchListener, switchTag, background), offset(switchOffset), subPixmaps(nbSubPixmaps),
      heightOfOneImage(imageHeight)
{
    defaultValue = 0.0f;
}

bool CHorizontalSwitch::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CHorizontalSwitch") == 0) || CControl::isTypeOf(name);
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    if (backgroundBitmap)
    {
        std::int32_t index = 0;
        const float position = static_cast<float>(subPixmaps - 1) * value + 0.5f;
        // A value outside 0..1 (or NaN) shows the nearest end, not a frame past the strip.
        if (subPixmaps > 1 && position > 0.0f)
            index = std::min(subPixmaps - 1, static_cast<std::int32_t>(std::min(position, 1.0e6f)));
        const CViewPoint source{0, index * heightOfOneImage};
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, source);
        else
            backgroundBitmap->draw(context, size, source);
    }
    setDirty(false);
}

float CHorizontalSwitch::valueForColumn(std::int32_t h) const
{
    // One position has nowhere to go; it stays at 0 rather than dividing by zero.
    if (subPixmaps < 2) return 0.0f;
    const std::int32_t width =
        backgroundBitmap && backgroundBitmap->getWidth() > 0 ? backgroundBitmap->getWidth() : size.width();
    const float cellWidth = static_cast<float>(width) / static_cast<float>(subPixmaps);
    if (!(cellWidth > 0.0f)) return 0.0f;
    const float cell = std::trunc(static_cast<float>(h - size.left) / cellWidth);
    return std::clamp(cell / static_cast<float>(subPixmaps - 1), 0.0f, 1.0f);
}

void CHorizontalSwitch::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    if (!takesMouse) return;
    buttons = resolveButtons(context, buttons);
    if (offerModifierClick(context, buttons)) return;
    if (!(buttons & buttonLeft)) return;
    if (tryResetToDefault(context, buttons)) return;

    beginEdit();
    if (parentFrame && !parentFrame->pressesMayBlock())
    {
        trackedButtons = buttons;
        value = valueForColumn(where.h);
        notifyIfDirty(context);
        parentFrame->beginTracking(this, this);
        return;
    }
    std::int32_t current = buttons;
    do
    {
        value = valueForColumn(where.h);
        notifyIfDirty(context);
        getMouseLocation(context, where);
        doIdleStuff();
        current = readMouseButtons(context);
    } while (current == buttons);
    endEdit();
}

// A turn of the loop above, with the pointer of this reading.
bool CHorizontalSwitch::trackPointer(CDrawContext* context, const CViewPoint& where, std::int32_t buttons)
{
    if (buttons != trackedButtons)
    {
        endEdit();
        return false;
    }
    value = valueForColumn(where.h);
    notifyIfDirty(context);
    return true;
}

} // namespace gui
