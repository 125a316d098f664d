#include "gui/CSplashScreen.h"

#include <cstring>

namespace gui
{

CSplashScreen::CSplashScreen(const CViewRect& rect, CControlListener* splashListener, std::int32_t splashTag,
                             CBitmap* background)
    : CControl(rect, splashListener, splashTag, background)
{
}

bool CSplashScreen::hitTest(const CViewPoint& where, std::int32_t buttons)
{
    return mouseableArea.pointInside(where) && (buttons & buttonLeft);
}

bool CSplashScreen::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CSplashScreen") == 0) || CControl::isTypeOf(name);
}

void CSplashScreen::unSplash(CDrawContext* context)
{
    if (value == 0.0f) return;
    value = 0.0f;
    if (listener) listener->valueChanged(context, this);
}

} // namespace gui
