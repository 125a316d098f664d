// Base of two-state buttons; drawing and clicking come from the subclass.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

class COnOffButton : public CControl
{
  public:
    COnOffButton(const CViewRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                 std::int32_t style = 0);

    bool isTypeOf(const char* name) const override;

    virtual std::int32_t getStyle() const { return style; }
    virtual void setStyle(std::int32_t newStyle) { style = newStyle; }

  protected:
    std::int32_t style;
};

} // namespace gui
