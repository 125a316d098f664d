#include "host/CommandLine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

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

struct Option
{
    const char* name;
    const char* value; // shown in the usage; null for a flag
    const char* help;  // lines after the first start with a newline
    Status (*apply)(const std::string& value, CommandLine& out);
};

// Every option once; a command's row below names those it takes.
const Option options[] = {
    {"--plugin", "PATH", "load another plug-in of the same interface",
     [](const std::string& v, CommandLine& out)
     {
         out.pluginPath = v;
         return Status{};
     }},
    {"--preset", "N|NAME",
     "factory preset (our plug-in) or program (others);\nwith --bank, a program of that bank",
     [](const std::string& v, CommandLine& out)
     {
         out.settings.preset = v;
         return Status{};
     }},
    {"--bank", "FILE.trb", "start from a bank file's program 0 or --preset",
     [](const std::string& v, CommandLine& out)
     {
         out.settings.bankFile = v;
         return Status{};
     }},
    {"--preset-file", "FILE.trp", "start from a preset file",
     [](const std::string& v, CommandLine& out)
     {
         out.settings.presetFile = v;
         return Status{};
     }},
    {"--set", "NAME=VALUE",
     "parameter in display units, e.g. --set Ratio=4:1\n--set Output=3 --set Process=Clear; VALUE norm:X "
     "sets\nthe "
     "normalised value X (0..1); NAME may be #INDEX",
     [](const std::string& v, CommandLine& out)
     {
         out.settings.assignments.push_back(v);
         return Status{};
     }},
    {"--precision", "32|64", "sample type of the process calls (default 32)", parsePrecision},
    {"--block", "N", "frames per process call (default 512)", parseBlockSize},
    {"--gr-plot", "FILE.svg", "draw levels and gain reduction over time",
     [](const std::string& v, CommandLine& out)
     {
         out.plotPath = v;
         return Status{};
     }},
    {"--scale", "1|2", "the editor at 100% or 200%", parseScale},
    {"--quick", nullptr, "fewer rounds of each check",
     [](const std::string&, CommandLine& out)
     {
         out.quick = true;
         return Status{};
     }},
    {"--strict", nullptr, "warnings fail too: behaviour the interface allows\nbut careless hosts trip over",
     [](const std::string&, CommandLine& out)
     {
         out.strict = true;
         return Status{};
     }},
    {"--tolerate", "CHECK",
     "show the named check's failures as warnings that\nfail nothing (a known fault being mended)",
     [](const std::string& v, CommandLine& out)
     {
         out.tolerated.push_back(v);
         return Status{};
     }},
};

struct Command
{
    const char* name;
    const char* arguments; // as the usage shows them
    std::size_t fewest, most;
    const char* help;
    std::vector<std::string_view> options;
};

// The options that choose the plug-in and its settings, then `more`.
std::vector<std::string_view> withSettings(std::initializer_list<std::string_view> more = {})
{
    std::vector<std::string_view> names = {"--plugin", "--preset", "--bank", "--preset-file", "--set"};
    names.insert(names.end(), more);
    return names;
}

const Command commands[] = {
    {"info", "", 0, 0, "identity, pins and parameters of the plug-in", withSettings()},
    {"render", "IN OUT", 2, 2, "process a mono or stereo file (WAV, FLAC, AIFF, ...)",
     withSettings({"--precision", "--block", "--gr-plot"})},
    {"bench", "[PEER.so ...]", 0, SIZE_MAX,
     "realtime factor of 32-bit and 64-bit processing, and of\neach peer module named (at its defaults) in "
     "the same run",
     withSettings({"--block"})},
    {"demo", "[OUTDIR]", 0, 1,
     "render the built-in programme through a few presets\ninto OUTDIR (default out/), with plots and "
     "summaries",
     withSettings({"--precision", "--block"})},
    {"bank",
     "show FILE | export FILE.trb",
     2,
     2,
     "list a bank (.trb) or preset file (.trp), or write\nthe factory bank",
     {}},
    {"edit", "", 0, 0,
     "open the editor in a window while the demo programme\nplays through the plug-in (silently)",
     withSettings({"--scale"})},
    {"screenshot", "OUT.png", 1, 1, "draw our editor off screen", withSettings({"--scale"})},
    {"validate",
     "",
     0,
     0,
     "run a hostile host's checks on the plug-in (any plug-in\nof the interface); exits 1 when one fails",
     {"--plugin", "--quick", "--strict", "--tolerate"}},
};

const Option* findOption(std::string_view name)
{
    for (const Option& option : options)
        if (name == option.name) return &option;
    return nullptr;
}

const Command* findCommand(std::string_view name)
{
    for (const Command& command : commands)
        if (name == command.name) return &command;
    return nullptr;
}

std::string optionList(const Command& command)
{
    std::string list;
    for (const std::string_view name : command.options)
        list += (list.empty() ? "" : ", ") + std::string(name);
    return list.empty() ? "none" : list;
}

// Options and arguments the command does not take, named.
Status checkFits(const Command& command, const std::vector<std::string>& given, const CommandLine& out)
{
    for (const std::string& name : given)
        if (std::find(command.options.begin(), command.options.end(), name) == command.options.end())
            return Status::failure(std::string(command.name) + " does not take " + name + " (it takes " +
                                   optionList(command) + ")");
    const std::size_t count = out.positional.size();
    if (count > command.most)
        return Status::failure(std::string(command.name) + " does not take \"" +
                               out.positional[command.most] + "\"" +
                               (command.most == 0 ? " (it takes no arguments)" : ""));
    if (count < command.fewest)
        return Status::failure(std::string(command.name) + " needs " + command.arguments);
    return {};
}

// Help lines continue under the first, indented to the help column.
std::string helpLines(const std::string& left, const char* help)
{
    constexpr std::size_t column = 27;
    std::string text = "  " + left;
    text.resize(std::max(column, text.size() + 1), ' ');
    for (const char* c = help; *c; ++c)
        text += *c == '\n' ? "\n" + std::string(column, ' ') : std::string(1, *c);
    return text + "\n";
}

std::string optionUsers(std::string_view name)
{
    std::string users;
    for (const Command& command : commands)
        if (std::find(command.options.begin(), command.options.end(), name) != command.options.end())
            users += (users.empty() ? "" : ", ") + std::string(command.name);
    return users;
}

} // namespace

Status CommandLine::parse(int argc, const char* const* argv, CommandLine& out)
{
    out = CommandLine{};
    std::vector<std::string> given;
    for (int i = 1; i < argc; ++i)
    {
        std::string argument = argv[i];
        if (argument == "-h" || argument == "--help" || argument == "--version")
        {
            out.command = argument == "--version" ? "version" : "help";
            return {};
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
        const Option* option = findOption(argument);
        if (option == nullptr) return Status::failure("unknown option " + argument);
        if (option->value != nullptr && equals == std::string::npos)
        {
            if (i + 1 >= argc) return Status::failure(argument + " needs a value");
            value = argv[++i];
        }
        if (option->value == nullptr && equals != std::string::npos)
            return Status::failure(argument + " takes no value");
        // An empty name would silently mean "none given" further on.
        if (option->value != nullptr && value.empty())
            return Status::failure(argument + " needs a value, not an empty text");
        if (Status status = option->apply(value, out); !status.ok()) return status;
        given.push_back(argument);
    }
    if (out.command.empty()) out.command = "help";
    if (out.command == "help" || out.command == "version")
        return out.positional.empty() && given.empty() ? Status{}
                                                       : Status::failure(out.command + " takes no arguments");
    const Command* command = findCommand(out.command);
    if (command == nullptr) return Status::failure("unknown command \"" + out.command + "\"");
    return checkFits(*command, given, out);
}

std::string CommandLine::usage()
{
    std::string text = "usage: amberlit COMMAND [options]\n\ncommands:\n";
    for (const Command& command : commands)
        text += helpLines(std::string(command.name) + (*command.arguments ? " " : "") + command.arguments,
                          command.help);
    text += "\noptions (the commands that take them in brackets):\n";
    for (const Option& option : options)
        text += helpLines(std::string(option.name) + (option.value ? std::string(" ") + option.value : ""),
                          (std::string(option.help) + "\n(" + optionUsers(option.name) + ")").c_str());
    text += helpLines("--version", "the tool's version");
    text += R"(
Output types follow the extension: .wav and .aiff hold 32-bit floats (64-bit
with --precision 64), .flac holds 24-bit. The output appears only when the
render succeeded.
)";
    return text;
}

} // namespace host
