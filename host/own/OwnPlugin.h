// What the tool knows of our own plug-in beyond what any host sees through
// the module: its factory presets by name, the meaning of its Output value,
// its bank and preset files (BankCommands) and its editor drawn in this
// process (EditorSnapshot). Only this folder includes the plug-in's parts;
// everything else in the tool goes through the module.
#pragma once

#include "host/PluginInstance.h"

#include <optional>
#include <string>
#include <vector>

namespace host::own
{

// The loaded module is our plug-in with the parameter table this tool was
// built with: identity, shape, and every parameter's name and display texts
// (probed, then restored). Any other build is treated as a foreign plug-in.
bool recognises(PluginInstance& plugin);

std::vector<std::string> factoryPresetNames();

// All twelve values of factory preset `index`, as a DAW restores a plug-in.
void applyFactoryPreset(PluginInstance& plugin, int index);

// The make-up gain the Output parameter adds, in dB.
double makeupDb(const PluginInstance& plugin);

} // namespace host::own
