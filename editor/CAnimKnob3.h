// A film-strip knob with a linear drag of its own: up counts twice as much as
// right, the travel for the whole range scales per knob, Shift makes it four
// times finer without a jump, and Ctrl+click or a double click resets it.
// The drag polls inside the press where a press may block; elsewhere the
// frame feeds the same steps from idle and pointer events.
#pragma once

#include "gui/CAnimKnob.h"
#include "gui/CPointerTracker.h"

class CAnimKnob3 : public gui::CAnimKnob, private gui::CPointerTracker
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
    void beginDrag(gui::CDrawContext* context, const gui::CViewPoint& origin, std::int32_t buttons,
                   bool idleFirst);
    // One turn: `now` is the button state read this turn, the pointer is the
    // one read at the end of the turn before.
    void dragStep(gui::CDrawContext* context, std::int32_t now);
    void endDrag(gui::CDrawContext* context);
    bool trackPointer(gui::CDrawContext* context, const gui::CViewPoint& where,
                      std::int32_t buttons) override;
    void abortTracking() override { endEdit(); }

    // The state of a drag in progress.
    struct Drag
    {
        float start = 0.0f;
        float coefficient = 0.0f;
        float accumulator = 0.0f;
        gui::CViewPoint origin; // where the press was
        gui::CViewPoint first;  // the first pointer reading
        gui::CViewPoint previous;
        gui::CViewPoint current;
        std::int32_t inForce = 0; // buttons and modifiers the coefficient is for
    };

    Drag drag;
    double dragScale = 1.0;
    bool clickPending = false; // lastTicks holds the time of a first click
};
