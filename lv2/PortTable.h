#pragma once

#include <array>
#include <cstdint>

// The LV2 ports of both variants: one table that the DSP module, the UI module
// and the Turtle generator read. Control ports come first so that their
// indices are the same in the stereo and the mono variant; audio ports follow.
//
// The visible controls carry values in the units the panel shows (an index
// for the two switches, 0..10, decibels); the hidden stored values are ports
// too, 0..1 as stored, so that the host keeps them with its own port values
// and presets and the UI learns them without access to the DSP instance.
namespace lv2port
{

enum class Kind
{
    ProcessSwitch, // 0 Off, 1 Clear, 2 Valve
    RatioSwitch,   // 0..6, the seven ratio texts
    Scale,         // continuous, 0..maximum in the panel's units
    Hidden         // the stored normalised value itself
};

struct ControlPort
{
    const char* symbol;
    const char* name;
    int32_t parameter; // index 0..11 of the effect's parameters
    Kind kind;
    float maximum; // minimum is 0 for every control
    float step;    // the panel's display step (0: none)
};

constexpr int32_t kNumControls = 12;
inline constexpr std::array<ControlPort, kNumControls> kControls = {{
    {"process", "Process", 0, Kind::ProcessSwitch, 2.0f, 1.0f},
    {"ratio", "Ratio", 2, Kind::RatioSwitch, 6.0f, 1.0f},
    {"time", "Time", 4, Kind::Scale, 10.0f, 0.5f},
    {"compression", "Compression", 5, Kind::Scale, 10.0f, 0.25f},
    {"output", "Output", 6, Kind::Scale, 30.0f, 0.5f},
    {"stored1", "Stored value 1", 1, Kind::Hidden, 1.0f, 0.0f},
    {"stored3", "Stored value 3", 3, Kind::Hidden, 1.0f, 0.0f},
    {"stored7", "Stored value 7", 7, Kind::Hidden, 1.0f, 0.0f},
    {"stored8", "Stored value 8", 8, Kind::Hidden, 1.0f, 0.0f},
    {"stored9", "Stored value 9", 9, Kind::Hidden, 1.0f, 0.0f},
    {"stored10", "Stored value 10", 10, Kind::Hidden, 1.0f, 0.0f},
    {"stored11", "Stored value 11", 11, Kind::Hidden, 1.0f, 0.0f},
}};

// Output controls and audio ports, after the input controls.
constexpr uint32_t kGainReduction = 12; // dB, 0 meaning no reduction
constexpr uint32_t kLatency = 13;       // always 0
constexpr uint32_t kFirstAudio = 14;    // stereo: in L, in R, out L, out R; mono: in, out
constexpr float kMaxGainReductionDb = 60.0f;

// Port index of a parameter's control port, or -1.
int32_t portOfParameter(int32_t parameter);

// A port value (any float a host may send) as the normalised parameter value.
// Out-of-range values clamp; a switch takes the nearest step; NaN keeps
// `current`, since it names no value at all.
float parameterFromPort(const ControlPort& port, float value, float current);

// The port value that shows a normalised value: the switch step, or the
// float that maps back closest to it (exactly where one does).
float portFromParameter(const ControlPort& port, float parameter);

// Gain reduction for the output port from the meter's linear gain, and back.
float gainReductionDb(double meterGain);
double meterGainFromDb(float reductionDb);

} // namespace lv2port
