#include "host/EditorCommands.h"
#include "host/PresetSelector.h"
#include "host/own/EditorSnapshot.h"

#include "host/NameMatch.h"
#include "raster/PngFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace host
{
namespace
{

// The factory preset the user named, so that the editor shows its name too.
int factoryIndex(PluginInstance& plugin, const std::string& choice)
{
    const std::vector<std::string> names = PresetSelector::names(plugin);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (choice == std::to_string(i) || sameNameIgnoringCase(choice, names[i])) return static_cast<int>(i);
    return -1;
}

} // namespace

int runScreenshotCommand(const CommandLine& commandLine, PluginInstance& plugin)
{
    if (commandLine.positional.size() != 1)
    {
        std::fprintf(stderr, "amberlit: screenshot needs one output file (.png)\n");
        return 2;
    }
    if (!PresetSelector::isOurPlugin(plugin))
    {
        std::fprintf(stderr, "amberlit: screenshot draws our own editor only\n");
        return 1;
    }
    // The loaded module resolves presets and display values exactly as a
    // render would; the picture is drawn by an instance in this process.
    std::vector<std::string> notes;
    if (Status status = RenderJob::configure(plugin, commandLine.settings, notes); !status.ok())
    {
        std::fprintf(stderr, "amberlit: %s\n", status.message().c_str());
        return 1;
    }
    for (const auto& note : notes)
        std::fprintf(stderr, "amberlit: note: %s\n", note.c_str());

    EditorSnapshot::Settings settings;
    if (!commandLine.settings.preset.empty())
        settings.preset = factoryIndex(plugin, commandLine.settings.preset);
    for (int i = 0; i < plugin.parameterCount(); ++i)
        settings.values.push_back(plugin.parameter(i));
    if (commandLine.scale != 0) settings.scale = commandLine.scale;

    gui::CPixelSurface image;
    if (!EditorSnapshot::render(settings, image))
    {
        std::fprintf(stderr, "amberlit: the editor could not be opened\n");
        return 1;
    }
    const std::string& path = commandLine.positional[0];
    if (!gui::writePng(image, path))
    {
        std::fprintf(stderr, "amberlit: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: editor %dx%d, %s\n", path.c_str(), image.width(), image.height(),
                RenderJob::describe(plugin).c_str());
    return 0;
}

} // namespace host
