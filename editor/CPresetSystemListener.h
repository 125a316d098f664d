// What the preset bar's buttons ask of the editor directly, beside the
// ordinary control notifications.
#pragma once

#include "gui/CControlListener.h"

class CPresetSystemListener : public gui::CControlListener
{
  public:
    // Each runs a modal file dialog and returns once it is closed.
    virtual void loadBank() = 0;
    virtual void saveBank() = 0;
    virtual void loadPreset() = 0;
    virtual void savePreset() = 0;
    // Moves to the next (up) or previous preset, without wrapping around.
    virtual void stepPreset(bool up) = 0;

  protected:
    ~CPresetSystemListener() = default;
};
