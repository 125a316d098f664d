// A round knob: the value maps to an angle on a circular travel with a dead
// zone at the bottom. Dragged along the circle, or linearly (right and up
// increase) in knob mode 2 or with Alt; also moved by the wheel and arrow keys.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

class CKnob : public CControl
{
  public:
    CKnob(const CViewRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
          const CViewPoint& offset = CViewPoint{});
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    std::int32_t onKeyDown(VstKeyCode& key) override;
    bool onWheel(CDrawContext* context, const CViewPoint& where, float distance) override;
    using CControl::onWheel;
    bool isTypeOf(const char* name) const override;

    virtual void drawHandle(CDrawContext* context);
    // Both angle setters take the current minimum and maximum into the mapping.
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle; }
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return rangeAngle; }
    // The handle point for the current value, relative to the knob's top-left.
    virtual void valueToPoint(CViewPoint& point) const;
    // The value for a point relative to the knob's top-left.
    virtual float valueFromPoint(CViewPoint& point) const;
    virtual void setInsetValue(std::int32_t newInset) { inset = newInset; }
    virtual void setColorShadowHandle(const CViewColor& color);
    virtual void setColorHandle(const CViewColor& color);
    virtual void setHandleBitmap(CBitmap* bitmap);
    // Fine-drag divisor applied with Shift in linear mode.
    virtual void setZoomFactor(float factor) { zoomFactor = factor; }
    virtual float getZoomFactor() const { return zoomFactor; }

  protected:
    void compute();
    // Range per pixel of a linear drag for the given button state.
    float linearRangePerPixel(std::int32_t buttons) const;
    bool dragsCircular(std::int32_t buttons) const;

    CViewPoint offset;
    CViewColor colorHandle = kWhiteCColor;
    CViewColor colorShadowHandle = kGreyCColor;
    CBitmap* handleBitmap = nullptr;
    std::int32_t inset = 3; // distance of the handle point from the rim
    float startAngle;
    float rangeAngle; // negative: clockwise
    float halfAngle;  // half of the dead zone
    float slope = 0.0f;
    float intercept = 0.0f;
    float radius;
    float zoomFactor = 1.5f;
};

} // namespace gui
