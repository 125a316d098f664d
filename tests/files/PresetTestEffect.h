// A preset-system effect without an engine, whose host counts display updates and automations.
#pragma once

#include "presets/CPresetSystemEffect.h"

#include <array>
#include <string>

struct HostLog
{
    int displayUpdates = 0;
    int automations = 0;
    int outOfRangeAutomations = 0;
};

inline HostLog& hostLog()
{
    static HostLog log;
    return log;
}

inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterAutomate && !(opt >= 0.0f && opt <= 1.0f)) ++hostLog().outOfRangeAutomations;
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterUpdateDisplay) ++hostLog().displayUpdates;
    if (opcode == audioMasterAutomate) ++hostLog().automations;
    return 0;
}

class PresetTestEffect : public CPresetSystemEffect
{
  public:
    PresetTestEffect() : CPresetSystemEffect(recordingHost) {}

    void processReplacing(float**, float**, VstInt32) override {}

    // The engine keeps the parameters; the program store rule runs after it.
    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < 12) current[index] = value;
        CPresetSystemEffect::setParameter(index, value);
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < 12 ? current[index] : 0.0f; }

    std::string name(VstInt32 preset)
    {
        char text[CProgram::kNameSize] = {};
        getPresetProgram(preset)->getName(text);
        return text;
    }
    float value(VstInt32 preset, VstInt32 index) { return getPresetProgram(preset)->getParameter(index); }

    std::array<float, 12> current{};
};
