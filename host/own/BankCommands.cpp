#include "host/own/BankCommands.h"

#include "engine/ParameterTable.h"
#include "host/NameMatch.h"
#include "host/PresetSelector.h"
#include "platform/TextEncoding.h"
#include "presets/PresetFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace host
{
namespace
{

// The user sees the editor's message; files that cannot be read at all get the system's reason.
Status fileFailure(const std::string& path, const FileResult& result)
{
    // The readers refuse pipes and devices with EINVAL, whose system text would not say why.
    const std::string reason = !result.message.empty() ? result.message
                               : errno == EINVAL       ? "not a regular file"
                                                       : std::strerror(errno);
    return Status::failure(path + ": " + reason);
}

int parseIndex(const std::string& text)
{
    if (text.empty() || text.size() > 2) return -1;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    const int index = std::stoi(text);
    return index < kFileProgramCount ? index : -1;
}

// An exact name first, then one that differs only in case.
Status findProgram(const ProgramBank& bank, const std::string& wanted, int& index)
{
    index = parseIndex(wanted);
    for (int j = 0; index < 0 && j < kFileProgramCount; ++j)
        if (wanted == bank[j].name.data()) index = j;
    for (int j = 0; index < 0 && j < kFileProgramCount; ++j)
        if (sameNameIgnoringCase(bank[j].name.data(), wanted)) index = j;
    if (index < 0) return Status::failure("no program '" + wanted + "' (give 0 to 23 or a program's name)");
    return {};
}

Status chooseFromBank(const ProgramChoice& choice, ProgramRecord& chosen, bool& hasValues)
{
    ProgramBank bank = factoryBankRecords();
    hasValues = true;
    if (!choice.bankFile.empty())
    {
        BankContents contents;
        if (FileResult r = readBankFile(choice.bankFile, contents); !r.ok())
            return fileFailure(choice.bankFile, r);
        applyBank(contents, bank);
    }
    int index = 0;
    if (!choice.preset.empty())
        if (Status s = findProgram(bank, choice.preset, index); !s.ok()) return s;
    chosen = bank[index];
    return {};
}

// A fresh instance starts from program 0; a names-only preset file keeps its values.
Status chooseFromPresetFile(const ProgramChoice& choice, ProgramRecord& chosen, bool& hasValues)
{
    PresetContents contents;
    if (FileResult r = readPresetFile(choice.presetFile, contents); !r.ok())
        return fileFailure(choice.presetFile, r);
    chosen = contents.program;
    hasValues = contents.hasValues;
    return {};
}

void giveToPlugin(PluginInstance& plugin, ProgramRecord& program, bool hasValues)
{
    for (int k = 0; hasValues && k < kFileValueCount && k < plugin.parameterCount(); ++k)
        plugin.setParameter(k, program.values[k]);
    AEffect& effect = plugin.effect();
    effect.dispatcher(&effect, effSetProgramName, 0, 0, program.name.data(), 0.0f);
}

// A name comes from a file anyone may have written, in the editor's 8-bit Windows-1252: control
// characters would reach the terminal as commands, so they show as '?', and the rest is shown in
// UTF-8 as the editor would draw it.
std::string printableName(const ProgramRecord& program)
{
    std::string name = program.name.data();
    for (char& c : name)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) c = '?';
    }
    return platform::windows1252ToUtf8(name);
}

void printProgram(std::ostream& out, const std::string& label, const ProgramRecord& program, bool hasValues)
{
    char line[16];
    std::snprintf(line, sizeof line, "%3s  ", label.c_str());
    const std::string name = printableName(program);
    out << line << name << std::string(24 - std::min<std::size_t>(24, platform::characterCount(name)), ' ');
    for (int k = 0; hasValues && k < params::kCount; ++k)
    {
        if (!params::isVisible(k)) continue;
        char text[params::kTextSize];
        params::display(k, program.values[k], text);
        out << "  " << params::name(k) << '=' << text;
    }
    out << '\n';
}

int showFile(const std::string& path, std::ostream& out, std::ostream& err)
{
    PresetContents preset;
    FileResult r = readPresetFile(path, preset);
    if (r.ok())
    {
        out << path << ": preset" << (preset.hasValues ? "" : ", name only") << '\n';
        printProgram(out, "-", preset.program, preset.hasValues);
        return 0;
    }
    // Anything that is not a preset is judged as a bank, so a foreign version byte reads "Not a bank file!".
    BankContents bank;
    if (r.status == FileStatus::notAPreset) r = readBankFile(path, bank);
    if (!r.ok())
    {
        err << fileFailure(path, r).message() << '\n';
        return 1;
    }
    out << path << ": bank" << (bank.hasValues ? "" : ", names of programs 0 to 22 only") << '\n';
    for (int j = 0; j < bank.programCount; ++j)
        printProgram(out, std::to_string(j), bank.programs[j], bank.hasValues);
    return 0;
}

int exportFactoryBank(const std::string& path, std::ostream& out, std::ostream& err)
{
    if (FileResult r = writeBankFile(path, factoryBankRecords()); !r.ok())
    {
        err << path << ": " << r.message << '\n';
        return 1;
    }
    out << "wrote the factory bank to " << path << '\n';
    return 0;
}

} // namespace

Status applyProgramChoice(PluginInstance& plugin, const ProgramChoice& choice, std::string& appliedName)
{
    if (!PresetSelector::isOurPlugin(plugin))
        return Status::failure("bank and preset files belong to TRV amberLit, not to " + plugin.effectName());
    if (!choice.presetFile.empty() && (!choice.bankFile.empty() || !choice.preset.empty()))
        return Status::failure("--preset-file cannot be combined with --bank or --preset");
    ProgramRecord chosen;
    bool hasValues = false;
    Status s = choice.presetFile.empty() ? chooseFromBank(choice, chosen, hasValues)
                                         : chooseFromPresetFile(choice, chosen, hasValues);
    if (!s.ok()) return s;
    giveToPlugin(plugin, chosen, hasValues);
    appliedName = chosen.name.data();
    return {};
}

int runBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 2 && args[0] == "show") return showFile(args[1], out, err);
    if (args.size() == 2 && args[0] == "export") return exportFactoryBank(args[1], out, err);
    err << "usage: amberlit bank show FILE.trb|FILE.trp\n"
           "       amberlit bank export FILE.trb\n";
    return 2;
}

} // namespace host
