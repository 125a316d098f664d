// The analogue gain-reduction meter: a needle between the printed scale and an
// overlay that hides its lower part. The value is the needle position, 0 at
// the left end of its travel and 1 at the right; smoothing is the engine's.
#pragma once

#include "gui/CControl.h"

class CAmberVuMeter2 : public gui::CControl
{
  public:
    // The view and face rectangle are the top-left of `size` plus the face's size.
    CAmberVuMeter2(const gui::CViewRect& size, gui::CControlListener* listener, std::int32_t tag,
                   gui::CBitmap* face, gui::CBitmap* overlay, const gui::CViewPoint& overlayOrigin,
                   const gui::CViewPoint& pivot, float innerRadius, float outerRadius);
    ~CAmberVuMeter2() override;

    void draw(gui::CDrawContext* context) override;
    void mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons) override;

    virtual bool isSwingLatched() const { return needleSwing < -0.5f; }
    virtual void clearSwing();
    virtual void resetNeedleParts();
    virtual void setNeedleBase(float x);
    virtual void setNeedleSwing(float x);
    virtual void setNeedleOffset(float x);
    virtual void setNeedleExtraA(double x);
    virtual void setNeedleExtraB(double x);
    virtual void setNeedleParts(float base, float swing, float offset, double extraA, double extraB);

    // The needle line's end points for `value` and a sub-pixel shift, in
    // frame coordinates: inner end first.
    struct NeedleLine
    {
        gui::CViewPoint from;
        gui::CViewPoint to;
    };
    NeedleLine needleLine(float value, double dx, double dy) const;

    float getNeedleBase() const { return needleBase; }
    float getNeedleSwing() const { return needleSwing; }
    float getNeedleOffset() const { return needleOffset; }

    static constexpr gui::CViewColor kNeedleColor{170, 165, 160, 255};

  private:
    static float limited(float x);
    void storeSwing(float x);

    gui::CBitmap* faceBitmap;
    gui::CBitmap* overlayBitmap;
    gui::CViewPoint overlayOrigin;
    float innerRadius;
    float outerRadius;
    gui::CViewRect faceRect;
    gui::CViewPoint pivot;
    float needleBase = 1e-8f;
    float needleSwing = 1e-8f;
    float needleOffset = 1e-8f;
    double needleExtraA = 0.0;
    double needleExtraB = 0.0;
};
