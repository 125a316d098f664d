// The host against our own plug-in module: display units map to the values
// the parameter table defines, factory presets come from the shared table,
// and a mono file gets the same processing as a dual-mono stereo file.
#include "host/BlockRenderer.h"
#include "host/DemoProgramme.h"
#include "host/ParameterLookup.h"
#include "host/PluginInstance.h"
#include "host/PresetSelector.h"
#include "host/RenderJob.h"

#include "engine/ParameterTable.h"
#include "presets/FactoryPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#ifdef AMBERLIT_PLUGIN_PATH
#define AMBERLIT_PLUGIN_PATH_OR_EMPTY AMBERLIT_PLUGIN_PATH
#else
#define AMBERLIT_PLUGIN_PATH_OR_EMPTY ""
#endif

namespace
{

class OurPluginTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
#ifndef AMBERLIT_PLUGIN_PATH
        GTEST_SKIP() << "the plug-in module is not part of this build";
#else
        host::Status status;
        plugin = host::PluginInstance::load(AMBERLIT_PLUGIN_PATH_OR_EMPTY, status);
        ASSERT_TRUE(plugin) << status.message();
#endif
    }
    std::unique_ptr<host::PluginInstance> plugin;
};

TEST_F(OurPluginTest, DisplayUnitsGiveTheValuesOfTheSteps)
{
    const struct
    {
        const char* assignment;
        int index;
        float value;
        const char* display;
    } cases[] = {
        {"Ratio=4:1", params::kRatio, 4.0f / 6.0f, "4:1"},
        {"Ratio=1.2:1", params::kRatio, 0.0f, "1.2:1"},
        {"Ratio=10", params::kRatio, 1.0f, "10:1"},
        {"Compression=7.5", params::kCompression, 0.75f, "7.50"},
        {"Compression=0", params::kCompression, 0.0f, "0.00"},
        {"Time=2", params::kTime, 0.2f, "2.00"},
        {"Time=5.5", params::kTime, 0.55f, "5.50"},
        {"Output=3", params::kOutput, 0.1f, "3.00"},
        {"Output=30", params::kOutput, 1.0f, "30.00"},
        {"Process=Clear", params::kProcess, 0.5f, "Clear"},
        {"Process=off", params::kProcess, 0.0f, "Off"},
        {"Process=Valve", params::kProcess, 1.0f, "Valve"},
    };
    const host::ParameterLookup lookup(*plugin);
    for (const auto& c : cases)
    {
        host::ParameterLookup::Assignment assignment;
        const host::Status status = lookup.parse(c.assignment, assignment);
        ASSERT_TRUE(status.ok()) << c.assignment << ": " << status.message();
        EXPECT_EQ(assignment.index, c.index) << c.assignment;
        EXPECT_NEAR(assignment.value, c.value, 1e-6) << c.assignment;
        plugin->setParameter(assignment.index, assignment.value);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display) << c.assignment;
    }
}

TEST_F(OurPluginTest, OutOfRangeDisplayValuesAreRefused)
{
    const host::ParameterLookup lookup(*plugin);
    host::ParameterLookup::Assignment assignment;
    for (const char* text : {"Output=31", "Compression=-1", "Ratio=20:1", "Process=Loud", "Time=11"})
        EXPECT_FALSE(lookup.parse(text, assignment).ok()) << text;
}

TEST(OurPluginRecognition, AnotherPluginUnderOurIdIsNotTakenForOurs)
{
    host::Status status;
    auto impostor = host::PluginInstance::load(GAIN_PLUGIN_WITH_OUR_ID_PATH, status);
    ASSERT_TRUE(impostor) << status.message();
    ASSERT_EQ(impostor->effect().uniqueID, 0x5142584E);
    EXPECT_FALSE(host::PresetSelector::isOurPlugin(*impostor));
    EXPECT_FALSE(host::RenderJob::makeupDb(*impostor).has_value());
}

TEST_F(OurPluginTest, FactoryPresetsComeFromTheSharedTable)
{
    ASSERT_TRUE(host::PresetSelector::isOurPlugin(*plugin));
    const auto names = host::PresetSelector::names(*plugin);
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kNumFactoryPresets));
    for (const char* choice : {"FastLim", "fastlim", "9"})
    {
        plugin->setParameter(params::kTime, 0.9f);
        std::string chosen;
        ASSERT_TRUE(host::PresetSelector::apply(*plugin, choice, chosen).ok()) << choice;
        EXPECT_EQ(chosen, "FastLim");
        EXPECT_EQ(plugin->parameter(params::kTime), kFactoryPresets[9].time) << choice;
        EXPECT_EQ(plugin->parameter(params::kRatio), kFactoryPresets[9].ratio) << choice;
    }
}

TEST_F(OurPluginTest, MonoFileIsProcessedLikeDualMonoStereo)
{
    // A mono host leaves pin 1 unconnected: the plug-in then feeds both sides
    // from the left input and its single output holds the right-hand result.
    const host::AudioBuffer stereo = host::DemoProgramme::groove(44100.0, 1.0);
    host::AudioBuffer dualMono = stereo;
    dualMono.channels[1] = dualMono.channels[0];
    host::AudioBuffer mono = stereo;
    mono.channels.resize(1);
    for (const bool wide : {false, true})
    {
        // Fresh instances, so that noise and smoothing start alike.
        host::Status status;
        auto first = host::PluginInstance::load(AMBERLIT_PLUGIN_PATH_OR_EMPTY, status);
        auto second = host::PluginInstance::load(AMBERLIT_PLUGIN_PATH_OR_EMPTY, status);
        ASSERT_TRUE(first && second) << status.message();
        const host::BlockRenderer::Options options{wide, 256};
        host::AudioBuffer fromStereo;
        host::AudioBuffer fromMono;
        ASSERT_TRUE(host::BlockRenderer::render(*first, dualMono, fromStereo, options).ok());
        ASSERT_TRUE(host::BlockRenderer::render(*second, mono, fromMono, options).ok());
        ASSERT_EQ(fromMono.channelCount(), 1);
        for (std::size_t i = 0; i < mono.frames(); ++i)
            ASSERT_EQ(fromMono.channels[0][i], fromStereo.channels[1][i])
                << "frame " << i << (wide ? " 64" : " 32");
    }
}

TEST_F(OurPluginTest, ReductionReadingTakesTheMakeupGainOut)
{
    std::vector<std::string> notes;
    host::RenderSettings settings;
    settings.assignments = {"Process=Clear", "Output=6"};
    ASSERT_TRUE(host::RenderJob::configure(*plugin, settings, notes).ok());
    EXPECT_EQ(host::RenderJob::makeupDb(*plugin), 6.0);
    // A quiet steady tone is barely compressed: the reading is near 0 dB, not -6.
    host::AudioBuffer quiet(2, 88200, 44100.0);
    for (auto& channel : quiet.channels)
        for (std::size_t i = 0; i < channel.size(); ++i)
            channel[i] = 0.003 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / 44100.0);
    host::RenderJob::Result result;
    ASSERT_TRUE(host::RenderJob::run(*plugin, quiet, settings, {}, result).ok());
    EXPECT_NEAR(result.trace.reductionDb.back(), 0.0, 0.5);
}

} // namespace
