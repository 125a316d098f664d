// Some hosts run with floating-point exceptions unmasked: any invalid
// operation, division by zero, overflow or underflow anywhere in the plug-in
// then kills the host. A whole life cycle runs here with those traps on
// (inexact is left masked: nearly every operation raises it).
#include <cfenv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "engine_test_support.h"
#include "platform/headless/HeadlessPlatform.h"
#include "presets/PresetFiles.h"

#ifdef _WIN32
#include <float.h>
#endif

namespace
{

// Unmasks the traps for its lifetime; the old mode comes back after.
class Traps
{
  public:
    Traps()
    {
#ifdef _WIN32
        _controlfp_s(&saved, 0, 0);
        _clearfp();
        _controlfp_s(
            &trapping,
            saved & ~static_cast<unsigned int>(_EM_INVALID | _EM_ZERODIVIDE | _EM_OVERFLOW | _EM_UNDERFLOW),
            _MCW_EM);
#else
        fegetenv(&saved);
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(kTrapping);
#endif
    }
    ~Traps()
    {
#ifdef _WIN32
        unsigned int ignored = 0;
        _clearfp();
        _controlfp_s(&ignored, saved, _MCW_EM);
#else
        fesetenv(&saved);
#endif
    }
    // The plug-in never changes the host's mode, traps or rounding.
    bool modeUnchanged() const
    {
#ifdef _WIN32
        unsigned int now = 0;
        _controlfp_s(&now, 0, 0);
        return now == trapping;
#else
        return fegetexcept() == kTrapping && fegetround() == FE_TONEAREST;
#endif
    }
    Traps(const Traps&) = delete;
    Traps& operator=(const Traps&) = delete;

  private:
#ifdef _WIN32
    unsigned int saved = 0;
    unsigned int trapping = 0;
#else
    static constexpr int kTrapping = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW;
    fenv_t saved;
#endif
};

VstIntPtr dispatch(AEffect* record, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

template <typename Sample> void processProgramme(AEffect* record, double rate)
{
    const std::vector<double> source = programme(4096, rate);
    std::vector<Sample> left(source.begin(), source.end()), right(left.rbegin(), left.rend());
    left[100] = Sample(0);
    right[200] = std::numeric_limits<Sample>::denorm_min();
    std::vector<Sample> outL(left.size()), outR(left.size());
    Sample* inputs[2] = {left.data(), right.data()};
    Sample* outputs[2] = {outL.data(), outR.data()};
    if constexpr (std::is_same_v<Sample, float>)
        record->processReplacing(record, inputs, outputs, static_cast<VstInt32>(left.size()));
    else
        record->processDoubleReplacing(record, inputs, outputs, static_cast<VstInt32>(left.size()));
}

TEST(FloatingPointTraps, AWholeLifeCycleRaisesNone)
{
    const std::string folder = std::filesystem::temp_directory_path().string();
    const std::string bank = folder + "/fp-traps-test.trb", preset = folder + "/fp-traps-test.trp";
    Traps traps;
    auto* effect = new AutoComp(test_host::callback);
    AEffect* record = effect->getAeffect();
    auto memory = std::make_unique<platform::headless::HeadlessPlatform>();
    platform::headless::HeadlessPlatform* screen = memory.get();
    static_cast<ADEditor*>(effect->getEditor())->setPlatform(std::move(memory));

    dispatch(record, effOpen);
    for (const float rate : {44100.0f, 0.0f, -1.0f, 96000.0f, 768000.0f, 1e9f, 48000.0f})
    {
        dispatch(record, effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(record, effSetBlockSize, 0, 4096);
        dispatch(record, effMainsChanged, 0, 1);
        processProgramme<float>(record, 48000);
        processProgramme<double>(record, 48000);
        dispatch(record, effMainsChanged, 0, 0);
    }
    dispatch(record, effMainsChanged, 0, 1);

    void* host = screen->addHostWindow(platform::Rect{0, 0, 400, 309});
    ASSERT_EQ(dispatch(record, effEditOpen, 0, 0, host), 1);
    char text[256];
    for (VstInt32 index = 0; index < record->numParams; ++index)
    {
        for (const float value : {0.0f, 0.37f, 1.0f, -1.0f, 2.0f})
        {
            record->setParameter(record, index, value);
            record->getParameter(record, index);
            for (const VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
                dispatch(record, opcode, index, 0, text);
            processProgramme<double>(record, 48000);
            dispatch(record, effEditIdle);
        }
    }
    for (VstInt32 program = 0; program < CPresetSystemEffect::kNumPresets; ++program)
    {
        effect->selectPreset(program);
        dispatch(record, effGetProgramNameIndexed, program, 0, text);
        processProgramme<float>(record, 48000);
        dispatch(record, effEditIdle);
    }
    EXPECT_TRUE(saveBankFile(*effect, bank).ok());
    EXPECT_TRUE(loadBankFile(*effect, bank).ok());
    EXPECT_TRUE(savePresetFile(*effect, preset).ok());
    EXPECT_TRUE(loadPresetFile(*effect, preset).ok());
    effect->storeMemoA();
    effect->recallMemoA();
    dispatch(record, effEditIdle);
    dispatch(record, effEditClose);
    dispatch(record, effMainsChanged, 0, 0);
    dispatch(record, effClose); // deletes the effect
    EXPECT_TRUE(traps.modeUnchanged());
    std::remove(bank.c_str());
    std::remove(preset.c_str());
}

} // namespace
