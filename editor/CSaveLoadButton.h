// A file button of the preset bar: a press runs the load or save dialog of
// its kind through the preset listener; it shows its pressed image meanwhile.
#pragma once

#include "gui/CControl.h"
#include "gui/CPointerTracker.h"

class CPresetSystemListener;

class CSaveLoadButton : public gui::CControl, private gui::CPointerTracker
{
  public:
    enum FileMode : std::int32_t
    {
        kLoadBank = 0,
        kSaveBank = 1,
        kLoadPreset = 2,
        kSavePreset = 3,
    };

    // `bitmap` stacks images of `imageHeight` from `offset` on: normal,
    // highlighted, pressed.
    CSaveLoadButton(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
                    gui::CBitmap* bitmap, const gui::CViewPoint& offset, std::int32_t imageHeight,
                    std::int32_t fileMode, CPresetSystemListener* presetListener);

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    virtual void setHover(bool flag);

    bool isHover() const { return hover; }
    std::int32_t getFileMode() const { return fileMode; }

  private:
    void runFileOperation();
    bool trackPointer(gui::CDrawContext* context, const gui::CViewPoint& where,
                      std::int32_t buttons) override;
    void abortTracking() override { showReleased(); }
    void showReleased();

    gui::CViewPoint offset;
    std::int32_t imageHeight;
    bool hover = false;
    std::int32_t fileMode;
    CPresetSystemListener* presetListener;
};
