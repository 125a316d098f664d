#include "presets/CPresetSystemEffect.h"

#include <cstring>

#include "engine/ParameterTable.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetNameView.h"

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback host) : AudioEffectX(host, 1, params::kCount)
{
    initFactoryPresets();
}

CPresetSystemEffect::~CPresetSystemEffect() = default;

CProgram* CPresetSystemEffect::getPresetProgram(VstInt32 index)
{
    return index >= 0 && index < kNumPresets ? &programs[static_cast<std::size_t>(index)] : nullptr;
}

void CPresetSystemEffect::initFactoryPresets()
{
    for (VstInt32 i = 0; i < kNumPresets; ++i)
    {
        const FactoryPreset& preset = kFactoryPresets[static_cast<std::size_t>(i)];
        CProgram& program = programs[static_cast<std::size_t>(i)];
        const std::array<float, 12> values = factoryPresetValues(preset);
        for (VstInt32 k = 0; k < params::kCount; ++k)
            program.setParameter(k, values[static_cast<std::size_t>(k)]);
        program.setName(preset.name);
    }
}

// Also while a preset is being selected: a change from another thread then
// lands in the program being selected and in program 0, never nowhere.
void CPresetSystemEffect::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= params::kCount)
    {
        return;
    }
    if (index == params::kProcess)
    {
        // "Process" is one setting for all programs, not part of a preset.
        for (CProgram& program : programs)
        {
            program.setParameter(index, value);
        }
        return;
    }
    programs[static_cast<std::size_t>(currentPreset.load(std::memory_order_relaxed))].setParameter(index,
                                                                                                   value);
    programs[0].setParameter(index, value);
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
        // Copying program 0 onto itself would write back a value that another
        // thread may have replaced since it was read.
        if (program == 0)
        {
            applyStoredParameter(i);
        }
        else
        {
            setParameter(i, source->getParameter(i));
        }
    }
}

void CPresetSystemEffect::setProgramName(char* name)
{
    renameCurrentPreset(name);
}

void CPresetSystemEffect::getProgramName(char* name)
{
    programs[0].getName(name);
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
    return currentPreset.load(std::memory_order_relaxed);
}

void CPresetSystemEffect::renameCurrentPreset(const char* text)
{
    char name[CProgram::kNameSize] = {};
    std::strncpy(name, text ? text : "", CProgram::kNameSize - 1);
    programs[static_cast<std::size_t>(currentPreset.load(std::memory_order_relaxed))].setName(name);
    programs[0].setName(name);
    if (PresetNameView* view = presetNameView())
    {
        view->showPresetName(name);
    }
}

void CPresetSystemEffect::setCurrentPresetName(const char* text)
{
    programs[static_cast<std::size_t>(currentPreset.load(std::memory_order_relaxed))].setName(text);
    programs[0].setName(text);
    updateDisplay();
}

void CPresetSystemEffect::selectPreset(VstInt32 index)
{
    if (index < 0 || index >= kNumPresets)
    {
        return; // callers pass 0..23; anything else would index past the array
    }
    currentPreset.store(index, std::memory_order_relaxed);
    CProgram& current = programs[static_cast<std::size_t>(index)];
    // Each value goes through the store rule into program 0 (and back into
    // this program, unchanged), so automation arriving meanwhile is kept too.
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        setParameterWithHostEdit(i, current.getParameter(i));
    }
    char name[CProgram::kNameSize];
    current.getName(name);
    programs[0].setName(name);
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
