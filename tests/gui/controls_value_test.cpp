// The control value model and the small controls: dirty rule, reset to the
// default, switch positions, rocker wheel notches, splash and text display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ControlTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/COffscreenContext.h"
#include "gui/CParamDisplay.h"
#include "gui/CRockerSwitch.h"

namespace
{

using namespace controltest;

class PlainControl : public CControl
{
  public:
    using CControl::CControl;
    void draw(CDrawContext*) override { setDirty(false); }
};

class PlainRocker : public CRockerSwitch
{
  public:
    using CRockerSwitch::CRockerSwitch;
    void draw(CDrawContext*) override { setDirty(false); }
};

TEST(ControlDirtyRule, DirtyWhenTheValueDiffersFromTheLastDrawnOne)
{
    const float nan = std::nanf("");
    struct Case
    {
        float value;
        float oldValue;
        bool flag;
        bool dirty;
    };
    const Case cases[] = {
        {0.5f, 0.5f, false, false}, {0.5f, 0.4f, false, true}, {0.5f, 0.5f, true, true},
        {nan, nan, false, true},    {nan, 0.5f, false, true},  {0.5f, nan, false, true},
    };
    for (const Case& c : cases)
    {
        PlainControl control(CViewRect{0, 0, 10, 10});
        control.setDirty(c.flag);
        control.setValue(c.value);
        control.setOldValue(c.oldValue);
        EXPECT_EQ(control.isDirty(), c.dirty) << c.value << " " << c.oldValue << " " << c.flag;
    }
    for (const float value : {0.5f, -1.0f})
    { // the flag moves the old value away, even from -1
        PlainControl control(CViewRect{0, 0, 10, 10});
        control.setValue(value);
        control.setDirty(true);
        EXPECT_NE(control.getOldValue(), value);
        control.setDirty(false);
        EXPECT_FALSE(control.isDirty());
    }
}

TEST(ControlDirtyRule, ResetToDefaultOnlyForExactlyCtrlAndLeft)
{
    struct Case
    {
        std::int32_t buttons;
        bool resets;
    };
    const Case cases[] = {{modControl | buttonLeft, true},
                          {modControl | modShift | buttonLeft, false},
                          {modControl | buttonRight, false},
                          {buttonLeft, false}};
    for (const Case& c : cases)
    {
        FrameRig rig;
        RecordingListener listener;
        auto* control = new PlainControl(CViewRect{0, 0, 10, 10}, &listener, 3);
        rig.frame->addView(control);
        control->setValue(0.2f);
        EXPECT_EQ(control->tryResetToDefault(nullptr, c.buttons), c.resets);
        EXPECT_FLOAT_EQ(control->getValue(), c.resets ? 0.5f : 0.2f);
        EXPECT_EQ(listener.changes.size(), c.resets ? 1u : 0u);
        EXPECT_EQ(rig.owner.edits.size(), c.resets ? 2u : 0u);
    }
}

// Three positions over a 90-pixel background at x 10..100.
struct SwitchRig
{
    SwitchRig(std::int32_t positions = 3)
    {
        strip = new CBitmap(CPixelSurface(90, 20 * positions));
        control = new CHorizontalSwitch(CViewRect{10, 10, 100, 30}, &listener, 4, positions, 20, strip);
        rig.frame->addView(control);
    }
    ~SwitchRig() { strip->release(); }
    FrameRig rig;
    RecordingListener listener;
    CBitmap* strip;
    CHorizontalSwitch* control;
};

TEST(HorizontalSwitch, ThirdsOfTheBackgroundWidthGiveTheThreePositions)
{
    struct Case
    {
        std::int32_t h;
        float value;
    };
    const Case cases[] = {{10, 0.0f}, {39, 0.0f}, {40, 0.5f}, {69, 0.5f}, {70, 1.0f}, {100, 1.0f}};
    for (const Case& c : cases)
    {
        SwitchRig s;
        drag(s.rig, {{{c.h, 20}}});
        EXPECT_FLOAT_EQ(s.control->getValue(), c.value) << c.h;
        EXPECT_EQ(s.rig.owner.edits, (std::vector<std::string>{"begin 4", "end 4"}));
    }
}

TEST(HorizontalSwitch, DraggingFollowsThePointerAndPinsBeyondTheEdges)
{
    SwitchRig s;
    drag(s.rig, {{{20, 20}}, {{50, 20}}, {{150, 20}}, {{-40, 20}}});
    // Nothing redraws the switch here, so it stays dirty and reports every turn.
    std::vector<float> seen = s.listener.values();
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, (std::vector<float>{0.0f, 0.5f, 1.0f, 0.0f}));
}

TEST(HorizontalSwitch, ASinglePositionStripStaysAtZeroInsteadOfDividingByZero)
{
    SwitchRig s(1);
    drag(s.rig, {{{90, 20}}});
    EXPECT_FLOAT_EQ(s.control->getValue(), 0.0f);
}

TEST(RockerSwitch, OneWheelNotchIsAPressAndARelease)
{
    struct Case
    {
        float distance;
        float pressed;
    };
    for (const Case c : {Case{1.0f, -1.0f}, Case{-1.0f, 1.0f}})
    {
        FrameRig rig;
        RecordingListener listener;
        auto* rocker = new PlainRocker(CViewRect{0, 0, 40, 20}, &listener, 44, nullptr);
        rig.frame->addView(rocker);
        rig.window().wheel({10, 10}, c.distance);
        EXPECT_EQ(listener.values(), (std::vector<float>{c.pressed, 0.0f}));
        EXPECT_EQ(rig.owner.edits, (std::vector<std::string>{"begin 44", "end 44"}));
        rocker->setMouseEnabled(false);
        EXPECT_FALSE(rocker->onWheel(nullptr, CViewPoint{}, c.distance));
    }
}

TEST(ParamDisplay, PaintsItsBackColourAndFrameUnlessTheStyleSaysOtherwise)
{
    struct Case
    {
        std::int32_t style;
        bool filled;
        bool framed;
    };
    const Case cases[] = {{0, true, true}, {kNoFrame, true, false}, {kNoDrawStyle, false, false}};
    const Pixel back = makePixel(0, 0, 200);
    const Pixel frame = makePixel(0, 200, 0);
    for (const Case& c : cases)
    {
        FrameRig rig;
        auto* display = new CParamDisplay(CViewRect{2, 2, 30, 20}, nullptr, c.style);
        rig.frame->addView(display);
        display->setBackColor(CViewColor{0, 0, 200, 255});
        display->setFrameColor(CViewColor{0, 200, 0, 255});
        display->setStyle(c.style | kNoTextStyle);
        auto* offscreen = new COffscreenContext(rig.frame, 40, 30, CViewColor{9, 9, 9, 255});
        display->draw(offscreen);
        const CPixelSurface& px = offscreen->getPixels();
        EXPECT_EQ(px.pixel(10, 10) == back, c.filled) << c.style;
        EXPECT_EQ(px.pixel(29, 10) == frame, c.framed) << c.style;
        EXPECT_EQ(px.pixel(35, 25), makePixel(9, 9, 9));
        EXPECT_FALSE(display->isDirty());
        offscreen->release();
    }
}

// (2, 2, 30, 20): the 3-D lines run on column 2, row 3, column 29 and row 19;
// the fill covers only the inside, so those edges show the line colours alone.
TEST(ParamDisplay, ThreeDFramesAndShadowTextUseTheirColoursOnTheirSides)
{
    struct Case
    {
        std::int32_t style;
        Pixel leftAndTop, rightAndBottom;
        bool shadow;
    };
    const Pixel back = makePixel(0, 0, 200);
    const Pixel frame = makePixel(0, 200, 0);
    const Pixel outside = makePixel(9, 9, 9);
    const Case cases[] = {
        {k3DIn, back, frame, false},
        {k3DOut, frame, back, false},
        {kShadowText, frame, frame, true},
        {0, frame, frame, false},
    };
    for (const Case& c : cases)
    {
        FrameRig rig;
        auto* display = new CParamDisplay(CViewRect{2, 2, 30, 20}, nullptr, c.style);
        rig.frame->addView(display);
        display->setBackColor(CViewColor{0, 0, 200, 255});
        display->setFrameColor(CViewColor{0, 200, 0, 255});
        display->setValue(0.5f);
        auto* offscreen = new COffscreenContext(rig.frame, 40, 30, CViewColor{9, 9, 9, 255});
        display->draw(offscreen);
        const CPixelSurface& px = offscreen->getPixels();
        EXPECT_EQ(px.pixel(2, 12), c.leftAndTop) << c.style;
        EXPECT_EQ(px.pixel(29, 12), c.rightAndBottom) << c.style;
        EXPECT_EQ(px.pixel(4, 19), c.rightAndBottom) << c.style;
        const bool threeD = (c.style & (k3DIn | k3DOut)) != 0;
        // A 3-D frame starts a row down and leaves the top row alone.
        EXPECT_EQ(px.pixel(12, 2), threeD ? outside : frame) << c.style;
        int shadowPixels = 0;
        for (int y = 3; y < 22; ++y)
            for (int x = 3; x < 31; ++x)
                shadowPixels += sameRGB(px.pixel(x, y), makePixel(255, 0, 0));
        EXPECT_EQ(shadowPixels > 0, c.shadow) << c.style;
        offscreen->release();
    }
}

} // namespace
