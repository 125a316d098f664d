// A view that carries a normalised value, tells its listener about changes and
// brackets every user gesture with begin/end edit for the host's automation.
// A control asks for a redraw simply by holding a value different from the
// one it last drew.
#pragma once

#include <cstdint>

#include "gui/CControlListener.h"
#include "gui/CView.h"

namespace gui
{

class CControl : public CView
{
  public:
    CControl(const CViewRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
             CBitmap* background = nullptr);

    void draw(CDrawContext* context) override = 0;
    // Dirty when the value moved since the last draw (NaN always counts as
    // moved) or when the flag is set.
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    bool isTypeOf(const char* name) const override;
    // Knobs and switches move along one axis: a sideways swipe (touchpads,
    // tilting wheels) is not for them.
    bool onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance) override;
    using CView::onWheel;

    virtual void doIdleStuff();
    // Plain store: no clamping and no redraw request beyond the changed value.
    virtual void setValue(float val) { value = val; }
    virtual float getValue() const { return value; }
    virtual void setMin(float val) { vmin = val; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float val) { vmax = val; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float val) { oldValue = val; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float val) { defaultValue = val; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setTag(std::int32_t val) { tag = val; }
    virtual std::int32_t getTag() const { return tag; }
    // Makes this control the frame's focus view and opens the host gesture.
    virtual void beginEdit();
    virtual void endEdit();
    virtual void setBackOffset(const CViewPoint& offset) { backOffset = offset; }
    virtual void setBackOffsetToOrigin() { backOffset = size.topLeft(); }
    virtual void setWheelInc(float val) { wheelInc = val; }
    virtual float getWheelInc() const { return wheelInc; }
    virtual void clampValue();
    // Ctrl + left click and nothing else puts the default value back as one
    // complete gesture; true when it did.
    virtual bool tryResetToDefault(CDrawContext* context, std::int32_t buttons);

    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    const CViewPoint& getBackOffset() const { return backOffset; }
    // The platform's double-click time, never below 250 ms.
    std::int32_t getDoubleClickDelay();

  protected:
    // Offers a click made with any modifier to the listener; true when the
    // listener took it over.
    bool offerModifierClick(CDrawContext* context, std::int32_t buttons);
    void notifyIfDirty(CDrawContext* context);
    // `buttons` itself, or the current state when it is -1.
    std::int32_t resolveButtons(CDrawContext* context, std::int32_t buttons) const;

    CControlListener* listener = nullptr;
    std::int32_t tag = 0;
    float oldValue = 1.0f; // the value last drawn
    float defaultValue = 0.5f;
    float value = 0.0f;
    float vmin = 0.0f;
    float vmax = 1.0f;
    float wheelInc = 0.1f;
    std::int32_t lastTicks = -1; // time of the last click, for double clicks
    std::int32_t delta = 250;    // double-click delay in milliseconds
    CViewPoint backOffset;       // source offset into the background bitmap
};

} // namespace gui
