// The preset step rocker: a click on the left half steps back, on the right
// half forward, straight through the preset listener. The half under the
// pointer lights up.
#pragma once

#include "gui/CRockerSwitch.h"

class CPresetSystemListener;

class CTRRockerSwitch : public gui::CRockerSwitch
{
  public:
    // `bitmap` stacks five images of `imageHeight`: normal, left lit, right
    // lit, left pressed, right pressed.
    CTRRockerSwitch(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
                    gui::CBitmap* bitmap, std::int32_t imageHeight, CPresetSystemListener* presetListener);

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    // Off clears the highlight; on lights the half that holds `where` (frame
    // coordinates) and keeps the old one when it is in neither.
    virtual void setHover(bool flag, const gui::CViewPoint& where);

    enum Half : std::int32_t
    {
        kNoHalf = 0,
        kLeftHalf = 1,
        kRightHalf = 2,
    };
    std::int32_t getHoverHalf() const { return hoverHalf; }

  private:
    CPresetSystemListener* presetListener;
    std::int32_t imageHeight;
    std::int32_t hoverHalf = kNoHalf;
    gui::CViewRect leftHalf;
    gui::CViewRect rightHalf;
};
