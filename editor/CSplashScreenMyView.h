// The about picture with the program's version printed on it, shown as the
// frame's modal view; any left click closes it.
#pragma once

#include <string>

#include "gui/CView.h"

class CAbout;

class CSplashScreenMyView : public gui::CView
{
  public:
    // Takes the about area's picture and transparency; `about` outlives the view.
    CSplashScreenMyView(const gui::CViewRect& size, CAbout* about, const char* versionText);

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    const std::string& getVersionText() const { return versionText; }

  private:
    CAbout* about;
    std::string versionText;
};
