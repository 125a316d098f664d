// The invisible about area over the title lettering: a left click shows the
// about picture over the top of the panel until a click closes it. Its value
// is 1 exactly while the picture is up.
#pragma once

#include "gui/CSplashScreen.h"

class CAbout : public gui::CSplashScreen
{
  public:
    // `picture` is shown in `displayRect` (frame coordinates) from `pictureOffset` on.
    CAbout(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
           gui::CBitmap* picture, const gui::CViewRect& displayRect, const gui::CViewPoint& pictureOffset);

    // Nothing: the lettering belongs to the panel background.
    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    const gui::CViewRect& getDisplayRect() const { return displayRect; }
    const gui::CViewPoint& getPictureOffset() const { return pictureOffset; }

    static constexpr const char* kVersionText = "1.0.8";

  private:
    void showPicture(gui::CDrawContext* context);

    gui::CViewRect displayRect;
    gui::CViewPoint pictureOffset;
};
