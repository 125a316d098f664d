// The frame's input rules: focus, modal view, Tab traversal, button state, cursors.
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "gui/CViewContainer.h"

namespace
{

using namespace viewtest;

TEST(FrameInput, AClickEndsTheFocusBeforeItIsDelivered)
{
    FrameRig rig;
    ProbeView* field = rig.add({10, 10, 50, 20});
    field->setWantsFocus(true);
    ProbeView* other = rig.add({60, 10, 90, 20});
    CView* focusAtClick = field;
    other->frameFocusAtClick = &focusAtClick;
    rig.frame->setFocusView(field);

    rig.window().click({70, 15});

    EXPECT_EQ(field->focusLost, 1);
    EXPECT_EQ(rig.frame->getFocusView(), nullptr);
    ASSERT_EQ(other->clicks.size(), 1u);
    EXPECT_EQ(focusAtClick, nullptr);
}

TEST(FrameInput, AModalViewTakesEveryClickInsideAndDropsTheRest)
{
    FrameRig rig;
    int alive = 0;
    ProbeView* below = rig.add({0, 0, 200, 100});
    auto* modal = new ProbeView({50, 20, 100, 60}, &alive);
    auto* other = new ProbeView({0, 0, 10, 10}, &alive);

    EXPECT_TRUE(rig.frame->setModalView(modal));
    EXPECT_FALSE(rig.frame->setModalView(other));
    rig.window().click({10, 10});
    rig.window().click({100, 60});
    EXPECT_TRUE(below->clicks.empty());
    ASSERT_EQ(modal->clicks.size(), 1u);
    VstKeyCode tab = keyCode(kVirtualKeyTab);
    EXPECT_EQ(rig.frame->onKeyDown(tab), kKeyNotHandled);

    EXPECT_TRUE(rig.frame->setModalView(nullptr));
    EXPECT_EQ(alive, 2); // the creator's reference keeps it
    EXPECT_FALSE(rig.frame->isChild(modal));
    EXPECT_TRUE(rig.frame->setModalView(other));
    modal->release();
    EXPECT_EQ(alive, 1);
    rig.frame->release();
    rig.frame = nullptr;
    EXPECT_EQ(alive, 1); // still the creator's; the frame dropped only its own
    other->release();
    EXPECT_EQ(alive, 0);
}

TEST(FrameInput, TabWalksTheFocusableViewsAndShiftTabWalksBack)
{
    FrameRig rig;
    ProbeView* first = rig.add({0, 0, 10, 10});
    rig.add({20, 0, 30, 10}); // not focusable
    ProbeView* second = rig.add({40, 0, 50, 10});
    auto* box = new CViewContainer({60, 0, 120, 50}, rig.frame);
    rig.frame->addView(box);
    auto* third = new ProbeView({0, 0, 10, 10});
    box->addView(third);
    for (ProbeView* v : {first, second, third})
        v->setWantsFocus(true);

    const struct
    {
        bool shift;
        std::int32_t answer;
        CView* focus;
    } steps[] = {
        {false, 1, first}, {false, 1, second},
        {false, 1, third}, {false, kKeyNotHandled, nullptr},
        {false, 1, first}, {true, kKeyNotHandled, nullptr},
        {true, 1, third},  {true, 1, second},
        {true, 1, first},
    };
    int step = 0;
    for (const auto& s : steps)
    {
        VstKeyCode tab = keyCode(kVirtualKeyTab, s.shift ? kKeyModifierShift : 0);
        EXPECT_EQ(rig.frame->onKeyDown(tab), s.answer) << "step " << step;
        EXPECT_EQ(rig.frame->getFocusView(), s.focus) << "step " << step;
        ++step;
    }
}

TEST(FrameInput, TabWithNothingFocusableIsNotHandled)
{
    FrameRig rig;
    rig.add({0, 0, 10, 10});
    VstKeyCode tab = keyCode(kVirtualKeyTab);
    EXPECT_EQ(rig.frame->onKeyDown(tab), kKeyNotHandled);
    EXPECT_EQ(rig.frame->getFocusView(), nullptr);
}

TEST(FrameInput, TheFocusViewHearsKeysBeforeTabTraversal)
{
    FrameRig rig;
    ProbeView* field = rig.add({0, 0, 10, 10});
    field->setWantsFocus(true);
    field->keyAnswer = 1;
    rig.frame->setFocusView(field);
    VstKeyCode tab = keyCode(kVirtualKeyTab);
    EXPECT_EQ(rig.frame->onKeyDown(tab), 1);
    EXPECT_EQ(field->keysOffered, 1);
    EXPECT_EQ(rig.frame->getFocusView(), field);
}

TEST(FrameInput, ButtonStateFollowsTheSwappedButtonsSetting)
{
    using namespace platform;
    const struct
    {
        uint32_t physical;
        uint32_t modifiers;
        bool swapped;
        std::int32_t expected;
    } cases[] = {
        {kButtonLeft, 0, false, buttonLeft},
        {kButtonLeft, 0, true, buttonRight},
        {kButtonRight, 0, true, buttonLeft},
        {kButtonMiddle, 0, true, buttonMiddle},
        {kButtonLeft, kModControl, false, buttonLeft | modControl},
        {kButtonLeft, kModShift | kModAlt, false, buttonLeft | modShift | modAlt},
        {0, kModCommand, false, 0},
        {kButtonLeft | kButtonRight, 0, true, buttonLeft | buttonRight},
    };
    FrameRig rig;
    for (const auto& c : cases)
    {
        rig.owner.platform.setButtonsSwapped(c.swapped);
        rig.owner.platform.setPointer({0, 0}, c.physical, c.modifiers);
        EXPECT_EQ(rig.frame->getCurrentMouseButtons(), c.expected)
            << "buttons " << c.physical << " modifiers " << c.modifiers << " swapped " << c.swapped;
    }
}

TEST(FrameInput, AClickReadsTheButtonsAtTheMomentOfThePress)
{
    FrameRig rig;
    ProbeView* view = rig.add({0, 0, 50, 50});
    rig.owner.platform.setButtonsSwapped(true);
    rig.window().click({5, 5}, platform::kButtonLeft, platform::kModControl);
    ASSERT_EQ(view->clickButtons.size(), 1u);
    EXPECT_EQ(view->clickButtons[0], buttonRight | modControl);
}

// Presses are dispatched from idle, after the fact: a tap may be over by then.
TEST(FrameInput, APressHandledAfterTheReleaseStillCarriesItsButton)
{
    struct Case
    {
        const char* what;
        std::uint32_t heldNow, modifiersNow;
        std::uint32_t pressed, pressModifiers;
        bool swapped;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"still held: the state now", platform::kButtonLeft, platform::kModShift, platform::kButtonLeft, 0,
         false, buttonLeft | modShift},
        {"released: the press's state", 0, 0, platform::kButtonLeft, platform::kModControl, false,
         buttonLeft | modControl},
        {"released, swapped", 0, 0, platform::kButtonLeft, 0, true, buttonRight},
        {"another button held", platform::kButtonRight, 0, platform::kButtonLeft, 0, false, buttonLeft},
    };
    for (const Case& c : cases)
    {
        FrameRig rig;
        ProbeView* view = rig.add({0, 0, 50, 50});
        rig.owner.platform.setButtonsSwapped(c.swapped);
        rig.owner.platform.setPointer({305, 205}, c.heldNow, c.modifiersNow);
        rig.window().press({5, 5}, c.pressed, c.pressModifiers);
        ASSERT_EQ(view->clickButtons.size(), 1u) << c.what;
        EXPECT_EQ(view->clickButtons[0], c.expected) << c.what;
    }
}

TEST(FrameInput, CurrentLocationIsThePointerRelativeToTheWindow)
{
    FrameRig rig;
    rig.owner.platform.setPointer({315, 240});
    CViewPoint where;
    ASSERT_TRUE(rig.frame->getCurrentLocation(where));
    EXPECT_EQ(where, (CViewPoint{15, 40}));
}

TEST(FrameInput, APolledPointerIsInTheCoordinatesOfTheViewsParent)
{
    FrameRig rig;
    auto* outer = new CViewContainer({20, 10, 180, 90}, rig.frame);
    rig.frame->addView(outer);
    auto* inner = new CViewContainer({30, 5, 150, 70}, rig.frame);
    outer->addView(inner);
    auto* deep = new ProbeView({0, 0, 10, 10});
    inner->addView(deep);
    ProbeView* top = rig.add({0, 0, 5, 5});

    // Window client (0, 0) is screen (300, 200); the pointer is at client (57, 22).
    rig.owner.platform.setPointer({357, 222});
    CDrawContext context(rig.frame, nullptr, rig.frame->getOwnWindow());
    CViewPoint where;
    deep->getMouseLocation(&context, where);
    EXPECT_EQ(where, (CViewPoint{57 - 20 - 30, 22 - 10 - 5}));
    EXPECT_EQ(context.offsetScreen, (CViewPoint{300, 200}));
    EXPECT_EQ(context.offset, (CViewPoint{0, 0}));
    top->getMouseLocation(&context, where);
    EXPECT_EQ(where, (CViewPoint{57, 22}));
    EXPECT_EQ(inner->getCurrentView(), deep);
    rig.owner.platform.setPointer({300 + 60, 200 + 30});
    EXPECT_EQ(inner->getCurrentView(), nullptr);
}

TEST(FrameInput, CursorTypesMapToShapesAndUnknownTypesRestoreTheDefault)
{
    FrameRig rig;
    using platform::Cursor;
    const struct
    {
        std::int32_t type;
        Cursor shape;
    } cases[] = {
        {kCursorHand, Cursor::Hand},
        {7, Cursor::Arrow},
        {kCursorWait, Cursor::Wait},
        {kCursorHSize, Cursor::ResizeHorizontal},
        {kCursorVSize, Cursor::ResizeVertical},
        {kCursorSizeAll, Cursor::Move},
        {kCursorNESWSize, Cursor::ResizeDiagonalRising},
        {kCursorNWSESize, Cursor::ResizeDiagonalFalling},
        {kCursorNotAllowed, Cursor::NotAllowed},
        {kCursorDefault, Cursor::Arrow},
        {42, Cursor::Arrow},
    };
    for (const auto& c : cases)
    {
        rig.frame->setCursor(c.type);
        EXPECT_EQ(rig.window().cursor(), c.shape) << "type " << c.type;
    }
}

} // namespace
