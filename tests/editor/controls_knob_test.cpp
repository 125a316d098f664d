// The film-strip knob: linear drag with its per-knob travel, Shift for finer
// steps without a jump, Ctrl+click and double-click reset, and the frame drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "EditorRig.h"
#include "editor/CAnimKnob3.h"

using namespace editortest;

namespace
{

constexpr CViewPoint kCentre{200, 200}; // inside the compression knob

struct KnobRig : Rig
{
    explicit KnobRig(double dragScale = 0.5, float start = 0.5f) : strip(resources::kCompressionKnob)
    {
        knob = add(new CAnimKnob3(toView(resources::kCompressionKnobRect), &listener, 5, strip, 41));
        knob->setDefaultValue(0.5f);
        knob->setValue(start);
        knob->setDragScale(dragScale);
    }
    // Moves from kCentre by (dx, dy) pixels in one step, with the given modifiers.
    void dragBy(int dx, int dy, std::uint32_t modifiers = 0)
    {
        const CViewPoint to{kCentre.h + dx, kCentre.v + dy};
        press(kCentre, modifiers, 20, {held(to, modifiers), held(to, modifiers)});
    }
    Skin strip;
    CAnimKnob3* knob = nullptr;
};

struct DragCase
{
    double dragScale;
    int dx, dy;
    std::uint32_t modifiers;
    float expected;
};

TEST(AnimKnob3Drag, TravelFollowsDragScaleAndShift)
{
    const DragCase cases[] = {
        {0.5, 0, -50, 0, 0.7f},                    // 100 units of 500
        {0.5, 100, 0, 0, 0.7f},                    // right counts half of up
        {0.5, -50, 0, 0, 0.4f},                    // left and down decrease
        {0.5, 0, 25, 0, 0.4f},                     //
        {0.25, 0, -25, 0, 0.7f},                   // the ratio knob's shorter travel
        {0.5, 0, -100, platform::kModShift, 0.6f}, // 200 units of 2000
        {1.0, 0, -100, 0, 0.7f},                   // default scale: 1000 units
        {0.5, 0, -200, 0, 1.0f},                   // pinned at the top
        {0.5, 0, 200, 0, 0.0f},                    // and at the bottom
    };
    for (const DragCase& c : cases)
    {
        KnobRig rig(c.dragScale);
        rig.dragBy(c.dx, c.dy, c.modifiers);
        EXPECT_NEAR(rig.knob->getValue(), c.expected, 1e-5) << c.dragScale << " " << c.dx << "," << c.dy;
        EXPECT_FALSE(rig.platform().pointerStalled());
    }
}

TEST(AnimKnob3Drag, IsOneGestureForTheHostAndReportsEveryStep)
{
    KnobRig rig;
    rig.dragBy(0, -50);
    EXPECT_EQ(rig.hostCalls(audioMasterBeginEdit), std::vector<VstInt32>{5});
    EXPECT_EQ(rig.hostCalls(audioMasterEndEdit), std::vector<VstInt32>{5});
    ASSERT_GE(rig.listener.changes.size(), 4u);
    EXPECT_FLOAT_EQ(rig.listener.changes.front(), 0.5f); // the press itself, value unchanged
    EXPECT_NEAR(rig.listener.changes.back(), 0.7f, 1e-5);
    EXPECT_GT(rig.editor->idles, 0); // the loop keeps the editor idling
}

TEST(AnimKnob3Drag, ShiftInTheMiddleKeepsTheValueAndRefinesTheSteps)
{
    KnobRig rig;
    const std::uint32_t shift = platform::kModShift;
    const CViewPoint up50{kCentre.h, kCentre.v - 50};
    const CViewPoint up150{kCentre.h, kCentre.v - 150};
    rig.press(kCentre, 0, 20,
              {rig.held(up50), rig.held(up50), rig.held(up50, shift), rig.held(up150, shift),
               rig.held(up150, shift)});
    // 100 units coarse (0.2), then 200 units fine (0.1).
    EXPECT_NEAR(rig.knob->getValue(), 0.8f, 1e-5);
    for (float v : rig.listener.changes)
        EXPECT_LE(v, 0.8f + 1e-5f); // no jump on the way
}

TEST(AnimKnob3Drag, FedFromIdleItGivesThePolledDragsValuesAndGestures)
{
    const std::uint32_t shift = platform::kModShift;
    const CViewPoint up50{kCentre.h, kCentre.v - 50};
    const CViewPoint up150{kCentre.h, kCentre.v - 150};
    auto drag = [&](KnobRig& rig)
    {
        rig.press(kCentre, 0, 20,
                  {rig.held(up50), rig.held(up50, shift), rig.held(up150, shift), rig.held(up150, shift)});
    };
    KnobRig polled;
    drag(polled);

    KnobRig fed;
    fed.platform().setPressesMayBlock(false);
    drag(fed);
    EXPECT_TRUE(fed.frame().isTracking()); // the press returned with the button still down
    EXPECT_TRUE(fed.hostCalls(audioMasterEndEdit).empty());
    for (int turn = 0; turn < 100 && fed.frame().isTracking(); ++turn)
    {
        fed.platform().advance(10);
        fed.editor->idle();
    }
    EXPECT_FALSE(fed.frame().isTracking());
    // Notifications repeat until a redraw: compare the values as they changed.
    auto changes = [](std::vector<float> v)
    {
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    };
    EXPECT_EQ(changes(fed.listener.changes), changes(polled.listener.changes));
    EXPECT_NEAR(fed.knob->getValue(), 0.8f, 1e-5);
    EXPECT_EQ(fed.hostCalls(audioMasterBeginEdit), std::vector<VstInt32>{5});
    EXPECT_EQ(fed.hostCalls(audioMasterEndEdit), std::vector<VstInt32>{5});
}

TEST(AnimKnob3Wheel, ASidewaysScrollLeavesTheKnob)
{
    KnobRig rig;
    rig.window().wheel({kCentre.h, kCentre.v}, 1.0f, true);
    EXPECT_FLOAT_EQ(rig.knob->getValue(), 0.5f);
    rig.window().wheel({kCentre.h, kCentre.v}, 1.0f);
    EXPECT_NEAR(rig.knob->getValue(), 0.6f, 1e-5);
}

TEST(AnimKnob3Reset, CtrlClickResetsWithoutDragging)
{
    KnobRig rig(0.5, 0.2f);
    rig.press(kCentre, platform::kModControl, 20,
              {rig.held({kCentre.h, kCentre.v - 100}, platform::kModControl)});
    EXPECT_FLOAT_EQ(rig.knob->getValue(), 0.5f);
    EXPECT_EQ(rig.hostCalls(audioMasterBeginEdit), std::vector<VstInt32>{5});
    EXPECT_EQ(rig.hostCalls(audioMasterEndEdit), std::vector<VstInt32>{5});

    KnobRig shifted(0.5, 0.2f);
    const std::uint32_t both = platform::kModControl | platform::kModShift;
    shifted.press(kCentre, both, 20, {shifted.held({kCentre.h, kCentre.v - 100}, both)});
    EXPECT_NEAR(shifted.knob->getValue(), 0.3f, 1e-5); // Ctrl+Shift drags, finely
}

TEST(AnimKnob3Reset, SecondClickWithinTheDoubleClickTimeResets)
{
    struct Case
    {
        std::uint32_t gap;
        bool resets;
    };
    for (const Case c : {Case{100, true}, Case{430, true}, Case{600, false}})
    {
        KnobRig rig(0.5, 0.2f);
        rig.press(kCentre);
        rig.platform().advance(c.gap);
        rig.press(kCentre);
        EXPECT_FLOAT_EQ(rig.knob->getValue(), c.resets ? 0.5f : 0.2f) << c.gap;
    }
}

TEST(AnimKnob3Reset, DoubleClickStillWorksWhenTheClockIsPastTheSignedRange)
{
    KnobRig rig(0.5, 0.2f);
    rig.platform().setTicks(0x90000000u);
    rig.press(kCentre);
    rig.platform().advance(100);
    rig.press(kCentre);
    EXPECT_FLOAT_EQ(rig.knob->getValue(), 0.5f);
}

TEST(AnimKnob3Draw, ShowsTheFrameNearestToTheValue)
{
    struct Case
    {
        float value;
        int frame;
    };
    const Case cases[] = {{0.0f, 0},    {1.0f, 40},  {0.5f, 20}, {0.51f, 20}, {0.52f, 21},
                          {0.0124f, 0}, {0.013f, 1}, {-0.5f, 0}, {1.7f, 40}};
    KnobRig rig;
    const CViewRect area = toView(resources::kCompressionKnobRect);
    for (const Case& c : cases)
    {
        rig.knob->setValue(c.value);
        rig.frame().idle();
        EXPECT_TRUE(showsImage(rig.window(), *rig.strip.bitmap, area, CViewPoint{0, c.frame * 114}))
            << c.value;
    }
}

} // namespace
