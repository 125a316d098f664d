// Where the preset system shows the name of the preset being edited: the
// editor's name field, reached without the preset system knowing the editor.
#pragma once

class PresetNameView
{
  public:
    virtual ~PresetNameView() = default;
    // The dispatcher's or the editor's thread.
    virtual void showPresetName(const char* name) = 0;
};
