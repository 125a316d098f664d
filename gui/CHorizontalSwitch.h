// A row of positions drawn from a vertical film strip: the pointer's column
// over the background picks the position, while the button is held. Where a
// press may not block, the frame feeds the gesture (CPointerTracker).
#pragma once

#include <cstdint>

#include "gui/CControl.h"
#include "gui/CPointerTracker.h"

namespace gui
{

class CHorizontalSwitch : public CControl, private CPointerTracker
{
  public:
    CHorizontalSwitch(const CViewRect& size, CControlListener* listener, std::int32_t tag,
                      std::int32_t subPixmaps, std::int32_t heightOfOneImage, CBitmap* background,
                      const CViewPoint& offset = CViewPoint{});

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    bool isTypeOf(const char* name) const override;

    // The value for a pointer column (in the parent's coordinates).
    float valueForColumn(std::int32_t h) const;

  protected:
    CViewPoint offset;
    std::int32_t subPixmaps;
    std::int32_t heightOfOneImage;

  private:
    bool trackPointer(CDrawContext* context, const CViewPoint& where, std::int32_t buttons) override;
    void abortTracking() override { endEdit(); }

    std::int32_t trackedButtons = 0; // the state the gesture began with
};

} // namespace gui
