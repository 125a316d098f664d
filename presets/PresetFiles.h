#pragma once
// The four file operations on bank and preset files, for the plug-in's programs and for anyone
// holding program records (the host tool). A file is read and checked whole before anything
// changes; a save replaces the file whole or leaves it as it was.

#include "presets/BankFile.h"

#include <array>
#include <span>
#include <string>

class CPresetSystemEffect;

using ProgramBank = std::array<ProgramRecord, kFileProgramCount>;

// The factory presets as records: hidden parameters 0.0, as in a fresh program.
ProgramBank factoryBankRecords();

// Read-only; at most kFileReadLimit bytes are read, whatever the file's size.
FileResult readBankFile(const std::string& path, BankContents& bank);
FileResult readPresetFile(const std::string& path, PresetContents& preset);
FileResult writeBankFile(const std::string& path, std::span<const ProgramRecord, kFileProgramCount> programs);
FileResult writePresetFile(const std::string& path, const ProgramRecord& program);

// What loading does to the programs: names always, values when the file has them.
void applyBank(const BankContents& bank, std::span<ProgramRecord, kFileProgramCount> programs);
void applyPreset(const PresetContents& preset, ProgramRecord& program);

// On the effect. Loading a bank renames and refills programs, then selects program 0; loading a
// preset refills the current program, then selects it again. Nothing changes on failure.
FileResult loadBankFile(CPresetSystemEffect& effect, const std::string& path);
FileResult saveBankFile(CPresetSystemEffect& effect, const std::string& path);
FileResult loadPresetFile(CPresetSystemEffect& effect, const std::string& path);
FileResult savePresetFile(CPresetSystemEffect& effect, const std::string& path);
