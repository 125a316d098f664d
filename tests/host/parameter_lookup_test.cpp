// Parameters and presets chosen by what a plug-in reports: names, display
// texts, program names. Run against the stand-in gain plug-in.
#include "host/ParameterLookup.h"
#include "host/PluginInstance.h"
#include "host/PresetSelector.h"
#include "host/RenderJob.h"

#include <gtest/gtest.h>

namespace
{

using host::ParameterLookup;
using host::PluginInstance;

class ParameterLookupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        host::Status status;
        plugin = PluginInstance::load(GAIN_PLUGIN_PATH, status);
        ASSERT_TRUE(plugin) << status.message();
    }
    std::unique_ptr<PluginInstance> plugin;
};

struct DisplayCase
{
    const char* assignment;
    int index;
    const char* display; // what the plug-in shows once the value is set
    bool noted;          // moved to the nearest step
};

TEST_F(ParameterLookupTest, AssignmentsReachTheValueThatShowsTheRequestedText)
{
    const DisplayCase cases[] = {
        {"Gain=-6", 0, "-6.0", false},       {"gain=6 dB", 0, "6.0", false},
        {"GAIN=+2.5", 0, "2.5", false},      {"Gain=-24", 0, "-24.0", false},
        {"Gain=24.0", 0, "24.0", false},     {"Gain=-6.2", 0, "-6.0", true},
        {"Mode=Bypass", 1, "Bypass", false}, {"mode=gain", 1, "Gain", false},
        {"#0=norm:0.25", 0, "-12.0", false}, {"1=Bypass", 1, "Bypass", false},
        {" Gain = -3 ", 0, "-3.0", false},
    };
    const ParameterLookup lookup(*plugin);
    for (const auto& c : cases)
    {
        ParameterLookup::Assignment assignment;
        const host::Status status = lookup.parse(c.assignment, assignment);
        ASSERT_TRUE(status.ok()) << c.assignment << ": " << status.message();
        EXPECT_EQ(assignment.index, c.index) << c.assignment;
        EXPECT_EQ(!assignment.note.empty(), c.noted) << c.assignment;
        plugin->setParameter(assignment.index, assignment.value);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display) << c.assignment;
    }
}

TEST_F(ParameterLookupTest, ContinuousParametersReachTheWrittenNumber)
{
    const struct
    {
        const char* assignment;
        double number;
    } cases[] = {
        {"Width=33.3", 33.3}, {"width=150 %", 150.0}, {"Width=0.001", 0.001}, {"Width=199.99", 199.99}};
    const ParameterLookup lookup(*plugin);
    for (const auto& c : cases)
    {
        ParameterLookup::Assignment assignment;
        ASSERT_TRUE(lookup.parse(c.assignment, assignment).ok()) << c.assignment;
        EXPECT_EQ(assignment.note, "") << c.assignment;
        plugin->setParameter(assignment.index, assignment.value);
        EXPECT_NEAR(std::stod(plugin->parameterDisplay(2)), c.number, 1e-4) << c.assignment;
    }
}

TEST_F(ParameterLookupTest, EndStepsGiveTheEndsOfTheRange)
{
    const ParameterLookup lookup(*plugin);
    ParameterLookup::Assignment assignment;
    ASSERT_TRUE(lookup.parse("Gain=-24", assignment).ok());
    EXPECT_EQ(assignment.value, 0.0f);
    ASSERT_TRUE(lookup.parse("Mode=Gain", assignment).ok());
    EXPECT_EQ(assignment.value, 1.0f);
}

TEST_F(ParameterLookupTest, MistakesAreRefusedWithAMessageThatNamesThem)
{
    const struct
    {
        const char* assignment;
        const char* mentions;
    } cases[] = {
        {"Volume=3", "unknown parameter \"Volume\""},
        {"Gain=30", "out of range"},
        {"Gain=-24.5", "out of range"},
        {"Mode=Loud", "no setting \"Loud\""},
        {"Gain=loud", "no setting \"loud\""},
        {"Gain=norm:1.5", "from 0 to 1"},
        {"Gain=0x10", "no setting \"0x10\""},
        {"Gain=norm:0x0.8p0", "from 0 to 1"},
        {"Gain=norm:", "from 0 to 1"},
        {"Gain", "Name=value"},
        {"#5=0", "out of range"},
        {"=3", "unknown parameter"},
    };
    const ParameterLookup lookup(*plugin);
    for (const auto& c : cases)
    {
        ParameterLookup::Assignment assignment;
        const host::Status status = lookup.parse(c.assignment, assignment);
        ASSERT_FALSE(status.ok()) << c.assignment;
        EXPECT_NE(status.message().find(c.mentions), std::string::npos)
            << c.assignment << ": " << status.message();
    }
}

TEST_F(ParameterLookupTest, ProbingLeavesTheParameterAsItWas)
{
    plugin->setParameter(0, 0.3f);
    const ParameterLookup lookup(*plugin);
    ParameterLookup::Assignment assignment;
    ASSERT_TRUE(lookup.parse("Gain=12", assignment).ok());
    ASSERT_FALSE(lookup.parse("Gain=99", assignment).ok());
    EXPECT_EQ(plugin->parameter(0), 0.3f);
}

TEST_F(ParameterLookupTest, AFailedConfigurationChangesNothing)
{
    host::RenderSettings settings;
    settings.preset = "Quiet";
    settings.assignments = {"Gain=-6", "Mode=Loud"};
    std::vector<std::string> notes;
    EXPECT_FALSE(host::RenderJob::configure(*plugin, settings, notes).ok());
    EXPECT_EQ(plugin->parameterDisplay(0), "0.0");
    EXPECT_EQ(plugin->parameterDisplay(1), "Gain");
}

TEST_F(ParameterLookupTest, ForeignPresetsAreTheProgramsByNameOrNumber)
{
    EXPECT_EQ(host::PresetSelector::names(*plugin), (std::vector<std::string>{"Unity", "Half", "Quiet"}));
    std::string chosen;
    ASSERT_TRUE(host::PresetSelector::apply(*plugin, "half", chosen).ok());
    EXPECT_EQ(chosen, "Half");
    EXPECT_EQ(plugin->parameterDisplay(0), "-6.0");
    ASSERT_TRUE(host::PresetSelector::apply(*plugin, "2", chosen).ok());
    EXPECT_EQ(chosen, "Quiet");
    EXPECT_EQ(plugin->parameterDisplay(0), "-24.0");
    EXPECT_FALSE(host::PresetSelector::apply(*plugin, "3", chosen).ok());
    EXPECT_FALSE(host::PresetSelector::apply(*plugin, "Loud", chosen).ok());
}

} // namespace
