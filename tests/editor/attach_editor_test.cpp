// The editor base: paced idle on the platform clock, the process-wide knob
// mode, gestures and window requests relayed to the host, keys and wheel.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "gui/CKnob.h"
#include "tests/gui/ViewTestSupport.h"

using namespace editortest;

namespace
{

struct PacingCase
{
    std::uint32_t sinceLastRun;
    bool runs;
    std::uint32_t sleeps;
};

TEST(EditorIdle, RunsByTheTimeSinceTheLastRun)
{
    const PacingCase cases[] = {
        {0, false, 4}, {45, false, 4}, {46, true, 4}, {99, true, 4}, {100, true, 0}, {5000, true, 0},
    };
    for (const PacingCase& c : cases)
    {
        Rig rig;
        rig.editor->doIdleStuff(); // due at once after construction
        ASSERT_EQ(rig.editor->idles, 1);
        const std::uint32_t sleptBefore = rig.platform().sleptMilliseconds();
        const std::size_t hostIdlesBefore = rig.hostCalls(audioMasterIdle).size();

        rig.platform().advance(c.sinceLastRun);
        rig.editor->doIdleStuff();

        EXPECT_EQ(rig.editor->idles, c.runs ? 2 : 1) << c.sinceLastRun;
        EXPECT_EQ(rig.hostCalls(audioMasterIdle).size(), hostIdlesBefore + (c.runs ? 1 : 0))
            << c.sinceLastRun;
        EXPECT_EQ(rig.platform().sleptMilliseconds() - sleptBefore, c.sleeps) << c.sinceLastRun;
    }
}

// Runs `calls` back-to-back paced idles; for each run, the time from the
// previous run to the call that ran again.
std::vector<std::uint32_t> tightLoop(Rig& rig, int calls)
{
    std::vector<std::uint32_t> gaps;
    for (int i = 0; i < calls; ++i)
    {
        const std::uint32_t start = rig.platform().ticks();
        const int before = rig.editor->idles;
        rig.editor->doIdleStuff();
        if (rig.editor->idles > before && before > 0)
            gaps.push_back(start - rig.editor->idleTicks[std::size_t(before) - 1]);
    }
    return gaps;
}

TEST(EditorIdle, TightLoopIdlesEvery46To50MillisecondsAndIdlesTheHostEachTime)
{
    Rig rig;
    const auto gaps = tightLoop(rig, 2000);
    ASSERT_GT(gaps.size(), 10u);
    for (std::uint32_t gap : gaps)
    {
        EXPECT_GE(gap, 46u);
        EXPECT_LE(gap, 50u);
    }
    EXPECT_EQ(rig.hostCalls(audioMasterIdle).size(), std::size_t(rig.editor->idles));
}

TEST(EditorIdle, KeepsItsPaceWhereTheTickCounterWraps)
{
    Rig rig;
    rig.editor->doIdleStuff();
    // As if the clock had run for 24.8 and then 49.7 days.
    rig.platform().setTicks(0x80000000u);
    rig.editor->doIdleStuff();
    rig.platform().setTicks(0xFFFFFF00u);
    rig.editor->doIdleStuff();
    const int before = rig.editor->idles;
    const auto gaps = tightLoop(rig, 200);
    ASSERT_LT(rig.platform().ticks(), 0x1000u); // the loop went past the wrap
    ASSERT_GT(rig.editor->idles - before, 5);
    for (std::uint32_t gap : gaps)
    {
        EXPECT_GE(gap, 46u);
        EXPECT_LE(gap, 50u);
    }
}

TEST(EditorAttachment, AdvertisesTheEditorAndAnswersItsRectBeforeOpening)
{
    RecordingHost::reset();
    auto* effect = new TestEffect(&RecordingHost::callback);
    auto* editor = new RigEditor(effect);
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_TRUE(effect->getAeffect()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 400);
    EXPECT_EQ(rect->bottom - rect->top, 309);
    delete effect;
}

TEST(EditorAttachment, KnobModeIsSharedByEveryEditor)
{
    Rig first;
    Rig second;
    EXPECT_TRUE(first.editor->setKnobMode(2));
    EXPECT_EQ(second.editor->getKnobMode(), 2);
    EXPECT_EQ(second.frame().getKnobMode(), 2);
    EXPECT_EQ(second.effect->dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0.0f), 1);
    EXPECT_EQ(first.editor->getKnobMode(), 1);
    first.editor->setKnobMode(0);
}

TEST(EditorAttachment, GesturesAndWindowRequestsReachTheHost)
{
    Rig rig;
    RecordingHost::answers[audioMasterCanDo] = 1;
    RecordingHost::answers[audioMasterSizeWindow] = 1;
    rig.frame().beginEdit(5);
    rig.frame().endEdit(5);
    EXPECT_EQ(rig.hostCalls(audioMasterBeginEdit), std::vector<VstInt32>{5});
    EXPECT_EQ(rig.hostCalls(audioMasterEndEdit), std::vector<VstInt32>{5});

    EXPECT_TRUE(rig.editor->canHostSizeWindow());
    EXPECT_EQ(RecordingHost::calls.back().opcode, audioMasterCanDo);
    EXPECT_TRUE(rig.editor->sizeWindow(420, 330));
    EXPECT_EQ(RecordingHost::calls.back().opcode, audioMasterSizeWindow);
    EXPECT_EQ(RecordingHost::calls.back().index, 420);
    EXPECT_EQ(RecordingHost::calls.back().value, 330);
}

TEST(EditorAttachment, KeyAnswersFollowTheFocusedView)
{
    Rig rig;
    CKnob* knob = rig.add(new CKnob(CViewRect{10, 10, 60, 60}, &rig.listener, 2, nullptr));
    VstKeyCode up = viewtest::keyCode(kVirtualKeyUp);
    VstKeyCode letter = viewtest::keyCode(0);
    letter.character = 'x';
    EXPECT_FALSE(rig.editor->onKeyDown(up)); // no focus view
    rig.frame().setFocusView(knob);
    EXPECT_TRUE(rig.editor->onKeyDown(up));
    EXPECT_FALSE(rig.editor->onKeyDown(letter));
}

TEST(EditorAttachment, WheelGoesToTheViewUnderThePointerInFrameCoordinates)
{
    Rig rig;
    auto* probe = rig.add(new viewtest::ProbeView(CViewRect{100, 100, 200, 200}));
    rig.platform().setPointer(rig.screen({150, 120}));
    EXPECT_TRUE(rig.editor->onWheel(2.0f));
    ASSERT_EQ(probe->wheels.size(), 1u);
    EXPECT_EQ(probe->wheels[0].first, (CViewPoint{150, 120}));
    EXPECT_EQ(probe->wheels[0].second, 2.0f);

    rig.platform().setPointer(rig.screen({10, 10}));
    EXPECT_FALSE(rig.editor->onWheel(1.0f));
}

TEST(EditorAttachment, DestroyingTheEffectWithTheWindowOpenFreesTheFrame)
{
    RecordingHost::reset();
    auto* effect = new TestEffect(&RecordingHost::callback);
    auto* editor = new RigEditor(effect);
    platform::NativeHandle host = editor->headless().addHostWindow(platform::Rect{0, 0, 400, 309});
    editor->open(host);
    int alive = 0;
    auto* probe = new viewtest::ProbeView(CViewRect{0, 0, 10, 10}, &alive);
    editor->getFrame()->addView(probe);
    delete effect;
    EXPECT_EQ(alive, 0);
}

} // namespace
