// Base of momentary buttons; drawing and clicking come from the subclass.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

class CKickButton : public CControl
{
  public:
    CKickButton(const CViewRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    bool isTypeOf(const char* name) const override;
};

} // namespace gui
