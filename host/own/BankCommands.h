#pragma once
// Bank and preset files on the command line: choosing the program a render starts from, and the
// `bank` command that lists a file or writes the factory bank. Bad files give the same messages
// the editor shows.

#include "host/PluginInstance.h"
#include "host/Status.h"

#include <ostream>
#include <string>
#include <vector>

namespace host
{

// --bank FILE.trb, --preset N|NAME (from the bank, or from the factory presets without one),
// --preset-file FILE.trp.
struct ProgramChoice
{
    std::string bankFile;
    std::string preset;
    std::string presetFile;

    bool any() const { return !bankFile.empty() || !preset.empty() || !presetFile.empty(); }
};

// Reads and checks the files, then gives the plug-in the chosen program's values and name the
// way a host restores a program: parameter by parameter through the effect record.
// `appliedName` receives the program's name.
Status applyProgramChoice(PluginInstance& plugin, const ProgramChoice& choice, std::string& appliedName);

// `amberlit bank show FILE` and `amberlit bank export FILE.trb`; `args` starts after "bank".
// Returns the process exit code.
int runBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace host
