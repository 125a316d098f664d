#include "RecordingHost.h"
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

struct WrapperCase
{
    std::string name;
    std::function<VstIntPtr(TestEffect&)> call;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    VstIntPtr hostAnswer;
    VstIntPtr expected; // with the host answering hostAnswer
    VstIntPtr expectedWithoutHost;
};

char gText[64] = "text";
VstFileSelect* const gSelector = reinterpret_cast<VstFileSelect*>(gText);

const std::vector<WrapperCase>& wrapperCases()
{
    static const std::vector<WrapperCase> cases = {
        {"getMasterVersion", [](TestEffect& e) { return VstIntPtr{e.getMasterVersion()}; },
         audioMasterVersion, 0, 0, 0, 2400, 2400, 1},
        {"getMasterVersion zero", [](TestEffect& e) { return VstIntPtr{e.getMasterVersion()}; },
         audioMasterVersion, 0, 0, 0, 0, 1, 1},
        {"isInputConnected yes", [](TestEffect& e) { return VstIntPtr{e.isInputConnected(1)}; },
         audioMasterPinConnected, 1, 0, 0, 0, 1, 1},
        {"isInputConnected no", [](TestEffect& e) { return VstIntPtr{e.isInputConnected(1)}; },
         audioMasterPinConnected, 1, 0, 0, 1, 0, 1},
        {"isOutputConnected", [](TestEffect& e) { return VstIntPtr{e.isOutputConnected(1)}; },
         audioMasterPinConnected, 1, 1, 0, 1, 0, 1},
        {"beginEdit", [](TestEffect& e) { return VstIntPtr{e.beginEdit(5)}; }, audioMasterBeginEdit, 5, 0, 0,
         1, 1, 0},
        {"updateSampleRate", [](TestEffect& e) { return static_cast<VstIntPtr>(e.updateSampleRate()); },
         audioMasterGetSampleRate, 0, 0, 0, 48000, 48000, 44100},
        {"updateSampleRate zero", [](TestEffect& e) { return static_cast<VstIntPtr>(e.updateSampleRate()); },
         audioMasterGetSampleRate, 0, 0, 0, 0, 44100, 44100},
        {"updateSampleRate negative",
         [](TestEffect& e) { return static_cast<VstIntPtr>(e.updateSampleRate()); }, audioMasterGetSampleRate,
         0, 0, 0, -48000, 44100, 44100},
        {"hostVendorSpecific",
         [](TestEffect& e) { return e.hostVendorSpecific(3, VstIntPtr{1} << 40, gText, 0.5f); },
         audioMasterVendorSpecific, 3, VstIntPtr{1} << 40, 0.5f, VstIntPtr{1} << 41, VstIntPtr{1} << 41, 0},
        {"canHostDo", [](TestEffect& e) { return VstIntPtr{e.canHostDo(gText)}; }, audioMasterCanDo, 0, 0, 0,
         -1, 1, 0},
        {"updateDisplay", [](TestEffect& e) { return VstIntPtr{e.updateDisplay()}; },
         audioMasterUpdateDisplay, 0, 0, 0, 1, 1, 0},
        {"sizeWindow", [](TestEffect& e) { return VstIntPtr{e.sizeWindow(400, 309)}; }, audioMasterSizeWindow,
         400, 309, 0, 1, 1, 0},
        {"openFileSelector", [](TestEffect& e) { return VstIntPtr{e.openFileSelector(gSelector)}; },
         audioMasterOpenFileSelector, 0, 0, 0, 1, 1, 0},
    };
    return cases;
}

TEST(HostWrappers, EachWrapperIssuesItsOpcodeWithItsArgumentsAndMapsTheAnswer)
{
    for (const WrapperCase& c : wrapperCases())
    {
        RecordingHost::reset({{c.opcode, c.hostAnswer}});
        TestEffect effect(RecordingHost::callback);
        EXPECT_EQ(c.call(effect), c.expected) << c.name;
        ASSERT_EQ(RecordingHost::calls.size(), 1u) << c.name;
        const HostCall& call = RecordingHost::calls[0];
        EXPECT_EQ(call.effect, effect.getAeffect()) << c.name;
        EXPECT_EQ(call.opcode, c.opcode) << c.name;
        EXPECT_EQ(call.index, c.index) << c.name;
        EXPECT_EQ(call.value, c.value) << c.name;
        EXPECT_EQ(call.opt, c.opt) << c.name;
    }
}

TEST(HostWrappers, WithoutAHostEachWrapperAnswersItsDefault)
{
    for (const WrapperCase& c : wrapperCases())
    {
        TestEffect effect(nullptr);
        EXPECT_EQ(c.call(effect), c.expectedWithoutHost) << c.name;
    }
}

TEST(HostWrappers, FileSelectorsWithNullNeverCallTheHost)
{
    RecordingHost::reset({{audioMasterOpenFileSelector, 1}, {audioMasterCloseFileSelector, 1}});
    TestEffect effect(RecordingHost::callback);
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_TRUE(RecordingHost::calls.empty());
}

TEST(HostWrappers, BaseResumeAsksForEventsOnlyWhenTheEffectTakesMidiOrIsASynth)
{
    RecordingHost::reset();
    TestEffect effect(RecordingHost::callback);
    effect.baseResume(); // canDo answers 0 in the base class
    EXPECT_TRUE(RecordingHost::calls.empty());
    effect.isSynth(true);
    effect.baseResume();
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(RecordingHost::calls[0].value, 1);
    EXPECT_EQ(effect.getAeffect()->dispatcher(effect.getAeffect(), effGetPlugCategory, 0, 0, nullptr, 0.0f),
              kPlugCategSynth);
}

// --- Speaker arrangements -----------------------------------------------------

struct ArrangementTest : ::testing::Test
{
    TestEffect effect{nullptr};
    VstSpeakerArrangement* arrangement = nullptr;
    void TearDown() override { effect.deallocateArrangement(&arrangement); }
};

TEST_F(ArrangementTest, AllocateReplacesAnEarlierArrangementAndDeallocateNullsIt)
{
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    EXPECT_EQ(arrangement->numChannels, 2);
    EXPECT_EQ(arrangement->type, 0);
    EXPECT_EQ(arrangement->speakers[1].type, 0);
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 6)); // the first one is freed, not leaked
    EXPECT_EQ(arrangement->numChannels, 6);
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);
}

TEST_F(ArrangementTest, CopySpeakerCopiesAllFieldsAndCutsAnUnterminatedName)
{
    VstSpeakerProperties from{};
    from.azimuth = 0.5f;
    from.elevation = -0.25f;
    from.radius = 2.0f;
    from.type = kSpeakerR;
    std::memset(from.name, 'x', sizeof(from.name)); // no terminator at all
    from.future[27] = 9;
    VstSpeakerProperties to{};
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(to.azimuth, 0.5f);
    EXPECT_EQ(to.elevation, -0.25f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(to.type, kSpeakerR);
    EXPECT_EQ(std::strlen(to.name), 63u);
    EXPECT_EQ(to.future[27], 9);
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));
}

} // namespace
