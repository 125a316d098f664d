// Base of a control that opens a picture over the editor on a left click;
// what it shows comes from the subclass.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

class CSplashScreen : public CControl
{
  public:
    CSplashScreen(const CViewRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    // Only left clicks reach it.
    bool hitTest(const CViewPoint& where, std::int32_t buttons) override;
    bool isTypeOf(const char* name) const override;

    // Closes the picture: value back to 0, and the listener hears about it.
    virtual void unSplash(CDrawContext* context);
};

} // namespace gui
