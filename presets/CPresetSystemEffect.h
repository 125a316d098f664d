#pragma once

#include <array>
#include <atomic>

#include "presets/CProgram.h"
#include "shell/AudioEffectX.h"

class PresetNameView;

// The preset system: 24 internal programs filled with the factory presets,
// the preset being edited, and the rule that copies every parameter change
// into it and into program 0, the only program the host sees.
//
// Program 0 is the effect's parameter state: the one place each value lives,
// which the engine follows and the host reads back. Its values are atomics;
// the other programs are touched from the host's dispatcher thread and the
// editor's thread, never from the audio thread.
class CPresetSystemEffect : public AudioEffectX
{
  public:
    static constexpr VstInt32 kNumPresets = 24;

    explicit CPresetSystemEffect(audioMasterCallback host);
    ~CPresetSystemEffect() override;

    // Program 0 is the state itself: nothing is copied, the engine only takes
    // its values again (applyStoredParameter).
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    // The program store rule; the engine's override calls it after its own work.
    void setParameter(VstInt32 index, float value) override;

    virtual VstInt32 getCurrentPreset();
    // Cuts to 24 characters and tells the editor.
    virtual void renameCurrentPreset(const char* text);
    // The editor's name field; tells the host instead of the editor.
    virtual void setCurrentPresetName(const char* text);
    // `index` 0..23: applies that program and makes it the one being edited.
    virtual void selectPreset(VstInt32 index);
    // Memo slots in the user's settings store (presets/MemoSlots.cpp).
    virtual VstInt32 storeMemoA();
    virtual VstInt32 storeMemoB();
    virtual VstInt32 recallMemoA();
    virtual VstInt32 recallMemoB();
    // setParameter, then begin edit, two automates and end edit to the host.
    virtual void setParameterWithHostEdit(VstInt32 index, float value);
    virtual void initFactoryPresets();

    // Program 0..23, or null.
    CProgram* getPresetProgram(VstInt32 index);

  protected:
    // The view that shows the current preset's name, or null: the editor, as
    // the plug-in wires it.
    virtual PresetNameView* presetNameView() { return nullptr; }
    // The engine takes program 0's value of `index`; any thread.
    virtual void applyStoredParameter(VstInt32 index) {}

    std::array<CProgram, kNumPresets> programs;
    std::atomic<VstInt32> currentPreset{0};
};
