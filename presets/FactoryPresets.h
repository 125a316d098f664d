#pragma once

#include <array>
#include <cstdint>

// The 24 factory presets as data: the plug-in fills its programs from this
// table and the host tool offers the same presets by name or number.
struct FactoryPreset
{
    const char* name;
    float process;
    float ratio; // k / 6 for ratio step k, computed in double
    float time;
    float compression;
    float output;
};

constexpr int32_t kNumFactoryPresets = 24;

namespace factory_detail
{
constexpr float ratioStep(int k)
{
    return static_cast<float>(k / 6.0);
}
} // namespace factory_detail

inline constexpr std::array<FactoryPreset, kNumFactoryPresets> kFactoryPresets = {{
    {"Current", 1.0f, factory_detail::ratioStep(3), 0.5f, 0.5f, 0.0f},
    {"Default", 1.0f, factory_detail::ratioStep(3), 0.5f, 0.5f, 0.0f},
    {"CompressLite1", 1.0f, factory_detail::ratioStep(0), 0.5f, 0.5f, 0.15f},
    {"CompressLite2", 1.0f, factory_detail::ratioStep(1), 0.5f, 0.5f, 0.15f},
    {"CompressMed1", 1.0f, factory_detail::ratioStep(2), 0.5f, 0.5f, 0.15f},
    {"CompressMed2", 1.0f, factory_detail::ratioStep(3), 0.5f, 0.5f, 0.15f},
    {"CompressHeavy1", 1.0f, factory_detail::ratioStep(4), 0.5f, 0.5f, 0.15f},
    {"CompressHeavy2", 1.0f, factory_detail::ratioStep(5), 0.5f, 0.5f, 0.15f},
    {"SlowLim", 1.0f, factory_detail::ratioStep(6), 0.5f, 0.5f, 0.1f},
    {"FastLim", 1.0f, factory_detail::ratioStep(6), 0.2f, 0.5f, 0.1f},
    {"Leveller", 1.0f, factory_detail::ratioStep(3), 0.8f, 0.75f, 0.3f},
    {"Glue Things Together", 1.0f, factory_detail::ratioStep(3), 0.6f, 0.375f, 0.133f},
    {"Hats Smasher", 1.0f, factory_detail::ratioStep(6), 0.0f, 0.775f, 0.425f},
    {"Kick Fattener", 1.0f, factory_detail::ratioStep(5), 0.15f, 0.5f, 0.25f},
    {"Make it Pump", 1.0f, factory_detail::ratioStep(2), 0.0f, 0.65f, 0.183f},
    {"Snare Puncher", 1.0f, factory_detail::ratioStep(5), 0.35f, 0.375f, 0.166f},
    {"Kick", 1.0f, factory_detail::ratioStep(3), 0.3f, 0.5f, 0.133f},
    {"Pop Rock Vocal", 1.0f, factory_detail::ratioStep(3), 0.8f, 0.75f, 0.3f},
    {"Room Ambience", 1.0f, factory_detail::ratioStep(4), 0.7f, 0.275f, 0.166f},
    {"Snare Bottom", 1.0f, factory_detail::ratioStep(3), 0.35f, 0.225f, 0.133f},
    {"Snare Piccolo Top 1", 1.0f, factory_detail::ratioStep(4), 0.6f, 0.3f, 0.183f},
    {"Snare Piccolo Top 2", 1.0f, factory_detail::ratioStep(3), 0.4f, 0.5f, 0.216f},
    {"Stereo Drums Over", 1.0f, factory_detail::ratioStep(4), 0.55f, 0.6f, 0.233f},
    {"Stereo Toms", 1.0f, factory_detail::ratioStep(4), 0.5f, 0.625f, 0.233f},
}};

// All twelve parameter values of a preset in parameter order, the hidden ones
// at 0 as in a fresh program: the one mapping from the table to parameters.
std::array<float, 12> factoryPresetValues(const FactoryPreset& preset);
