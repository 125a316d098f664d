#include "RecordingHost.h"
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

struct DispatcherTest : ::testing::Test
{
    void SetUp() override { RecordingHost::reset(); }
    TestEffect effect{RecordingHost::callback};
    AEffect* record = effect.getAeffect();
};

TEST_F(DispatcherTest, AttachingAndDetachingAnEditorTogglesHasEditor)
{
    effect.setEditor(new TestEditor(&effect));
    EXPECT_EQ(record->flags, effFlagsCanReplacing | effFlagsHasEditor);
    AEffEditor* editor = effect.getEditor();
    effect.setEditor(nullptr);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    delete editor;
}

TEST_F(DispatcherTest, DeprecatedAndUnknownOpcodesAnswerZeroAndCallNothing)
{
    std::vector<VstInt32> opcodes = {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 46, 53, 54, 55, 57};
    for (VstInt32 op = 80; op < 140; ++op)
        opcodes.push_back(op);
    opcodes.push_back(-1);
    opcodes.push_back(0x7fffffff);
    auto* editor = new TestEditor(&effect);
    effect.setEditor(editor);
    char buffer[256] = "untouched";
    for (VstInt32 op : opcodes)
    {
        EXPECT_EQ(dispatch(record, op, 1, 1, buffer, 1.0f), 0) << "opcode " << op;
    }
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(effect.opens + effect.closes + effect.suspends + effect.resumes, 0);
    EXPECT_EQ(editor->idles, 0);
    EXPECT_TRUE(RecordingHost::calls.empty());
}

TEST_F(DispatcherTest, FixedAnswers)
{
    struct Case
    {
        VstInt32 opcode;
        VstIntPtr value;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {effIdentify, 0, 0x4E764566},
        {effGetVstVersion, 0, 2400},
        {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 4711, 4711},
        {effSetTotalSampleToProcess, -3, -3},
        {effCanBeAutomated, 0, 1},
        {effGetVendorVersion, 0, 0},
        {effGetPlugCategory, 0, kPlugCategUnknown},
        {effGetTailSize, 0, 0},
        {effGetProgram, 0, 0},
        {effGetNumMidiInputChannels, 0, 0},
        {effBeginSetProgram, 0, 0},
        {effSetBypass, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dispatch(record, c.opcode, 0, c.value), c.expected) << "opcode " << c.opcode;
}

TEST_F(DispatcherTest, OnlyExistingParametersCanBeAutomated)
{
    const VstInt32 count = record->numParams;
    for (const VstInt32 index : {-1, count, 0x7fffffff})
        EXPECT_EQ(dispatch(record, effCanBeAutomated, index), 0) << "index " << index;
    EXPECT_EQ(dispatch(record, effCanBeAutomated, count - 1), 1);
}

TEST_F(DispatcherTest, ChunksAreNotSupportedAndLeaveThePointerAlone)
{
    int marker = 0;
    void* data = &marker;
    EXPECT_EQ(dispatch(record, effGetChunk, 0, 0, &data), 0);
    EXPECT_EQ(data, &marker);
    EXPECT_EQ(dispatch(record, effSetChunk, 1, 16, &marker), 0);
}

TEST_F(DispatcherTest, MainsChangedTreatsAnyNonZeroValueAsOn)
{
    dispatch(record, effMainsChanged, 0, 2);
    dispatch(record, effMainsChanged, 0, -1);
    EXPECT_EQ(effect.resumes, 2);
    dispatch(record, effMainsChanged, 0, 0);
    EXPECT_EQ(effect.suspends, 1);
}

TEST_F(DispatcherTest, SetProgramIgnoresValuesOutsideTheProgramCount)
{
    for (VstIntPtr v : {VstIntPtr{-1}, VstIntPtr{1}, VstIntPtr{1} << 40})
        dispatch(record, effSetProgram, 0, v);
    EXPECT_EQ(dispatch(record, effGetProgram), 0);
}

TEST_F(DispatcherTest, TextOpcodesWithANullPointerAnswerZeroWithoutWriting)
{
    for (VstInt32 op : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
                        effGetParamName, effEditGetRect, effGetEffectName, effGetVendorString,
                        effGetProductString, effCanDo, effGetInputProperties, effGetOutputProperties,
                        effString2Parameter, effGetProgramNameIndexed, effSetSpeakerArrangement})
        EXPECT_EQ(dispatch(record, op), 0) << "opcode " << op;
    char text[32] = "x";
    EXPECT_EQ(dispatch(record, effGetProgramName, 0, 0, text), 0);
    EXPECT_STREQ(text, "Program");
}

TEST_F(DispatcherTest, SpeakerArrangementQueryClearsBothPointers)
{
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(dispatch(record, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DispatcherTest, EditorOpcodesWithoutAnEditorAnswerZero)
{
    ERect* rect = nullptr;
    for (VstInt32 op : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp,
                        effSetEditKnobMode})
        EXPECT_EQ(dispatch(record, op, 'a', 1, &rect), 0) << "opcode " << op;
}

TEST_F(DispatcherTest, EditorOpcodesReachTheEditor)
{
    auto* editor = new TestEditor(&effect);
    effect.setEditor(editor);
    ERect* rect = reinterpret_cast<ERect*>(1);
    EXPECT_EQ(dispatch(record, effEditGetRect, 0, 0, &rect), 0); // base editor has no rect
    EXPECT_EQ(rect, nullptr);
    int window = 0;
    EXPECT_EQ(dispatch(record, effEditOpen, 0, 0, &window), 0); // base open stores the window, says false
    EXPECT_TRUE(editor->isOpen());
    dispatch(record, effEditIdle);
    EXPECT_EQ(editor->idles, 1);
    dispatch(record, effEditClose);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(dispatch(record, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
}

TEST_F(DispatcherTest, KeyRecordPacksIndexValueAndModifier)
{
    auto* editor = new TestEditor(&effect);
    effect.setEditor(editor);
    struct Case
    {
        VstInt32 opcode;
        VstInt32 character;
        VstIntPtr value;
        float opt;
        unsigned char virt;
        unsigned char modifier;
        VstIntPtr result;
    };
    const Case cases[] = {
        {effEditKeyDown, 'a', 0x0102, 3.9f, 0x02, 3, 1},  // value and opt cut to a byte
        {effEditKeyDown, 'b', 7, 260.0f, 7, 4, 0},        // editor did not use the key
        {effEditKeyUp, 'a', -1, -1.0f, 0xff, 0xff, 0},    // negatives wrap like a byte cast
        {effEditKeyDown, 'a', 1, 1e30f, 1, 0, 1},         // out-of-range modifier becomes 0
        {effEditKeyDown, 'a', 1, std::nanf(""), 1, 0, 1}, // so does NaN
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(dispatch(record, c.opcode, c.character, c.value, nullptr, c.opt), c.result);
        EXPECT_EQ(editor->lastKey.character, c.character);
        EXPECT_EQ(editor->lastKey.virt, c.virt);
        EXPECT_EQ(editor->lastKey.modifier, c.modifier);
    }
}

TEST(DispatcherCloseTest, CloseCallsCloseFreesEffectAndEditorAndAnswersOne)
{
    RecordingHost::reset();
    bool effectGone = false;
    bool editorGone = false;
    auto* effect = new TestEffect(RecordingHost::callback, &effectGone);
    effect->setEditor(new TestEditor(effect, &editorGone));
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(dispatch(record, effOpen), 0);
    EXPECT_EQ(effect->opens, 1);
    EXPECT_EQ(dispatch(record, effClose), 1);
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
}

TEST_F(DispatcherTest, SetParameterAutomatedSetsThenTellsTheHost)
{
    effect.setParameterAutomated(4, 0.75f);
    EXPECT_EQ(effect.lastSet.index, 4);
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    const HostCall& call = RecordingHost::calls[0];
    EXPECT_EQ(call.effect, record);
    EXPECT_EQ(call.opcode, audioMasterAutomate);
    EXPECT_EQ(call.index, 4);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.75f);

    TestEffect hostless(nullptr);
    hostless.setParameterAutomated(2, 0.5f);
    EXPECT_EQ(hostless.lastSet.index, 2);
}

} // namespace
