// The plug-in's editor panel: its life cycle through the host's opcodes, the
// knobs' frame grid, host automation and the meter fed from the engine.
#include <gtest/gtest.h>

#include <cmath>

#include "PanelRig.h"
#include "editor/CAbout.h"
#include "editor/CAmberVuMeter2.h"
#include "editor/CAnimKnob3.h"
#include "gui/CHorizontalSwitch.h"

using namespace paneltest;

namespace
{

VstIntPtr dispatch(AudioEffect* effect, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr)
{
    AEffect* record = effect->getAeffect();
    return record->dispatcher(record, opcode, 0, value, ptr, 0.0f);
}

// Loud bursts, so the compressor reduces gain.
void processLoud(AutoComp& effect, int blocks)
{
    effect.setSampleRate(44100.0f);
    effect.resume();
    std::vector<float> in(512), out(512);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data(), out.data()};
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < 512; ++i)
            in[static_cast<std::size_t>(i)] = static_cast<float>(0.9 * std::sin(0.05 * (b * 512 + i)));
        effect.processReplacing(inputs, outputs, 512);
    }
}

} // namespace

TEST(EditorPanel, AnswersItsSizeBeforeTheFirstOpen)
{
    RecordingHost::reset();
    auto* effect = new AutoComp(&RecordingHost::callback);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 400);
    EXPECT_EQ(rect->bottom - rect->top, 309);
    EXPECT_EQ(dispatch(effect, effEditClose), 0); // close without open: nothing happens
    EXPECT_EQ(dispatch(effect, effEditOpen), 0);  // no parent window
    EXPECT_EQ(effect->getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
    delete effect;
}

TEST(EditorPanel, OpensClosesAndOpensAgainWithTheEffectsValues)
{
    PanelRig rig;
    ASSERT_TRUE(rig.opened);
    rig.editor->close();
    rig.editor->close(); // twice: no effect
    EXPECT_EQ(rig.editor->getFrame(), nullptr);
    EXPECT_EQ(rig.editor->getMeter(), nullptr);
    rig.effect->setParameter(params::kTime, 0.3f); // while closed: nothing to update
    ASSERT_TRUE(rig.editor->open(rig.host));
    EXPECT_FLOAT_EQ(rig.editor->getKnob(params::kTime)->getValue(), 0.3f);
    EXPECT_EQ(rig.screen->windows().size(), 1u);
}

TEST(EditorPanel, RefusedWindowMakesOpenFail)
{
    PanelRig rig;
    rig.editor->close();
    rig.screen->refuseNextWindow();
    EXPECT_FALSE(rig.editor->open(rig.host));
    EXPECT_EQ(rig.editor->getFrame(), nullptr);
}

TEST(EditorPanel, KnobsSendOnlyValuesOnTheirFrameGrid)
{
    struct Case
    {
        std::int32_t tag;
        float moved;
        float sent;
    };
    const Case cases[] = {
        {params::kTime, 0.52f, 0.5f},  // 21 frames
        {params::kRatio, 0.58f, 0.5f}, // 7 frames
        {params::kCompression, 0.33f, 13.0f / 40.0f},
        {params::kOutput, 0.999f, 1.0f},
        {params::kOutput, 0.0f, 0.0f},
    };
    PanelRig rig;
    for (const Case& c : cases)
    {
        CAnimKnob3* knob = rig.editor->getKnob(c.tag);
        knob->setValue(c.moved);
        RecordingHost::calls.clear();
        rig.editor->valueChanged(nullptr, knob);
        EXPECT_FLOAT_EQ(rig.effect->getParameter(c.tag), c.sent) << c.tag << " " << c.moved;
        const auto automates = rig.hostCalls(audioMasterAutomate);
        ASSERT_EQ(automates.size(), 1u);
        EXPECT_EQ(automates[0].index, c.tag);
        EXPECT_FLOAT_EQ(automates[0].opt, c.sent);
        // The knob shows the stored value, which is the one on the grid.
        EXPECT_FLOAT_EQ(knob->getValue(), c.sent);
    }
}

TEST(EditorPanel, HostAutomationMovesTheControls)
{
    PanelRig rig;
    rig.effect->setParameter(params::kTime, 0.3f);
    rig.effect->setParameter(params::kProcess, 0.0f);
    EXPECT_FLOAT_EQ(rig.editor->getKnob(params::kTime)->getValue(), 0.3f); // unquantised
    EXPECT_FLOAT_EQ(rig.editor->getProcessSwitch()->getValue(), 1.0f);
    rig.editor->idle();
    rig.effect->setParameter(1, 0.7f); // hidden: no control, but the frame is dirty
    EXPECT_TRUE(rig.frame().isDirty());
}

TEST(EditorPanel, MeterFollowsTheEngineUntilTheAboutViewIsUp)
{
    PanelRig rig;
    processLoud(*rig.effect, 200);
    rig.editor->idle();
    const float reduction = static_cast<float>(1.0 - rig.effect->getMeterGain());
    ASSERT_GT(reduction, 0.01f);
    EXPECT_FLOAT_EQ(rig.editor->getMeter()->getValue(), reduction);

    rig.press(centreOf(resources::kAboutAreaRect));
    ASSERT_EQ(rig.editor->getAboutArea()->getValue(), 1.0f);
    processLoud(*rig.effect, 100);
    rig.editor->idle();
    EXPECT_FLOAT_EQ(rig.editor->getMeter()->getValue(), reduction); // frozen

    rig.press(gui::CViewPoint{10, 10}); // anywhere on the picture closes it
    EXPECT_EQ(rig.editor->getAboutArea()->getValue(), 0.0f);
    rig.editor->idle();
    EXPECT_FLOAT_EQ(rig.editor->getMeter()->getValue(), static_cast<float>(1.0 - rig.effect->getMeterGain()));

    rig.effect->suspend(); // clears the meter
    EXPECT_EQ(rig.editor->getMeter()->getValue(), 0.0f);
}
