#pragma once

#include "host/PluginInstance.h"
#include "host/Status.h"

#include <string>
#include <vector>

namespace host
{

// Presets by name or number. For our own plug-in they come from the factory
// table the plug-in itself is built from, applied as parameter changes the
// way a DAW restores a plug-in (the plug-in shows the host one program only).
// For any other plug-in they are its own programs.
class PresetSelector
{
  public:
    static bool isOurPlugin(PluginInstance& plugin);

    static std::vector<std::string> names(PluginInstance& plugin);

    // `choice` is a number or a name (case-insensitive); `chosen` receives the
    // preset's name.
    static Status apply(PluginInstance& plugin, const std::string& choice, std::string& chosen);
};

} // namespace host
