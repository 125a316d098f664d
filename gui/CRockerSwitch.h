// Base of a spring-loaded rocker (-1, 0, +1). Drawing and clicking come from
// the subclass; a wheel notch is one press and release.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

class CRockerSwitch : public CControl
{
  public:
    CRockerSwitch(const CViewRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    // Up (distance > 0) reports -1, down reports +1, each followed by 0.
    bool onWheel(CDrawContext* context, const CViewPoint& where, float distance) override;
    using CControl::onWheel;
    bool isTypeOf(const char* name) const override;
};

} // namespace gui
