// Knob geometry, drags, wheel and keys, driven through a headless frame.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ControlTestSupport.h"
#include "gui/CAnimKnob.h"
#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "gui/COffscreenContext.h"

namespace
{

using namespace controltest;

constexpr float kDeg = std::numbers::pi_v<float> / 180.0f;
const CViewRect kKnobRect{50, 10, 110, 70}; // radius 30, centre (80, 40)

// A client point on the knob's circle at `degrees` (counter-clockwise from
// the right), 20 pixels from the centre.
CViewPoint atAngle(float degrees)
{
    return CViewPoint{80 + static_cast<std::int32_t>(std::lround(20.0f * std::cos(degrees * kDeg))),
                      40 - static_cast<std::int32_t>(std::lround(20.0f * std::sin(degrees * kDeg)))};
}

struct KnobRig
{
    KnobRig()
    {
        knob = new CKnob(kKnobRect, &listener, 7, nullptr);
        rig.frame->addView(knob);
    }
    FrameRig rig;
    RecordingListener listener;
    CKnob* knob;
};

TEST(KnobGeometry, ValueFromPointFollowsTheClockwiseTravelAndSplitsTheDeadZone)
{
    KnobRig k;
    struct Case
    {
        float degrees;
        float expected;
    };
    // Travel runs clockwise from 225 (minimum) through 90 (middle) to -45 (maximum).
    const Case cases[] = {
        {225, 0.0f},  {180, 1.0f / 6}, {90, 0.5f}, {0, 5.0f / 6}, {-44, 1.0f - 1.0f / 270},
        {-60, 1.0f},  // dead zone, half next to the end
        {-120, 0.0f}, // dead zone, half next to the start
        {-80, 1.0f},  {-100, 0.0f},
    };
    for (const Case& c : cases)
    {
        const CViewPoint client = atAngle(c.degrees);
        CViewPoint local{client.h - kKnobRect.left, client.v - kKnobRect.top};
        // Pixel rounding moves the angle by up to about 1.5 degrees.
        EXPECT_NEAR(k.knob->valueFromPoint(local), c.expected, 0.01f) << c.degrees << " degrees";
    }
}

TEST(KnobGeometry, RangeChangesTakeEffectOnlyWhenAnAngleIsSet)
{
    KnobRig k;
    const CViewPoint top{30, 3};
    CViewPoint p;
    k.knob->setMax(2.0f);
    k.knob->setValue(0.5f);
    k.knob->valueToPoint(p);
    EXPECT_EQ(p, top);
    k.knob->setStartAngle(k.knob->getStartAngle());
    k.knob->valueToPoint(p);
    EXPECT_NE(p, top);
    k.knob->setValue(1.0f);
    k.knob->valueToPoint(p);
    EXPECT_EQ(p, top);
}

TEST(KnobGeometry, AKnobWithAnEmptyRangeOrNaNValueStillDrawsAHandle)
{
    KnobRig k;
    k.knob->setMin(0.5f);
    k.knob->setMax(0.5f);
    k.knob->setRangeAngle(k.knob->getRangeAngle());
    CViewPoint p;
    k.knob->valueToPoint(p);
    EXPECT_EQ(p, (CViewPoint{11, 49}));
    k.knob->setValue(std::nanf(""));
    k.knob->valueToPoint(p);
    EXPECT_EQ(p, (CViewPoint{11, 49}));
}

TEST(KnobDrag, ACircularClickJumpsToThePointerAndBracketsTheGesture)
{
    KnobRig k;
    drag(k.rig, {{atAngle(90)}, {atAngle(0)}});
    EXPECT_NEAR(k.knob->getValue(), 5.0f / 6, 0.01f);
    ASSERT_EQ(k.listener.changes.size(), 2u);
    EXPECT_NEAR(k.listener.changes[0].value, 0.5f, 0.01f);
    EXPECT_TRUE(k.listener.changes[0].hadContext);
    EXPECT_EQ(k.rig.owner.edits, (std::vector<std::string>{"begin 7", "end 7"}));
    EXPECT_EQ(k.rig.frame->getFocusView(), k.knob);
    EXPECT_FALSE(k.rig.owner.platform.pointerStalled());
}

TEST(KnobDrag, CrossingTheDeadZoneFromTheEndPinsTheMaximumUntilThePointerReturns)
{
    KnobRig k;
    drag(k.rig, {{atAngle(-40)}, {atAngle(-120)}, {atAngle(200)}, {atAngle(-30)}});
    const std::vector<float> seen = k.listener.values();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_GT(seen[0], 0.97f);
    EXPECT_EQ(seen[1], 1.0f); // into the start half of the dead zone: pinned, not wrapped
    EXPECT_EQ(seen[2], 1.0f); // near the start of the travel: still pinned
    EXPECT_NEAR(seen[3], 1.0f - 15.0f / 270, 0.01f);
}

TEST(KnobDrag, LinearDragMovesTwoHundredPixelsPerRangeRightAndUp)
{
    KnobRig k;
    k.rig.owner.knobMode = 2;
    k.knob->setValue(0.5f);
    drag(k.rig, {{{60, 40}}, {{80, 40}}, {{80, 20}}, {{80, 200}}});
    EXPECT_EQ(k.listener.values(), (std::vector<float>{0.5f, 0.6f, 0.7f, 0.0f}));
}

TEST(KnobDrag, ShiftMidDragChangesTheSensitivityWithoutAJump)
{
    KnobRig k;
    k.rig.owner.knobMode = 2;
    k.knob->setValue(0.5f);
    drag(k.rig, {{{60, 40}},
                 {{100, 40}},
                 {{101, 40}, platform::kModShift},
                 {{131, 40}, platform::kModShift},
                 {{141, 40}}});
    const std::vector<float> seen = k.listener.values();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_FLOAT_EQ(seen[1], 0.7f);
    // Each stretch moves at its own rate from where the last one ended: the
    // change of rate re-bases instead of re-scaling the whole travel.
    EXPECT_NEAR(seen[2] - seen[1], 1.0f / 300, 1e-5f);
    EXPECT_NEAR(seen[3] - seen[2], 30.0f / 300, 1e-5f);
    EXPECT_NEAR(seen[4] - seen[3], 10.0f / 200, 1e-5f);
}

TEST(KnobDrag, AltSwapsTheGlobalKnobMode)
{
    struct Case
    {
        std::int32_t knobMode;
        std::uint32_t modifiers;
        bool circular;
    };
    const Case cases[] = {
        {0, 0, true}, {0, platform::kModAlt, false}, {2, 0, false}, {2, platform::kModAlt, true}};
    for (const Case& c : cases)
    {
        KnobRig k;
        k.rig.owner.knobMode = c.knobMode;
        k.knob->setValue(0.0f);
        drag(k.rig, {{atAngle(90), c.modifiers}});
        // A click on the top of a circular knob jumps to the middle; a linear one stays.
        EXPECT_NEAR(k.knob->getValue(), c.circular ? 0.5f : 0.0f, 0.01f) << c.knobMode << " " << c.modifiers;
    }
}

TEST(KnobDrag, CtrlClickAloneResetsToTheDefault)
{
    struct Case
    {
        std::uint32_t modifiers;
        bool resets;
    };
    const Case cases[] = {{platform::kModControl, true},
                          {platform::kModControl | platform::kModShift, false}};
    for (const Case& c : cases)
    {
        KnobRig k;
        k.knob->setValue(0.9f);
        drag(k.rig, {{atAngle(180), c.modifiers}});
        EXPECT_NEAR(k.knob->getValue(), c.resets ? 0.5f : 1.0f / 6, 0.01f);
        EXPECT_EQ(k.listener.modifierClicks.size(), 1u);
        EXPECT_EQ(k.listener.changes.size(), 1u);
        EXPECT_EQ(k.rig.owner.edits, (std::vector<std::string>{"begin 7", "end 7"}));
    }
}

TEST(KnobWheelAndKeys, StepsByTheWheelIncrementTenTimesFinerWithShift)
{
    struct Case
    {
        float distance;
        std::uint32_t modifiers;
        float expected;
    };
    const Case cases[] = {
        {1, 0, 0.6f}, {-2, 0, 0.3f}, {1, platform::kModShift, 0.51f}, {10, 0, 1.0f}, {-10, 0, 0.0f}};
    for (const Case& c : cases)
    {
        KnobRig k;
        k.knob->setValue(0.5f);
        k.rig.owner.platform.setPointer(k.rig.window().toScreen({80, 40}), 0, c.modifiers);
        k.rig.window().wheel({80, 40}, c.distance);
        EXPECT_NEAR(k.knob->getValue(), c.expected, 1e-6f);
        EXPECT_EQ(k.listener.changes.size(), 1u);
        EXPECT_EQ(k.rig.owner.edits, (std::vector<std::string>{"begin 7", "end 7"}));
    }
}

TEST(KnobWheelAndKeys, ArrowKeysStepAndOtherKeysAreNotHandled)
{
    struct Case
    {
        unsigned char virt;
        unsigned char modifier;
        std::int32_t answer;
        float expected;
    };
    const Case cases[] = {
        {kVirtualKeyUp, 0, 1, 0.6f},
        {kVirtualKeyRight, 0, 1, 0.6f},
        {kVirtualKeyDown, 0, 1, 0.4f},
        {kVirtualKeyLeft, 0, 1, 0.4f},
        {kVirtualKeyUp, kKeyModifierShift, 1, 0.51f},
        {kVirtualKeyTab, 0, kKeyNotHandled, 0.5f},
    };
    for (const Case& c : cases)
    {
        KnobRig k;
        k.knob->setValue(0.5f);
        k.knob->setDirty(false);
        VstKeyCode key = keyCode(c.virt, c.modifier);
        EXPECT_EQ(k.knob->onKeyDown(key), c.answer);
        EXPECT_NEAR(k.knob->getValue(), c.expected, 1e-6f);
        EXPECT_EQ(k.listener.changes.size(), c.answer == 1 ? 1u : 0u);
        if (!k.listener.changes.empty())
        {
            EXPECT_FALSE(k.listener.changes[0].hadContext);
        }
    }
}

// A film strip of `frames` frames of 10 x 10, frame i filled with grey level 10 * i.
CBitmap* filmStrip(int frames)
{
    CPixelSurface strip(10, 10 * frames);
    for (int i = 0; i < frames; ++i)
        strip.fill(CViewRect{0, 10 * i, 10, 10 * i + 10}, makePixel(10 * i, 10 * i, 10 * i), strip.bounds());
    return new CBitmap(strip);
}

TEST(AnimKnob, DrawsTheNearestFrameAndNeverOneOutsideTheStrip)
{
    FrameRig rig;
    CBitmap* strip = filmStrip(21);
    auto* knob = new CAnimKnob(CViewRect{0, 0, 10, 10}, nullptr, 0, 21, 10, strip);
    rig.frame->addView(knob);
    auto* offscreen = new COffscreenContext(rig.frame, 10, 10);
    struct Case
    {
        float value;
        int frame;
    };
    const Case cases[] = {{0.0f, 0},  {0.024f, 0}, {0.026f, 1}, {0.5f, 10},
                          {1.0f, 20}, {1.7f, 20},  {-0.3f, 0},  {std::nanf(""), 0}};
    for (const Case& c : cases)
    {
        knob->setValue(c.value);
        EXPECT_EQ(knob->frameIndexFor(c.value), c.frame) << c.value;
        knob->draw(offscreen);
        EXPECT_EQ(offscreen->getPixels().pixel(5, 5), makePixel(10 * c.frame, 10 * c.frame, 10 * c.frame))
            << c.value;
    }
    offscreen->release();
    strip->release();
}

TEST(AnimKnob, AValueChangeThatDoesNotMoveTheHandlePointIsNotARedraw)
{
    FrameRig rig;
    CBitmap* strip = filmStrip(3);
    auto* knob = new CAnimKnob(CViewRect{0, 0, 60, 60}, nullptr, 0, 3, 10, strip);
    rig.frame->addView(knob);
    auto* offscreen = new COffscreenContext(rig.frame, 60, 60);
    knob->setValue(0.5f);
    knob->draw(offscreen);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.501f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.6f);
    EXPECT_TRUE(knob->isDirty());
    knob->setValue(0.5f);
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty());
    offscreen->release();
    strip->release();
}

} // namespace
