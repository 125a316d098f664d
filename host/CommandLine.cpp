#include "host/CommandLine.h"

#include <cstdlib>

namespace host
{
namespace
{

bool parseInteger(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

Status parsePrecision(const std::string& text, CommandLine& out)
{
    if (text != "32" && text != "64")
        return Status::failure("--precision takes 32 or 64, not \"" + text + "\"");
    out.settings.options.doublePrecision = text == "64";
    out.precisionGiven = true;
    return {};
}

Status parseBlockSize(const std::string& text, CommandLine& out)
{
    long frames = 0;
    if (!parseInteger(text, frames) || frames < 1 || frames > BlockRenderer::maxBlockSize)
        return Status::failure("--block takes a number of frames from 1 to " +
                               std::to_string(BlockRenderer::maxBlockSize) + ", not \"" + text + "\"");
    out.settings.options.blockSize = static_cast<int>(frames);
    return {};
}

Status parseScale(const std::string& text, CommandLine& out)
{
    if (text != "1" && text != "2") return Status::failure("--scale takes 1 or 2, not \"" + text + "\"");
    out.scale = text == "2" ? 2 : 1;
    return {};
}

// Options that take a value; returns false for an unknown option.
bool applyOption(const std::string& option, const std::string& value, CommandLine& out, Status& status)
{
    if (option == "--plugin")
        out.pluginPath = value;
    else if (option == "--preset")
        out.settings.preset = value;
    else if (option == "--bank")
        out.settings.bankFile = value;
    else if (option == "--preset-file")
        out.settings.presetFile = value;
    else if (option == "--set")
        out.settings.assignments.push_back(value);
    else if (option == "--gr-plot")
        out.plotPath = value;
    else if (option == "--precision")
        status = parsePrecision(value, out);
    else if (option == "--block")
        status = parseBlockSize(value, out);
    else if (option == "--scale")
        status = parseScale(value, out);
    else
        return false;
    return true;
}

} // namespace

Status CommandLine::parse(int argc, const char* const* argv, CommandLine& out)
{
    out = CommandLine{};
    for (int i = 1; i < argc; ++i)
    {
        std::string argument = argv[i];
        if (argument == "-h" || argument == "--help")
        {
            out.command = "help";
            return {};
        }
        if (argument == "--version")
        {
            out.command = "version";
            return {};
        }
        if (argument == "--quick" || argument == "--strict")
        {
            (argument == "--quick" ? out.quick : out.strict) = true;
            continue;
        }
        if (!argument.starts_with("--"))
        {
            if (out.command.empty())
                out.command = argument;
            else
                out.positional.push_back(argument);
            continue;
        }
        std::string value;
        const auto equals = argument.find('=');
        if (equals != std::string::npos)
        {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return Status::failure(argument + " needs a value");
        // An empty name would silently mean "none given" further on.
        if (value.empty()) return Status::failure(argument + " needs a value, not an empty text");
        Status status;
        if (!applyOption(argument, value, out, status)) return Status::failure("unknown option " + argument);
        if (!status.ok()) return status;
    }
    if (out.command.empty()) out.command = "help";
    return {};
}

const char* CommandLine::usage()
{
    return R"(usage: amberlit COMMAND [options]

commands:
  info                     identity, pins and parameters of the plug-in
  render IN OUT            process a mono or stereo file (WAV, FLAC, AIFF, ...)
  bench [PEER.so ...]      realtime factor of 32-bit and 64-bit processing, and of
                           each peer module named (at its defaults) in the same run
  demo [OUTDIR]            render the built-in programme through a few presets
                           into OUTDIR (default out/), with plots and summaries
  bank show FILE           list a bank (.trb) or preset file (.trp)
  bank export FILE.trb     write the factory bank
  edit                     open the editor in a window while the demo programme
                           plays through the plug-in (silently); close to quit
  screenshot OUT.png       draw our editor off screen (with --preset, --set, --scale)
  validate                 run a hostile host's checks on the plug-in (with
                           --plugin, any plug-in of the interface); exits 1
                           when one fails. --quick runs fewer rounds

options:
  --plugin PATH            load another plug-in of the same interface
  --preset N|NAME          factory preset (our plug-in) or program (others);
                           with --bank, a program of that bank
  --bank FILE.trb          (render) start from a bank file's program 0 or --preset
  --preset-file FILE.trp   (render) start from a preset file
  --set NAME=VALUE         parameter in display units, e.g. --set Ratio=4:1
                           --set Output=3 --set Process=Clear; VALUE norm:X sets
                           the normalised value X (0..1); NAME may be #INDEX
  --precision 32|64        sample type of the process calls (default 32)
  --block N                frames per process call (default 512)
  --gr-plot FILE.svg       (render) draw levels and gain reduction over time
  --scale 1|2              (screenshot, edit) the editor at 100% or 200%
  --quick                  (validate) fewer rounds of each check
  --strict                 (validate) warnings fail too: behaviour the
                           interface allows but careless hosts trip over
  --version                the tool's version

Output types follow the extension: .wav and .aiff hold 32-bit floats (64-bit
with --precision 64), .flac holds 24-bit. The output appears only when the
render succeeded.
)";
}

} // namespace host
