// Loads the built module exactly as a host does (dlopen or LoadLibrary), looks
// up the entry, drives the effect only through its record.
#include "shell/host_interface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "LoadedModule.h"

namespace
{

VstIntPtr host2400(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0; // also: every pin connected
}

VstIntPtr hostAnsweringZero(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

struct PluginModule : ::testing::Test
{
    void SetUp() override
    {
        module = std::make_unique<LoadedModule>(AMBERLIT_PLUGIN_PATH);
        ASSERT_TRUE(module->loaded()) << module->error();
        entry = reinterpret_cast<VstPluginMainProc>(module->symbol("VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
    }
    std::unique_ptr<LoadedModule> module;
    VstPluginMainProc entry = nullptr;
};

TEST(PluginModuleSymbols, OnlyTheEntryIsExported)
{
#ifdef _WIN32
    const LoadedModule module(AMBERLIT_PLUGIN_PATH);
    ASSERT_TRUE(module.loaded()) << module.error();
    const std::set<std::string> names = exportedNames(module);
#else
    const std::set<std::string> names = exportedNames(AMBERLIT_PLUGIN_PATH);
#endif
    EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST_F(PluginModule, MainIsTheSameFunctionAsTheEntry)
{
    EXPECT_EQ(module->symbol("main"), reinterpret_cast<void*>(entry));
}

TEST_F(PluginModule, HostAnsweringVersionZeroGetsNoEffect)
{
    EXPECT_EQ(entry(hostAnsweringZero), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_F(PluginModule, HostAnswering2400GetsTheAnnouncedRecord)
{
    AEffect* e = entry(host2400);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 12);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->uniqueID, fourCharCode('Q', 'B', 'X', 'N'));
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsCanDoubleReplacing); // 0x1011
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 400);
    EXPECT_EQ(rect->bottom - rect->top, 309);
    EXPECT_EQ(dispatch(e, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(e, effClose), 1);
}

// What a host shows in its plug-in lists and routing dialogs, asked through the record.
TEST_F(PluginModule, HostQueriesGetTheIdentityPinsAndLayouts)
{
    AEffect* e = entry(host2400);
    ASSERT_NE(e, nullptr);
    char text[256];
    const auto textOf = [&](VstInt32 opcode)
    {
        std::memset(text, 0x7f, sizeof text);
        const VstIntPtr answer = dispatch(e, opcode, 0, 0, text);
        return answer == 1 ? std::string(text) : std::string("<answered ") + std::to_string(answer) + ">";
    };
    EXPECT_EQ(textOf(effGetEffectName), "TRV amberLit");
    EXPECT_EQ(textOf(effGetProductString), "TRV amberLit - opto compressor");
    EXPECT_FALSE(textOf(effGetVendorString).empty());
    EXPECT_LT(textOf(effGetVendorString).size(), std::size_t(kVstMaxVendorStrLen));
    EXPECT_EQ(dispatch(e, effGetProgramName, 0, 0, text), 0);
    EXPECT_STREQ(text, "Current");
    EXPECT_EQ(dispatch(e, effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), kPlugCategMastering);

    struct PinCase
    {
        VstInt32 opcode, index;
        const char* label; // null: refused
    };
    const PinCase pins[] = {
        {effGetInputProperties, 0, "TRV amberLit 1 In"},
        {effGetInputProperties, 1, "TRV amberLit 2 In"},
        // Pins the record does not announce do not exist.
        {effGetInputProperties, 2, nullptr},
        {effGetInputProperties, 3, nullptr},
        {effGetInputProperties, -1, nullptr},
        {effGetOutputProperties, 1, "TRV amberLit 2 Out"},
        {effGetOutputProperties, 2, nullptr},
    };
    for (const PinCase& pin : pins)
    {
        VstPinProperties properties;
        std::memset(&properties, 0x5a, sizeof properties);
        const VstIntPtr answer = dispatch(e, pin.opcode, pin.index, 0, &properties);
        VstPinProperties untouched;
        std::memset(&untouched, 0x5a, sizeof untouched);
        if (!pin.label)
        {
            EXPECT_EQ(answer, 0) << pin.index;
            EXPECT_EQ(std::memcmp(&properties, &untouched, sizeof properties), 0) << pin.index;
            continue;
        }
        EXPECT_EQ(answer, 1) << pin.label;
        EXPECT_STREQ(properties.label, pin.label);
        EXPECT_EQ(properties.flags, kVstPinIsActive | kVstPinIsStereo) << pin.label;
        // Only label and flags are ours to write; the rest is the host's.
        EXPECT_EQ(properties.arrangementType, untouched.arrangementType) << pin.label;
        EXPECT_EQ(std::memcmp(properties.shortLabel, untouched.shortLabel, sizeof properties.shortLabel), 0);
    }

    const std::pair<VstInt32, VstInt32> accepted[] = {{1, 1}, {1, 2}, {2, 2}};
    const std::pair<VstInt32, VstInt32> refused[] = {{2, 1}, {0, 2}, {2, 0}, {6, 6}, {2, 3}};
    VstSpeakerArrangement in{}, out{};
    for (auto [ins, outs] : accepted)
    {
        in.numChannels = ins;
        out.numChannels = outs;
        EXPECT_EQ(dispatch(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1)
            << ins << " in " << outs << " out";
    }
    for (auto [ins, outs] : refused)
    {
        in.numChannels = ins;
        out.numChannels = outs;
        EXPECT_EQ(dispatch(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0)
            << ins << " in " << outs << " out";
    }
    EXPECT_EQ(e->numInputs, 2); // a mono layout changes nothing announced
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(dispatch(e, effClose), 1);
}

// Processes blocks of a programme-like signal; every output sample must stay finite.
template <typename Sample>
bool processBlocks(AEffect* e, int blocks, VstInt32 frames, std::vector<Sample>& outL)
{
    std::vector<Sample> inL(frames), inR(frames), outR(frames);
    outL.assign(frames, Sample(0));
    Sample* inputs[] = {inL.data(), inR.data()};
    Sample* outputs[] = {outL.data(), outR.data()};
    bool finite = true;
    for (int b = 0; b < blocks; ++b)
    {
        for (VstInt32 i = 0; i < frames; ++i)
        {
            const double t = (b * frames + i) / 48000.0;
            const double burst = std::fmod(t, 0.25) < 0.05 ? 0.9 : 0.05; // attack and release both run
            inL[i] = Sample(burst * std::sin(2 * std::numbers::pi * 440 * t));
            inR[i] = Sample(burst * std::sin(2 * std::numbers::pi * 660 * t));
        }
        if constexpr (sizeof(Sample) == sizeof(float))
            e->processReplacing(e, inputs, outputs, frames);
        else
            e->processDoubleReplacing(e, inputs, outputs, frames);
        for (VstInt32 i = 0; i < frames; ++i)
            finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
    }
    return finite;
}

TEST_F(PluginModule, FullLifeCycleWithAutomationFromAnotherThread)
{
    AEffect* e = entry(host2400);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 256);
    dispatch(e, effMainsChanged, 0, 1);

    std::atomic<bool> running{true};
    std::thread automation(
        [&]
        {
            unsigned step = 0;
            while (running.load(std::memory_order_relaxed))
            {
                const VstInt32 index = static_cast<VstInt32>(step % 12);
                e->setParameter(e, index, static_cast<float>((step * 37) % 101) / 100.0f);
                (void)e->getParameter(e, index);
                char text[64];
                dispatch(e, effGetParamDisplay, index, 0, text);
                ++step;
            }
        });
    std::vector<float> out32;
    std::vector<double> out64;
    const bool finite32 = processBlocks(e, 200, 256, out32);
    const bool finite64 = processBlocks(e, 200, 256, out64);
    running = false;
    automation.join();
    EXPECT_TRUE(finite32);
    EXPECT_TRUE(finite64);

    dispatch(e, effMainsChanged, 0, 0);
    EXPECT_EQ(dispatch(e, effClose), 1);
}

TEST_F(PluginModule, TwoInstancesShareNoState)
{
    AEffect* a = entry(host2400);
    AEffect* b = entry(host2400);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    for (AEffect* e : {a, b})
    {
        dispatch(e, effOpen);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        dispatch(e, effMainsChanged, 0, 1);
    }
    b->setParameter(b, 5, 0.9f); // b compresses harder while both run interleaved
    std::vector<double> outA, outB;
    processBlocks(a, 20, 128, outA);
    processBlocks(b, 20, 128, outB);
    b->setParameter(b, 5, a->getParameter(a, 5));

    AEffect* fresh = entry(host2400);
    ASSERT_NE(fresh, nullptr);
    dispatch(fresh, effOpen);
    dispatch(fresh, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(fresh, effMainsChanged, 0, 1);
    std::vector<double> outFresh;
    processBlocks(fresh, 20, 128, outFresh);
    EXPECT_EQ(outA, outFresh); // a was not disturbed by b
    for (AEffect* e : {a, b, fresh})
        EXPECT_EQ(dispatch(e, effClose), 1);
}

} // namespace
