// The preset bar's buttons: memo buttons fire on the press and hold until
// release, the rocker's halves step the presets, file buttons run their
// dialog through the preset listener.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "editor/CSaveLoadButton.h"
#include "editor/CTROnOffButton.h"
#include "editor/CTRRockerSwitch.h"

using namespace editortest;

namespace
{

constexpr int kImage = 14; // height of one button image

CViewPoint centreOf(const resources::SkinRect& r)
{
    return CViewPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MemoButton, FiresOnThePressAndHoldsUntilRelease)
{
    Rig rig;
    Skin bitmap(resources::kStoreMemoA);
    auto* button = rig.add(new CTROnOffButton(toView(resources::kStoreMemoARect), &rig.listener, 52, bitmap));
    const std::uint32_t before = rig.platform().ticks();
    rig.press(centreOf(resources::kStoreMemoARect), 0, 60);

    EXPECT_EQ(rig.listener.tags, std::vector<std::int32_t>{52});
    EXPECT_GE(rig.platform().ticks() - before, 60u); // returned only after the release
    EXPECT_FALSE(rig.platform().pointerStalled());
    EXPECT_EQ(rig.editor->idles, 0); // the poll does not idle
    EXPECT_FALSE(button->isPressed());
    EXPECT_FLOAT_EQ(button->getValue(), 0.0f);
    // The pressed image was shown during the press; the next idle restores it.
    const CViewRect area = toView(resources::kStoreMemoARect);
    EXPECT_TRUE(showsImage(rig.window(), *bitmap.bitmap, area, {0, 2 * kImage}));
    rig.frame().idle();
    EXPECT_TRUE(showsImage(rig.window(), *bitmap.bitmap, area, {0, 0}));
    EXPECT_TRUE(rig.hostCalls(audioMasterBeginEdit).empty());
}

struct RockerRig : Rig
{
    RockerRig() : bitmap(resources::kPresetRocker)
    {
        rocker = add(new CTRRockerSwitch(area, &listener, 44, bitmap, kImage, &listener));
    }
    Skin bitmap;
    CViewRect area = toView(resources::kRockerRect);
    CTRRockerSwitch* rocker = nullptr;
};

TEST(Rocker, HalvesStepBackAndForwardAndTheMiddleColumnIsLeft)
{
    RockerRig probe;
    const int left = probe.area.left;
    const int mid = (probe.area.right - probe.area.left) / 2;
    struct Case
    {
        int x;
        const char* call;
    };
    const Case cases[] = {{left, "step down"},
                          {left + mid, "step down"},
                          {left + mid + 1, "step up"},
                          {probe.area.right - 1, "step up"}};
    for (const Case& c : cases)
    {
        RockerRig rig;
        rig.listener.watched = rig.rocker;
        rig.window().click({c.x, rig.area.top + 5});
        EXPECT_EQ(rig.listener.calls, std::vector<std::string>{c.call}) << c.x;
        EXPECT_FLOAT_EQ(rig.listener.valuesDuringCalls.at(0),
                        std::string(c.call) == "step up" ? 1.0f : -1.0f);
        EXPECT_FLOAT_EQ(rig.rocker->getValue(), 0.0f);
        EXPECT_TRUE(rig.listener.changes.empty()); // a click never reports a value
    }
}

TEST(Rocker, HoverLightsTheHalfUnderThePointer)
{
    RockerRig rig;
    const int top = rig.area.top + 3;
    struct Step
    {
        bool flag;
        CViewPoint where;
        std::int32_t half;
        int image;
    };
    const Step steps[] = {
        {true, {rig.area.left + 2, top}, CTRRockerSwitch::kLeftHalf, 1},
        {true, {rig.area.right - 2, top}, CTRRockerSwitch::kRightHalf, 2},
        {true, {10, 10}, CTRRockerSwitch::kRightHalf, 2}, // outside: keeps the last half
        {false, {rig.area.left + 2, top}, CTRRockerSwitch::kNoHalf, 0},
    };
    for (const Step& s : steps)
    {
        rig.rocker->setHover(s.flag, s.where);
        EXPECT_EQ(rig.rocker->getHoverHalf(), s.half);
        rig.frame().idle();
        EXPECT_TRUE(showsImage(rig.window(), *rig.bitmap.bitmap, rig.area, {0, s.image * kImage})) << s.image;
    }
}

TEST(Rocker, WheelReportsThroughTheListenerAndStepsNothing)
{
    RockerRig rig;
    rig.window().wheel({rig.area.left + 5, rig.area.top + 5}, 1.0f);
    EXPECT_EQ(rig.listener.changes, (std::vector<float>{-1.0f, 0.0f}));
    EXPECT_TRUE(rig.listener.calls.empty());
}

TEST(FileButton, EachModeRunsItsOperationWhilePressed)
{
    struct Case
    {
        std::int32_t mode;
        resources::SkinId bitmap;
        resources::SkinRect rect;
        const char* call;
    };
    const Case cases[] = {
        {CSaveLoadButton::kLoadBank, resources::kLoadBank, resources::kLoadBankRect, "loadBank"},
        {CSaveLoadButton::kSaveBank, resources::kSaveBank, resources::kSaveBankRect, "saveBank"},
        {CSaveLoadButton::kLoadPreset, resources::kLoadPreset, resources::kLoadPresetRect, "loadPreset"},
        {CSaveLoadButton::kSavePreset, resources::kSavePreset, resources::kSavePresetRect, "savePreset"},
    };
    for (const Case& c : cases)
    {
        Rig rig;
        Skin bitmap(c.bitmap);
        auto* button = rig.add(new CSaveLoadButton(toView(c.rect), &rig.listener, 45 + c.mode, bitmap,
                                                   CViewPoint{}, kImage, c.mode, &rig.listener));
        rig.listener.watched = button;
        const std::uint32_t before = rig.platform().ticks();
        rig.press(centreOf(c.rect), 0, 40);
        EXPECT_EQ(rig.listener.calls, std::vector<std::string>{c.call});
        EXPECT_FLOAT_EQ(rig.listener.valuesDuringCalls.at(0), 1.0f);
        EXPECT_FLOAT_EQ(button->getValue(), 0.0f);
        EXPECT_GE(rig.platform().ticks() - before, 40u);
        EXPECT_TRUE(rig.listener.changes.empty());
        // The host hears no gesture for an index that is no parameter.
        EXPECT_TRUE(rig.hostCalls(audioMasterBeginEdit).empty());
        EXPECT_TRUE(rig.hostCalls(audioMasterEndEdit).empty());
    }
}

} // namespace
