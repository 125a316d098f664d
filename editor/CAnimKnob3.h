// A film-strip knob with a linear drag of its own: up counts twice as much as
// right, the travel for the whole range scales per knob, Shift makes it four
// times finer without a jump, and Ctrl+click or a double click resets it.
#pragma once

#include "gui/CAnimKnob.h"

class CAnimKnob3 : public gui::CAnimKnob
{
  public:
    // The frame height is the strip's height divided by `frames`.
    CAnimKnob3(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
               gui::CBitmap* filmStrip, std::int32_t frames);

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    virtual void setDragScale(double scale) { dragScale = scale; }
    double getDragScale() const { return dragScale; }

  private:
    // Value range per unit of travel for the given buttons and modifiers.
    float coefficientFor(std::int32_t buttons) const;
    // True when this click completes a double click.
    bool isSecondClick();
    void resetToDefault(gui::CDrawContext* context);
    void trackDrag(gui::CDrawContext* context, const gui::CViewPoint& origin, std::int32_t buttons);

    double dragScale = 1.0;
    bool clickPending = false; // lastTicks holds the time of a first click
};
