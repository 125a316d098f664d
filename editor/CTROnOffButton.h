// A memo button: it fires on the press, shows its pressed image while held
// and lights up under the pointer. Its value never changes.
#pragma once

#include "gui/COnOffButton.h"
#include "gui/CPointerTracker.h"

class CTROnOffButton : public gui::COnOffButton, private gui::CPointerTracker
{
  public:
    // `bitmap` stacks four images: normal, highlighted, pressed, inactive.
    CTROnOffButton(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
                   gui::CBitmap* bitmap);

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    virtual void setHover(bool flag);

    bool isHover() const { return hover; }
    bool isPressed() const { return pressed; }
    bool isActive() const { return active; }
    void setActive(bool flag) { active = flag; }

  private:
    bool trackPointer(gui::CDrawContext* context, const gui::CViewPoint& where,
                      std::int32_t buttons) override;
    void abortTracking() override { showReleased(); }
    void showReleased();

    bool hover = false;
    bool active = true;
    bool pressed = false;
};
