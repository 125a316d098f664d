// What a control tells its owner (the editor): every value change during a
// gesture, and clicks made with a modifier held, which the owner may take over.
#pragma once

#include <cstdint>

namespace gui
{

class CControl;
class CDrawContext;

class CControlListener
{
  public:
    // `context` may be null (key presses arrive without one).
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Nonzero takes the click over; the control then does nothing with it.
    virtual std::int32_t modifierClicked(CDrawContext* context, CControl* control, std::int32_t buttons)
    {
        return 0;
    }

  protected:
    ~CControlListener() = default;
};

} // namespace gui
