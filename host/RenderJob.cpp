#include "host/RenderJob.h"

#include "host/AudioFileWriter.h"
#include "host/LevelMeter.h"
#include "host/ParameterLookup.h"
#include "host/PresetSelector.h"
#include "host/own/BankCommands.h"
#include "host/own/OwnPlugin.h"

namespace host
{
namespace
{
// Long parameter lists of other plug-ins are cut in titles.
constexpr int describedParameters = 8;
} // namespace

Status RenderJob::configure(PluginInstance& plugin, const RenderSettings& settings,
                            std::vector<std::string>& notes)
{
    // Everything is resolved before anything changes, so a mistake anywhere
    // leaves the plug-in as it was.
    const ParameterLookup lookup(plugin);
    std::vector<ParameterLookup::Assignment> assignments;
    for (const std::string& text : settings.assignments)
    {
        ParameterLookup::Assignment assignment;
        Status status = lookup.parse(text, assignment);
        if (!status.ok()) return status;
        if (!assignment.note.empty()) notes.push_back(assignment.note);
        assignments.push_back(assignment);
    }
    if (!settings.bankFile.empty() || !settings.presetFile.empty())
    {
        std::string chosen;
        Status status =
            applyProgramChoice(plugin, {settings.bankFile, settings.preset, settings.presetFile}, chosen);
        if (!status.ok()) return status;
    }
    else if (!settings.preset.empty())
    {
        std::string chosen;
        Status status = PresetSelector::apply(plugin, settings.preset, chosen);
        if (!status.ok()) return status;
    }
    for (const auto& assignment : assignments)
        plugin.setParameter(assignment.index, assignment.value);
    return {};
}

Status RenderJob::run(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings,
                      const BlockRenderer::Progress& progress, Result& result)
{
    if (Status status = BlockRenderer::render(plugin, input, result.output, settings.options, progress);
        !status.ok())
        return status;
    LevelMeter meter(input.sampleRate, makeupDb(plugin));
    meter.add(input, result.output, input.frames());
    result.trace = meter.finish();
    result.summary = meter.summary();
    return {};
}

Status RenderJob::runFile(PluginInstance& plugin, AudioFileReader& reader, const std::string& outputPath,
                          const RenderSettings& settings, const BlockRenderer::Progress& progress,
                          Result& result, const BeforeCommit& beforeCommit)
{
    const BlockRenderer::Stream stream{reader.channelCount(), reader.sampleRate(), reader.frames()};
    if (Status status = BlockRenderer::check(plugin, stream.channels, settings.options); !status.ok())
        return status;
    Status status;
    auto writer = AudioFileWriter::create(outputPath, stream.channels, stream.sampleRate,
                                          settings.options.doublePrecision, status);
    if (!writer) return status;
    LevelMeter meter(stream.sampleRate, makeupDb(plugin));
    const auto source = [&reader](AudioBuffer& block) { return reader.read(block, block.frames()); };
    const auto sink = [&](const AudioBuffer& input, const AudioBuffer& output, std::size_t frames)
    {
        meter.add(input, output, frames);
        return writer->write(output, frames);
    };
    status = BlockRenderer::render(plugin, stream, source, sink, settings.options, progress);
    if (status.ok()) status = reader.status();
    if (!status.ok()) return status; // the writer removes its temporary file
    result.trace = meter.finish();
    result.summary = meter.summary();
    if (beforeCommit)
        if (status = beforeCommit(result); !status.ok()) return status;
    return writer->commit();
}

std::string RenderJob::describe(const PluginInstance& plugin)
{
    std::string text;
    int described = 0;
    for (int i = 0; i < plugin.parameterCount() && described < describedParameters; ++i)
    {
        const std::string name = plugin.parameterName(i);
        if (name.empty()) continue;
        const std::string label = plugin.parameterLabel(i);
        text += (text.empty() ? "" : ", ") + name + " " + plugin.parameterDisplay(i) +
                (label.empty() ? "" : " " + label);
        ++described;
    }
    return text;
}

std::optional<double> RenderJob::makeupDb(PluginInstance& plugin)
{
    if (!PresetSelector::isOurPlugin(plugin)) return std::nullopt;
    return own::makeupDb(plugin);
}

} // namespace host
