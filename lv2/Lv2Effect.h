#pragma once

#include "lv2/SessionState.h"
#include "plugin/AutoComp.h"

class AEffGUIEditor;

// The effect as both LV2 modules hold it: the same AutoComp the 2.4 module
// runs, plus what the session keeps of it and access to its own editor.
class Lv2Effect : public AutoComp
{
  public:
    explicit Lv2Effect(audioMasterCallback host);

    // Host or UI thread.
    SessionState captureState();
    // Makes `state.currentPreset` the preset being edited, sets every value
    // through setParameter (so the programs and the editor follow) and names it.
    void restoreState(const SessionState& state);

    // The preset being edited and its name, as the editor left them; host or
    // UI thread.
    void adoptPreset(int32_t preset, const char* name);

    AEffGUIEditor* guiEditor();
};
