// A knob drawn as one frame of a vertical film strip. It skips redraws for
// value changes too small to move the handle point it last drew.
#pragma once

#include <cstdint>

#include "gui/CKnob.h"

namespace gui
{

class CAnimKnob : public CKnob
{
  public:
    CAnimKnob(const CViewRect& size, CControlListener* listener, std::int32_t tag, std::int32_t subPixmaps,
              std::int32_t heightOfOneImage, CBitmap* background, const CViewPoint& offset = CViewPoint{});

    // Draws the film-strip frame nearest to the value; subclasses may draw
    // their own way and record the handle point they drew in `lastDrawnPoint`.
    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    bool isTypeOf(const char* name) const override;

    std::int32_t getNbSubPixmaps() const { return subPixmaps; }
    std::int32_t getHeightOfOneImage() const { return heightOfOneImage; }
    // Index of the film-strip frame that shows `val`: nearest frame, never
    // outside the strip.
    std::int32_t frameIndexFor(float val) const;

  protected:
    std::int32_t subPixmaps;
    std::int32_t heightOfOneImage;
    CViewPoint lastDrawnPoint;
};

} // namespace gui
