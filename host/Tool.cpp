#include "host/Tool.h"

#include "host/AudioFile.h"
#include "host/AudioFileReader.h"
#include "host/AudioFileWriter.h"
#include "host/DemoProgramme.h"
#include "host/EditorCommands.h"
#include "host/PresetSelector.h"
#include "host/ProgressBar.h"
#include "host/RenderJob.h"
#include "host/SvgPlot.h"
#include "host/own/BankCommands.h"
#include "host/validate/Validator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace host
{
namespace
{

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr const char* moduleName = "amberLit.so";
constexpr double benchRate = 44100.0;
constexpr double benchSeconds = 20.0;
constexpr int benchRounds = 5;
constexpr const char* demoPresets[] = {"Default", "Glue Things Together", "FastLim", "Make it Pump"};

int fail(const Status& status)
{
    std::fprintf(stderr, "amberlit: %s\n", status.message().c_str());
    return exitFailure;
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "amberlit: %s\n\n%s", message.c_str(), CommandLine::usage().c_str());
    return exitUsage;
}

std::string executableDirectory()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : executable.parent_path().string();
}

std::string fourCharacters(VstInt32 code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

const char* categoryName(VstIntPtr category)
{
    static constexpr const char* names[] = {"unknown",     "effect",      "synth",       "analysis",
                                            "mastering",   "spatialiser", "room effect", "surround effect",
                                            "restoration", "offline",     "shell",       "generator"};
    return category >= 0 && category < 12 ? names[category] : "other";
}

std::string flagNames(VstInt32 flags)
{
    static constexpr std::pair<VstInt32, const char*> known[] = {
        {effFlagsHasEditor, "editor"},
        {effFlagsCanReplacing, "replacing"},
        {effFlagsCanDoubleReplacing, "double replacing"},
        {effFlagsProgramChunks, "chunks"},
        {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "no tail"}};
    std::string text;
    for (const auto& [bit, name] : known)
        if (flags & bit) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

void printPins(const PluginInstance& plugin, bool output, int count)
{
    for (int i = 0; i < count; ++i)
    {
        VstPinProperties properties;
        if (!plugin.pinProperties(output, i, properties)) continue;
        std::printf("    %s %d  \"%s\"%s%s\n", output ? "out" : "in ", i, properties.label,
                    properties.flags & kVstPinIsActive ? " active" : "",
                    properties.flags & kVstPinIsStereo ? " stereo" : "");
    }
}

void printCanDo(const PluginInstance& plugin)
{
    static constexpr const char* questions[] = {
        "offline", "plugAsChannelInsert", "mixDryWet", "1in1out", "1in2out",
        "2in2out", "receiveVstMidiEvent", "bypass"};
    std::printf("  can do     ");
    for (const char* question : questions)
        std::printf(" %s=%ld", question, static_cast<long>(plugin.canDo(question)));
    std::printf("\n");
}

void printParameters(const PluginInstance& plugin)
{
    std::printf("  parameters\n    %-3s %-14s %-10s %-6s %s\n", "#", "name", "display", "label",
                "normalised");
    for (int i = 0; i < plugin.parameterCount(); ++i)
        std::printf("    %-3d %-14s %-10s %-6s %.6f\n", i, plugin.parameterName(i).c_str(),
                    plugin.parameterDisplay(i).c_str(), plugin.parameterLabel(i).c_str(),
                    plugin.parameter(i));
}

void printPresets(PluginInstance& plugin)
{
    const auto names = PresetSelector::names(plugin);
    std::printf("  presets%s\n", PresetSelector::isOurPlugin(plugin) ? " (factory)" : " (programs)");
    for (std::size_t i = 0; i < names.size(); ++i)
        std::printf("    %-3zu %s\n", i, names[i].c_str());
}

std::string fileSlug(const std::string& name)
{
    std::string slug;
    for (unsigned char c : name)
        slug += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '-';
    return slug;
}

// A render must not destroy what it reads, nor a file the user made read-only
// (the rename would replace either without asking).
Status checkReplaceable(const std::string& path, const std::string& inputPath)
{
    struct stat output = {};
    if (::stat(path.c_str(), &output) != 0) return {};
    struct stat input = {};
    if (::stat(inputPath.c_str(), &input) == 0 && input.st_dev == output.st_dev &&
        input.st_ino == output.st_ino)
        return Status::failure("will not write " + path + ": it is the input file");
    if ((output.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)
        return Status::failure("will not replace " + path + ": the file is read-only");
    return {};
}

void printNotes(const std::vector<std::string>& notes)
{
    for (const auto& note : notes)
        std::fprintf(stderr, "amberlit: note: %s\n", note.c_str());
}

// Renders with a progress bar when standard error is a terminal.
Status renderWithProgress(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings,
                          const std::string& label, RenderJob::Result& result)
{
    ProgressBar bar(stderr, label);
    return RenderJob::run(
        plugin, input, settings, [&bar](double fraction) { bar.update(fraction); }, result);
}

Status writeRender(const std::string& audioPath, const std::string& plotPath, const RenderJob::Result& result,
                   const RenderSettings& settings, const std::string& title)
{
    Status status = AudioFile::writeAtomically(audioPath, result.output, settings.options.doublePrecision);
    if (status.ok() && !plotPath.empty()) status = SvgPlot::write(plotPath, result.trace, title);
    return status;
}

} // namespace

std::string Tool::pluginPath(const CommandLine& commandLine) const
{
    if (!commandLine.pluginPath.empty()) return commandLine.pluginPath;
    if (!builtPluginPath.empty() && access(builtPluginPath.c_str(), R_OK) == 0) return builtPluginPath;
    return executableDirectory() + "/" + moduleName;
}

std::unique_ptr<PluginInstance> Tool::loadPlugin(const CommandLine& commandLine)
{
    Status status;
    auto plugin = PluginInstance::load(pluginPath(commandLine), status);
    if (!plugin) fail(status);
    return plugin;
}

int Tool::run(const CommandLine& commandLine)
{
    const std::string& command = commandLine.command;
    if (command == "help")
    {
        std::printf("%s", CommandLine::usage().c_str());
        return 0;
    }
    if (command == "version")
    {
        std::printf("amberlit %s\n", AMBERLIT_VERSION);
        return 0;
    }
    if (command == "validate") return validate(commandLine);
    if (command == "info") return info(commandLine);
    if (command == "render") return render(commandLine);
    if (command == "bench") return bench(commandLine);
    if (command == "demo") return demo(commandLine);
    if (command == "bank") return runBankCommand(commandLine.positional, std::cout, std::cerr);
    if (command == "edit" || command == "screenshot")
    {
        auto plugin = loadPlugin(commandLine);
        if (!plugin) return exitFailure;
        return command == "edit" ? runEditCommand(commandLine, *plugin)
                                 : runScreenshotCommand(commandLine, *plugin);
    }
    return usageError("unknown command \"" + command + "\"");
}

int Tool::info(const CommandLine& commandLine)
{
    auto plugin = loadPlugin(commandLine);
    if (!plugin) return exitFailure;
    std::vector<std::string> notes;
    if (Status status = RenderJob::configure(*plugin, commandLine.settings, notes); !status.ok())
        return fail(status);
    printNotes(notes);
    const AEffect& effect = plugin->effect();
    std::printf("%s  (%s)\n", plugin->effectName().c_str(), plugin->productString().c_str());
    std::printf("  module      %s\n", plugin->path().c_str());
    std::printf("  vendor      %s, version %ld\n", plugin->vendorString().c_str(),
                static_cast<long>(plugin->vendorVersion()));
    std::printf("  identifier  %s (0x%08X), record version %d\n", fourCharacters(effect.uniqueID).c_str(),
                static_cast<unsigned>(effect.uniqueID), effect.version);
    std::printf("  category    %ld (%s)\n", static_cast<long>(plugin->category()),
                categoryName(plugin->category()));
    std::printf("  flags       0x%X (%s)\n", static_cast<unsigned>(effect.flags),
                flagNames(effect.flags).c_str());
    std::printf("  latency     %d samples\n", effect.initialDelay);
    std::printf("  pins        %d in, %d out\n", effect.numInputs, effect.numOutputs);
    printPins(*plugin, false, effect.numInputs);
    printPins(*plugin, true, effect.numOutputs);
    printCanDo(*plugin);
    printParameters(*plugin);
    printPresets(*plugin);
    return 0;
}

int Tool::render(const CommandLine& commandLine)
{
    if (commandLine.positional.size() != 2) return usageError("render needs an input and an output file");
    const std::string& inputPath = commandLine.positional[0];
    const std::string& outputPath = commandLine.positional[1];
    Status status;
    auto reader = AudioFileReader::open(inputPath, status);
    if (!reader) return fail(status);
    if (status = AudioFileWriter::checkName(outputPath); !status.ok()) return fail(status);
    for (const std::string& path : {outputPath, commandLine.plotPath})
        if (status = checkReplaceable(path, inputPath); !path.empty() && !status.ok()) return fail(status);
    auto plugin = loadPlugin(commandLine);
    if (!plugin) return exitFailure;
    std::vector<std::string> notes;
    if (status = RenderJob::configure(*plugin, commandLine.settings, notes); !status.ok())
        return fail(status);
    printNotes(notes);
    const std::string settings = RenderJob::describe(*plugin);
    // A plot that cannot be written fails the render before its audio appears.
    const auto writePlot = [&](const RenderJob::Result& rendered)
    {
        if (commandLine.plotPath.empty()) return Status{};
        return SvgPlot::write(commandLine.plotPath, rendered.trace, plugin->effectName() + ": " + settings);
    };
    RenderJob::Result result;
    {
        ProgressBar bar(stderr, "rendering");
        status = RenderJob::runFile(
            *plugin, *reader, outputPath, commandLine.settings,
            [&bar](double fraction) { bar.update(fraction); }, result, writePlot);
    }
    if (!status.ok()) return fail(status);
    std::printf("%s -> %s\n  %s\n%s", inputPath.c_str(), outputPath.c_str(), settings.c_str(),
                result.summary.format().c_str());
    return 0;
}

int Tool::bench(const CommandLine& commandLine)
{
    // The plug-in under test, then any peer modules named on the command line
    // at their own defaults, measured in turns within one run so that they
    // share whatever else the machine is doing; medians over the rounds.
    struct Contender
    {
        std::unique_ptr<PluginInstance> plugin;
        RenderSettings settings;
        std::vector<double> cpuSeconds[2]; // per round; 32-bit, 64-bit
        std::vector<double> wallSeconds[2];
    };
    std::vector<Contender> contenders;
    contenders.push_back({loadPlugin(commandLine), commandLine.settings, {}, {}});
    if (!contenders.back().plugin) return exitFailure;
    for (const std::string& path : commandLine.positional)
    {
        Status status;
        Contender peer{PluginInstance::load(path, status), {}, {}, {}};
        if (!peer.plugin) return fail(status);
        peer.settings.options = commandLine.settings.options;
        contenders.push_back(std::move(peer));
    }
    for (Contender& contender : contenders)
    {
        std::vector<std::string> notes;
        if (Status status = RenderJob::configure(*contender.plugin, contender.settings, notes); !status.ok())
            return fail(status);
        printNotes(notes);
    }
    const AudioBuffer programme = DemoProgramme::groove(benchRate, benchSeconds);
    std::printf(
        "%.0f Hz stereo, %.0f s of drums and chord, blocks of %d, median of %d rounds taken in turns\n",
        benchRate, benchSeconds, commandLine.settings.options.blockSize, benchRounds);
    for (int round = 0; round < benchRounds; ++round)
    {
        for (Contender& contender : contenders)
        {
            for (const bool wide : {false, true})
            {
                if (wide ? !contender.plugin->canDoubleReplacing() : !contender.plugin->canReplacing())
                    continue;
                RenderSettings settings = contender.settings;
                settings.options.doublePrecision = wide;
                Timing timing;
                settings.options.timing = &timing;
                AudioBuffer output;
                if (Status status =
                        BlockRenderer::render(*contender.plugin, programme, output, settings.options);
                    !status.ok())
                    return fail(status);
                contender.cpuSeconds[wide].push_back(timing.cpuSeconds);
                contender.wallSeconds[wide].push_back(timing.wallSeconds);
            }
        }
    }
    auto median = [](std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double frames = static_cast<double>(programme.frames());
    double ours[2] = {0, 0};
    for (const Contender& contender : contenders)
    {
        std::printf("%s: %s\n", contender.plugin->effectName().c_str(),
                    RenderJob::describe(*contender.plugin).c_str());
        for (const bool wide : {false, true})
        {
            if (contender.cpuSeconds[wide].empty())
            {
                std::printf("  %d-bit  not offered by the plug-in\n", wide ? 64 : 32);
                continue;
            }
            const double cpu = median(contender.cpuSeconds[wide]);
            const double wall = median(contender.wallSeconds[wide]);
            std::printf("  %d-bit  %7.1f x realtime  (%.1f ns CPU per stereo frame; wall clock %.1f x)",
                        wide ? 64 : 32, programme.seconds() / cpu, cpu * 1e9 / frames,
                        programme.seconds() / wall);
            if (&contender == &contenders.front())
                ours[wide] = cpu;
            else if (ours[wide] > 0)
                std::printf("  %s at %.2f x its speed", contenders.front().plugin->effectName().c_str(),
                            cpu / ours[wide]);
            std::printf("\n");
        }
    }
    return 0;
}

int Tool::validate(const CommandLine& commandLine)
{
    if (!commandLine.positional.empty())
        return usageError("validate takes no files; name the plug-in with --plugin");
    for (const std::string& name : commandLine.tolerated)
        if (!isCheckName(name)) return usageError("--tolerate: there is no check \"" + name + "\"");
    const ValidationOptions options{commandLine.quick, commandLine.strict, commandLine.tolerated};
    return runValidation(pluginPath(commandLine), options, stdout);
}

int Tool::demo(const CommandLine& commandLine)
{
    if (commandLine.positional.size() > 1) return usageError("demo takes at most one output folder");
    const std::filesystem::path folder = commandLine.positional.empty() ? "out" : commandLine.positional[0];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return fail(Status::failure("cannot create " + folder.string() + ": " + error.message()));
    auto plugin = loadPlugin(commandLine);
    if (!plugin) return exitFailure;

    const AudioBuffer programme = DemoProgramme::arrangement(benchRate);
    const std::string dryPath = (folder / "programme.wav").string();
    if (Status status = AudioFile::writeAtomically(dryPath, programme, false); !status.ok())
        return fail(status);
    std::printf("demo programme (drums and a sustained chord, %.0f s) -> %s\n\n", programme.seconds(),
                dryPath.c_str());

    std::vector<std::string> presets;
    if (!commandLine.settings.preset.empty())
        presets.push_back(commandLine.settings.preset);
    else if (PresetSelector::isOurPlugin(*plugin))
        presets.assign(std::begin(demoPresets), std::end(demoPresets));
    else
        presets = PresetSelector::names(*plugin);
    presets.resize(std::min<std::size_t>(presets.size(), 4));
    if (presets.empty()) presets.emplace_back(); // the plug-in's own state

    for (std::size_t i = 0; i < presets.size(); ++i)
    {
        RenderSettings settings = commandLine.settings;
        settings.preset = presets[i];
        std::vector<std::string> notes;
        if (Status status = RenderJob::configure(*plugin, settings, notes); !status.ok()) return fail(status);
        printNotes(notes);
        RenderJob::Result result;
        const std::string name = presets[i].empty() ? "current" : presets[i];
        if (Status status = renderWithProgress(*plugin, programme, settings, name, result); !status.ok())
            return fail(status);
        const std::string stem = (folder / (std::to_string(i + 1) + "-" + fileSlug(name))).string();
        const std::string description = RenderJob::describe(*plugin);
        std::string title = plugin->effectName();
        title.append(" \"").append(name).append("\": ").append(description);
        if (Status status = writeRender(stem + ".wav", stem + ".svg", result, settings, title); !status.ok())
            return fail(status);
        std::printf("%s\n  %s\n  -> %s.wav, %s.svg\n%s\n", name.c_str(), description.c_str(), stem.c_str(),
                    stem.c_str(), result.summary.format().c_str());
    }
    return 0;
}

} // namespace host
