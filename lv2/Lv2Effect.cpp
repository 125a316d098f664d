#include "lv2/Lv2Effect.h"

#include "editor/AEffGUIEditor.h"
#include "engine/ParameterTable.h"

Lv2Effect::Lv2Effect(audioMasterCallback host) : AutoComp(host) {}

SessionState Lv2Effect::captureState()
{
    SessionState state;
    for (int32_t i = 0; i < params::kCount; ++i)
    {
        state.values[static_cast<std::size_t>(i)] = getParameter(i);
    }
    char name[CProgram::kNameSize] = {};
    getProgramName(name);
    state.name = name;
    state.currentPreset = getCurrentPreset();
    return state;
}

void Lv2Effect::restoreState(const SessionState& state)
{
    if (state.currentPreset >= 0 && state.currentPreset < kNumPresets)
    {
        currentPreset.store(state.currentPreset, std::memory_order_relaxed);
    }
    for (int32_t i = 0; i < params::kCount; ++i)
    {
        setParameter(i, state.values[static_cast<std::size_t>(i)]);
    }
    renameCurrentPreset(state.name.c_str());
}

void Lv2Effect::adoptPreset(int32_t preset, const char* name)
{
    if (preset < 0 || preset >= kNumPresets) return;
    currentPreset.store(preset, std::memory_order_relaxed);
    renameCurrentPreset(name);
}

AEffGUIEditor* Lv2Effect::guiEditor()
{
    // The only editor AutoComp attaches is its own, a GUI editor.
    return static_cast<AEffGUIEditor*>(editor);
}
