#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/AutoComp.h"
#include "presets/FactoryPresets.h"

namespace
{

struct HostCall
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    bool nullPtr;
    float opt;
    bool operator==(const HostCall&) const = default;
};

std::vector<HostCall> hostCalls;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (opcode == audioMasterVersion)
    {
        return 2400;
    }
    hostCalls.push_back({opcode, index, value, ptr == nullptr, opt});
    return 0;
}

std::vector<float> valuesOf(CProgram& program)
{
    std::vector<float> values;
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        values.push_back(program.getParameter(i));
    }
    return values;
}

std::string nameOf(CProgram& program)
{
    char name[CProgram::kNameSize];
    program.getName(name);
    return name;
}

class ProgramStore : public ::testing::Test
{
  protected:
    void SetUp() override { hostCalls.clear(); }
    AutoComp effect{recordingHost};
    CProgram& program(VstInt32 i) { return *effect.getPresetProgram(i); }
};

TEST_F(ProgramStore, ConstructionFillsTheFactoryPresetsAndAppliesProgramZero)
{
    for (VstInt32 i = 0; i < kNumFactoryPresets; ++i)
    {
        const FactoryPreset& preset = kFactoryPresets[static_cast<std::size_t>(i)];
        const std::vector<float> expected = {preset.process,
                                             0,
                                             preset.ratio,
                                             0,
                                             preset.time,
                                             preset.compression,
                                             preset.output,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0};
        EXPECT_EQ(valuesOf(program(i)), expected) << i;
        EXPECT_EQ(nameOf(program(i)), preset.name);
    }
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        EXPECT_EQ(effect.getParameter(i), program(0).getParameter(i)) << i;
    }
    char name[32] = {};
    effect.getProgramName(name);
    EXPECT_STREQ(name, "Current");
    EXPECT_TRUE(effect.getProgramNameIndexed(0, 0, name));
    EXPECT_STREQ(name, "Current");
    EXPECT_FALSE(effect.getProgramNameIndexed(0, 1, name));
}

TEST_F(ProgramStore, ChangesReachTheCurrentPresetAndProgramZeroButProcessReachesAll)
{
    effect.selectPreset(9);
    const std::vector<float> untouched = valuesOf(program(4));
    effect.setParameter(5, 0.9f);
    EXPECT_EQ(program(9).getParameter(5), 0.9f);
    EXPECT_EQ(program(0).getParameter(5), 0.9f);
    EXPECT_EQ(valuesOf(program(4)), untouched);

    effect.setParameter(12, 0.1f);
    EXPECT_EQ(valuesOf(program(4)), untouched);

    // "Process" is one setting shared by all programs.
    effect.setParameter(params::kProcess, 0.5f);
    for (VstInt32 i = 0; i < CPresetSystemEffect::kNumPresets; ++i)
    {
        EXPECT_EQ(program(i).getParameter(params::kProcess), 0.5f) << i;
    }
}

TEST_F(ProgramStore, SelectPresetSendsEditGesturesThenOneUpdate)
{
    effect.selectPreset(9);
    std::vector<HostCall> expected;
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        const float value = program(9).getParameter(i);
        expected.push_back({audioMasterBeginEdit, i, 0, true, 0.0f});
        expected.push_back({audioMasterAutomate, i, 0, true, effect.getParameter(i)});
        expected.push_back({audioMasterAutomate, i, 0, true, value});
        expected.push_back({audioMasterEndEdit, i, 0, true, 0.0f});
    }
    expected.push_back({audioMasterUpdateDisplay, 0, 0, true, 0.0f});
    EXPECT_EQ(hostCalls, expected);

    EXPECT_EQ(effect.getCurrentPreset(), 9);
    EXPECT_EQ(nameOf(program(0)), "FastLim");
    EXPECT_EQ(valuesOf(program(0)), valuesOf(program(9)));
    // Selecting writes nothing back: "Process" of other programs is not touched.
    EXPECT_EQ(program(9).getParameter(params::kTime), 0.2f);
}

TEST_F(ProgramStore, SelectPresetIgnoresIndicesOutsideTheBank)
{
    effect.selectPreset(24);
    effect.selectPreset(-1);
    EXPECT_EQ(effect.getCurrentPreset(), 0);
    EXPECT_TRUE(hostCalls.empty());
}

TEST_F(ProgramStore, NamesAreCutTo24Characters)
{
    effect.selectPreset(5);
    std::string longName = "A thirty character long name!!";
    ASSERT_EQ(longName.size(), 30u);
    effect.setProgramName(longName.data());
    EXPECT_EQ(nameOf(program(5)), longName.substr(0, 24));
    EXPECT_EQ(nameOf(program(0)), longName.substr(0, 24));

    hostCalls.clear();
    effect.setCurrentPresetName("Renamed");
    EXPECT_EQ(nameOf(program(5)), "Renamed");
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterUpdateDisplay);
}

// Stands in for automation from another thread that arrives while a preset is being selected:
// the host sets "Compression" when the last parameter's edit ends.
AutoComp* selecting = nullptr;
VstIntPtr automatingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterEndEdit && index == params::kCount - 1 && selecting)
        std::exchange(selecting, nullptr)->setParameter(params::kCompression, 0.9f);
    return 0;
}

TEST(ProgramStoreThreads, AutomationDuringPresetSelectionIsKeptThroughAResume)
{
    AutoComp effect(automatingHost);
    selecting = &effect;
    effect.selectPreset(9);
    EXPECT_EQ(effect.getParameter(params::kCompression), 0.9f);
    EXPECT_EQ(effect.getPresetProgram(0)->getParameter(params::kCompression), 0.9f);
    effect.suspend();
    effect.resume();
    EXPECT_EQ(effect.getParameter(params::kCompression), 0.9f);
}

TEST(ProgramRecord, NewProgramAndValueRules)
{
    CProgram program;
    EXPECT_EQ(nameOf(program), "init");
    EXPECT_EQ(valuesOf(program), (std::vector<float>{1, 0, 0, 0, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0}));

    const struct
    {
        VstInt32 index;
        float value;
        float stored; // read back from the index (or index 4 when ignored)
    } cases[] = {{4, 0.25f, 0.25f}, {4, 1.5f, 1.0f},
                 {4, -3.0f, 0.0f},  {4, std::numeric_limits<float>::quiet_NaN(), 0.0f},
                 {12, 0.9f, 0.0f},  {-1, 0.9f, 0.0f}};
    for (const auto& c : cases)
    {
        program.setParameter(c.index, c.value);
        const VstInt32 readIndex = c.index >= 0 && c.index < 12 ? c.index : 4;
        EXPECT_EQ(program.getParameter(readIndex), c.stored) << c.index << " " << c.value;
    }
    EXPECT_EQ(program.getParameter(12), -1.0f);
    EXPECT_EQ(program.getParameter(-1), -1.0f);
    program.setName("0123456789012345678901234567");
    EXPECT_EQ(nameOf(program), "012345678901234567890123");
}

} // namespace
