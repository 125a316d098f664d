#include "editor/CAbout.h"

#include "editor/CSplashScreenMyView.h"
#include "gui/CFrame.h"

CAbout::CAbout(const gui::CViewRect& rect, gui::CControlListener* aboutListener, std::int32_t aboutTag,
               gui::CBitmap* picture, const gui::CViewRect& display, const gui::CViewPoint& offset)
    : CSplashScreen(rect, aboutListener, aboutTag, picture), displayRect(display), pictureOffset(offset)
{
}

void CAbout::draw(gui::CDrawContext*)
{
    setDirty(false);
}

void CAbout::mouse(gui::CDrawContext* context, gui::CViewPoint, std::int32_t buttons)
{
    if (!takesMouse) return;
    buttons = resolveButtons(context, buttons);
    if (offerModifierClick(context, buttons)) return;
    if (!(buttons & gui::buttonLeft)) return;
    value = value == 0.0f ? 1.0f : 0.0f;
    if (value == 1.0f) showPicture(context);
    setDirty(true);
}

void CAbout::showPicture(gui::CDrawContext* context)
{
    auto* view = new CSplashScreenMyView(displayRect, this, kVersionText);
    // The frame holds the view from here on; it goes when the view closes
    // itself or with the frame, whichever comes first.
    const bool shown = parentFrame && parentFrame->setModalView(view);
    view->release();
    if (!shown)
    {
        value = 0.0f;
        return;
    }
    if (listener) listener->valueChanged(context, this);
}
