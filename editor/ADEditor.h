#pragma once

#include "shell/AEffEditor.h"

// Stand-in for the plug-in's editor until the skinned editor exists: it has
// the editor's size and takes the effect's notifications, but opens no window.
class ADEditor : public AEffEditor
{
  public:
    static constexpr VstInt16 kWidth = 400;
    static constexpr VstInt16 kHeight = 309;

    // Attaches itself to `effect`, which owns it from then on.
    explicit ADEditor(AudioEffect* effect);

    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;

    // Notifications from the effect; the real editor moves its controls.
    virtual void setParameter(VstInt32 index, float value) {}
    virtual void clearMeter() {}
    virtual void showPresetName(const char* name) {}

  private:
    ERect rect{0, 0, kHeight, kWidth};
};
