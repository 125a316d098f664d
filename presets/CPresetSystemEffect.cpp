#include "presets/CPresetSystemEffect.h"

#include <cstring>
#include <new>

#include "engine/ParameterTable.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetNameView.h"

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback host)
    : AudioEffectX(host, 1, params::kCount), programs(new (std::nothrow) CProgram[kNumPresets])
{
    initFactoryPresets();
}

CPresetSystemEffect::~CPresetSystemEffect() = default;

CProgram* CPresetSystemEffect::getPresetProgram(VstInt32 index)
{
    return programs && index >= 0 && index < kNumPresets ? &programs[index] : nullptr;
}

void CPresetSystemEffect::initFactoryPresets()
{
    if (!programs)
    {
        return;
    }
    for (VstInt32 i = 0; i < kNumPresets; ++i)
    {
        const FactoryPreset& preset = kFactoryPresets[static_cast<std::size_t>(i)];
        CProgram& program = programs[i];
        const std::array<float, 12> values = factoryPresetValues(preset);
        for (VstInt32 k = 0; k < params::kCount; ++k)
            program.setParameter(k, values[static_cast<std::size_t>(k)]);
        program.setName(preset.name);
    }
}

void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    if (!programs || index < 0 || index >= params::kCount || presetLoading)
    {
        return;
    }
    programs[currentPreset].setParameter(index, value);
    programs[0].setParameter(index, value);
    if (index == params::kProcess)
    {
        // "Process" is one setting for all programs, not part of a preset.
        for (VstInt32 i = 0; i < kNumPresets; ++i)
        {
            programs[i].setParameter(index, value);
        }
    }
}

void CPresetSystemEffect::setProgram(VstInt32 program)
{
    CProgram* source = getPresetProgram(program);
    if (!source)
    {
        return;
    }
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        setParameter(i, source->getParameter(i));
    }
}

void CPresetSystemEffect::setProgramName(char* name)
{
    renameCurrentPreset(name);
}

void CPresetSystemEffect::getProgramName(char* name)
{
    if (programs)
    {
        programs[0].getName(name);
    }
    else
    {
        name[0] = '\0';
    }
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index != 0)
    {
        return false;
    }
    getProgramName(text);
    return true;
}

VstInt32 CPresetSystemEffect::getCurrentPreset()
{
    return currentPreset;
}

void CPresetSystemEffect::renameCurrentPreset(const char* text)
{
    char name[CProgram::kNameSize] = {};
    std::strncpy(name, text ? text : "", CProgram::kNameSize - 1);
    if (programs)
    {
        programs[currentPreset].setName(name);
        programs[0].setName(name);
    }
    if (PresetNameView* view = presetNameView())
    {
        view->showPresetName(name);
    }
}

void CPresetSystemEffect::setCurrentPresetName(const char* text)
{
    if (programs)
    {
        programs[currentPreset].setName(text);
        programs[0].setName(text);
    }
    updateDisplay();
}

void CPresetSystemEffect::selectPreset(VstInt32 index)
{
    if (!programs || index < 0 || index >= kNumPresets)
    {
        return; // callers pass 0..23; anything else would index past the array
    }
    presetLoading = true;
    currentPreset = index;
    CProgram& current = programs[currentPreset];
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        setParameterWithHostEdit(i, current.getParameter(i));
        programs[0].setParameter(i, current.getParameter(i));
    }
    char name[CProgram::kNameSize];
    current.getName(name);
    programs[0].setName(name);
    presetLoading = false;
    updateDisplay();
}

void CPresetSystemEffect::setParameterWithHostEdit(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterBeginEdit, index);
    callHost(audioMasterAutomate, index, 0, nullptr, getParameter(index));
    callHost(audioMasterAutomate, index, 0, nullptr, value);
    callHost(audioMasterEndEdit, index);
}
