#pragma once

#include "host/AudioBuffer.h"
#include "host/AudioFileReader.h"
#include "host/BlockRenderer.h"
#include "host/LevelTrace.h"
#include "host/PluginInstance.h"
#include "host/RenderSummary.h"
#include "host/Status.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace host
{

// What the user asked for: a preset, then parameter assignments on top.
struct RenderSettings
{
    std::string preset;                   // empty: the plug-in's state after loading
    std::string bankFile;                 // --bank: --preset picks from this bank
    std::string presetFile;               // --preset-file
    std::vector<std::string> assignments; // "Name=value"
    BlockRenderer::Options options;
};

// One configured render: settings applied, audio processed, levels measured.
class RenderJob
{
  public:
    struct Result
    {
        AudioBuffer output; // in-memory renders only
        LevelTrace trace;
        RenderSummary summary;
    };

    // Applies preset and assignments. `notes` receives remarks for the user
    // (a value moved to the nearest step).
    static Status configure(PluginInstance& plugin, const RenderSettings& settings,
                            std::vector<std::string>& notes);

    static Status run(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings,
                      const BlockRenderer::Progress& progress, Result& result);

    // Work that must succeed before the output appears (the plot beside it).
    using BeforeCommit = std::function<Status(const Result&)>;

    // Streams the reader's file through the plug-in into outputPath, which
    // appears only when everything, beforeCommit included, succeeded.
    static Status runFile(PluginInstance& plugin, AudioFileReader& reader, const std::string& outputPath,
                          const RenderSettings& settings, const BlockRenderer::Progress& progress,
                          Result& result, const BeforeCommit& beforeCommit = {});

    // The settings in display units, for titles and logs.
    static std::string describe(const PluginInstance& plugin);

    // The make-up gain in dB that the level trace takes out: our plug-in's
    // Output setting, read from the shared parameter table. Other plug-ins
    // name theirs in their own ways: none.
    static std::optional<double> makeupDb(PluginInstance& plugin);
};

} // namespace host
