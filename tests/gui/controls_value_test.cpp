// The control value model and the small controls: dirty rule, reset to the
// default, switch positions, rocker wheel notches, splash and text display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ControlTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/COffscreenContext.h"
#include "gui/CParamDisplay.h"
#include "gui/CRockerSwitch.h"
#include "gui/CSplashScreen.h"

namespace {

using namespace controltest;

class PlainControl : public CControl {
public:
    using CControl::CControl;
    void draw(CDrawContext*) override { setDirty(false); }
};

class PlainRocker : public CRockerSwitch {
public:
    using CRockerSwitch::CRockerSwitch;
    void draw(CDrawContext*) override { setDirty(false); }
};

class PlainSplash : public CSplashScreen {
public:
    using CSplashScreen::CSplashScreen;
    void draw(CDrawContext*) override { setDirty(false); }
};

TEST(ControlDirtyRule, DirtyWhenTheValueDiffersFromTheLastDrawnOne)
{
    const float nan = std::nanf("");
    struct Case {
        float value;
        float oldValue;
        bool flag;
        bool dirty;
    };
    const Case cases[] = {
        {0.5f, 0.5f, false, false}, {0.5f, 0.4f, false, true}, {0.5f, 0.5f, true, true},
        {nan, nan, false, true},    {nan, 0.5f, false, true},  {0.5f, nan, false, true},
    };
    for (const Case& c : cases) {
        PlainControl control(CViewRect{0, 0, 10, 10});
        control.setDirty(c.flag);
        control.setValue(c.value);
        control.setOldValue(c.oldValue);
        EXPECT_EQ(control.isDirty(), c.dirty) << c.value << " " << c.oldValue << " " << c.flag;
    }
}

TEST(ControlDirtyRule, SettingTheFlagMovesTheOldValueAwayAndClearingItCatchesUp)
{
    for (const float value : {0.0f, 0.5f, -1.0f}) {
        PlainControl control(CViewRect{0, 0, 10, 10});
        control.setValue(value);
        control.setDirty(false);
        EXPECT_FALSE(control.isDirty());
        control.setDirty(true);
        EXPECT_NE(control.getOldValue(), value);
        control.setDirty(false);
        EXPECT_EQ(control.getOldValue(), value);
        EXPECT_FALSE(control.isDirty());
    }
    PlainControl fresh(CViewRect{0, 0, 10, 10});
    EXPECT_TRUE(fresh.isDirty());  // a new control is drawn at the first chance
}

TEST(ControlDirtyRule, ResetToDefaultOnlyForExactlyCtrlAndLeft)
{
    struct Case {
        std::int32_t buttons;
        bool resets;
    };
    const Case cases[] = {{modControl | buttonLeft, true},
                          {modControl | modShift | buttonLeft, false},
                          {modControl | buttonRight, false},
                          {buttonLeft, false}};
    for (const Case& c : cases) {
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

TEST(ControlDirtyRule, TheDoubleClickDelayIsThePlatformsButNeverBelow250)
{
    FrameRig rig;
    auto* control = new PlainControl(CViewRect{0, 0, 10, 10});
    EXPECT_EQ(control->getDoubleClickDelay(), 250);  // not attached yet
    rig.frame->addView(control);
    rig.owner.platform.setDoubleClickTime(100);
    EXPECT_EQ(control->getDoubleClickDelay(), 250);
    rig.owner.platform.setDoubleClickTime(400);
    EXPECT_EQ(control->getDoubleClickDelay(), 400);
}

// Three positions over a 90-pixel background at x 10..100.
struct SwitchRig {
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
    struct Case {
        std::int32_t h;
        float value;
    };
    const Case cases[] = {{10, 0.0f}, {39, 0.0f}, {40, 0.5f}, {69, 0.5f}, {70, 1.0f}, {100, 1.0f}};
    for (const Case& c : cases) {
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

TEST(HorizontalSwitch, AModifierChangeEndsTheDrag)
{
    SwitchRig s;
    drag(s.rig, {{{20, 20}}, {{50, 20}, platform::kModShift}, {{80, 20}, platform::kModShift}});
    EXPECT_FLOAT_EQ(s.control->getValue(), 0.0f);
    EXPECT_EQ(s.rig.owner.edits.size(), 2u);
}

TEST(HorizontalSwitch, CtrlClickResetsToZero)
{
    SwitchRig s;
    s.control->setValue(1.0f);
    drag(s.rig, {{{80, 20}, platform::kModControl}});
    EXPECT_FLOAT_EQ(s.control->getValue(), 0.0f);
    EXPECT_EQ(s.listener.changes.size(), 1u);
}

TEST(HorizontalSwitch, ASinglePositionStripStaysAtZeroInsteadOfDividingByZero)
{
    SwitchRig s(1);
    drag(s.rig, {{{90, 20}}});
    EXPECT_FLOAT_EQ(s.control->getValue(), 0.0f);
}

TEST(HorizontalSwitch, DrawsTheFrameOfItsPositionAndNoneBeyondTheStrip)
{
    FrameRig rig;
    CPixelSurface pixels(4, 6);
    for (int i = 0; i < 3; ++i)
        pixels.fill(CViewRect{0, 2 * i, 4, 2 * i + 2}, makePixel(0, 0, 100 + i), pixels.bounds());
    auto* strip = new CBitmap(pixels);
    auto* control = new CHorizontalSwitch(CViewRect{0, 0, 4, 2}, nullptr, 0, 3, 2, strip);
    rig.frame->addView(control);
    auto* offscreen = new COffscreenContext(rig.frame, 4, 2);
    const std::pair<float, int> cases[] = {{0.0f, 0}, {0.3f, 1}, {0.8f, 2}, {4.0f, 2}, {-2.0f, 0}, {std::nanf(""), 0}};
    for (const auto& [value, frame] : cases) {
        control->setValue(value);
        control->draw(offscreen);
        EXPECT_EQ(offscreen->getPixels().pixel(1, 1), makePixel(0, 0, 100 + frame)) << value;
    }
    offscreen->release();
    strip->release();
}

TEST(RockerSwitch, OneWheelNotchIsAPressAndARelease)
{
    struct Case {
        float distance;
        float pressed;
    };
    for (const Case c : {Case{1.0f, -1.0f}, Case{-1.0f, 1.0f}}) {
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

TEST(SplashScreen, TakesOnlyLeftClicksAndUnsplashNotifiesOnlyWhenOpen)
{
    RecordingListener listener;
    PlainSplash splash(CViewRect{0, 0, 20, 20}, &listener, 13, nullptr);
    EXPECT_TRUE(splash.hitTest({20, 20}, buttonLeft));
    EXPECT_FALSE(splash.hitTest({10, 10}, buttonRight));
    EXPECT_FALSE(splash.hitTest({21, 10}, buttonLeft));
    splash.unSplash(nullptr);
    EXPECT_TRUE(listener.changes.empty());
    splash.setValue(1.0f);
    splash.unSplash(nullptr);
    EXPECT_EQ(listener.values(), (std::vector<float>{0.0f}));
}

TEST(ControlTypes, EachControlAnswersItsOwnNameAndItsChain)
{
    PlainRocker rocker(CViewRect{}, nullptr, 0, nullptr);
    CParamDisplay display(CViewRect{});
    EXPECT_TRUE(rocker.isTypeOf("CRockerSwitch"));
    EXPECT_TRUE(rocker.isTypeOf("CControl"));
    EXPECT_TRUE(rocker.isTypeOf("CView"));
    EXPECT_FALSE(rocker.isTypeOf("CParamDisplay"));
    EXPECT_TRUE(display.isTypeOf("CParamDisplay"));
    EXPECT_FALSE(display.isTypeOf("CViewContainer"));
    EXPECT_FALSE(display.isTypeOf(nullptr));
}

float lastConverted = -1.0f;
void percent(float value, char* text)
{
    lastConverted = value;
    std::snprintf(text, 256, "%d%%", static_cast<int>(value * 100));
}

TEST(ParamDisplay, PaintsItsBackColourAndFrameUnlessTheStyleSaysOtherwise)
{
    struct Case {
        std::int32_t style;
        bool filled;
        bool framed;
    };
    const Case cases[] = {{0, true, true}, {kNoFrame, true, false}, {kNoDrawStyle, false, false}};
    const Pixel back = makePixel(0, 0, 200);
    const Pixel frame = makePixel(0, 200, 0);
    for (const Case& c : cases) {
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

TEST(ParamDisplay, TheValueIsShownThroughTheConverterElseWithTwoDecimals)
{
    FrameRig rig;
    auto* plain = new CParamDisplay(CViewRect{0, 0, 60, 20});
    auto* converted = new CParamDisplay(CViewRect{0, 0, 60, 20});
    rig.frame->addView(plain);
    rig.frame->addView(converted);
    converted->setStringConvert(percent);
    auto* a = new COffscreenContext(rig.frame, 60, 20);
    auto* b = new COffscreenContext(rig.frame, 60, 20);
    auto* c = new COffscreenContext(rig.frame, 60, 20);
    plain->setValue(0.5f);
    plain->draw(a);
    converted->setValue(0.5f);
    converted->draw(b);
    EXPECT_FLOAT_EQ(lastConverted, 0.5f);
    plain->setValue(0.0f);
    plain->setStringConvert([](float, char* text) { std::strcpy(text, "0.50"); });
    plain->draw(c);
    EXPECT_EQ(a->getPixels().checksum(), c->getPixels().checksum());  // "0.50"
    EXPECT_NE(a->getPixels().checksum(), b->getPixels().checksum());  // "50%"
    a->release();
    b->release();
    c->release();
}

}  // namespace
