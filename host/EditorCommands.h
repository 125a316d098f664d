#pragma once

#include "host/CommandLine.h"
#include "host/PluginInstance.h"

namespace host
{

// amberlit edit: the plug-in's editor in a top-level window of ours while the
// demo programme plays through the plug-in at real-time pace (not audibly),
// until the window is closed.
int runEditCommand(const CommandLine& commandLine, PluginInstance& plugin);

// amberlit screenshot OUT.png: our editor, with the chosen preset and
// settings, drawn off screen into a PNG file.
int runScreenshotCommand(const CommandLine& commandLine, PluginInstance& plugin);

} // namespace host
