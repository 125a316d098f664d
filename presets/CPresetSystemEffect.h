#pragma once

#include <memory>

#include "presets/CProgram.h"
#include "shell/AudioEffectX.h"

class PresetNameView;

// The preset system: 24 internal programs filled with the factory presets,
// the preset being edited, and the rule that copies every parameter change
// into it and into program 0, the only program the host sees.
//
// Programs are touched from the host's dispatcher thread and the editor's
// thread, never from the audio thread.
class CPresetSystemEffect : public AudioEffectX
{
  public:
    static constexpr VstInt32 kNumPresets = 24;

    explicit CPresetSystemEffect(audioMasterCallback host);
    ~CPresetSystemEffect() override;

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

    // Program 0..23, or null (also when the programs could not be allocated).
    CProgram* getPresetProgram(VstInt32 index);
    bool isPresetLoading() const { return presetLoading; }

  protected:
    // The view that shows the current preset's name, or null: the editor, as
    // the plug-in wires it.
    virtual PresetNameView* presetNameView() { return nullptr; }

    std::unique_ptr<CProgram[]> programs; // kNumPresets, or null
    VstInt32 currentPreset = 0;
    bool presetLoading = false;
};
