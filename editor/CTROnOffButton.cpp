#include "editor/CTROnOffButton.h"

#include "editor/PressPoll.h"
#include "gui/CBitmap.h"

namespace
{
constexpr std::int32_t kImages = 4;
}

CTROnOffButton::CTROnOffButton(const gui::CViewRect& rect, gui::CControlListener* buttonListener,
                               std::int32_t buttonTag, gui::CBitmap* bitmap)
    : COnOffButton(rect, buttonListener, buttonTag, bitmap)
{
}

void CTROnOffButton::draw(gui::CDrawContext* context)
{
    if (backgroundBitmap)
    {
        const std::int32_t h = backgroundBitmap->getHeight() / kImages;
        const std::int32_t image = !active ? 3 : pressed ? 2 : hover ? 1 : 0;
        backgroundBitmap->draw(context, size, gui::CViewPoint{0, image * h});
    }
    setDirty(false);
}

void CTROnOffButton::mouse(gui::CDrawContext* context, gui::CViewPoint, std::int32_t buttons)
{
    if (!takesMouse || !(resolveButtons(context, buttons) & gui::buttonLeft)) return;
    if (listener) listener->valueChanged(context, this);
    pressed = true;
    setDirty(true);
    pressPoll::drawNow(*this, context);
    if (pressPoll::trackRelease(*this, *this)) return;
    pressPoll::waitForRelease(parentFrame);
    showReleased();
}

void CTROnOffButton::showReleased()
{
    pressed = false;
    setDirty(true);
}

bool CTROnOffButton::trackPointer(gui::CDrawContext*, const gui::CViewPoint&, std::int32_t buttons)
{
    if (buttons & gui::buttonLeft) return true;
    showReleased();
    return false;
}

void CTROnOffButton::setHover(bool flag)
{
    if (flag == hover) return;
    hover = flag;
    setDirty(true);
}
