#include "presets/PresetFiles.h"

#include "presets/CPresetSystemEffect.h"
#include "presets/FactoryPresets.h"
#include "presets/FileIO.h"

#include <algorithm>
#include <vector>

namespace
{

FileResult readHead(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    if (!readFileHead(path, kFileReadLimit, bytes)) return FileResult::of(FileStatus::cannotOpen);
    return {};
}

FileResult writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    if (!replaceFileContents(path, bytes)) return FileResult::of(FileStatus::couldNotSave);
    return {};
}

ProgramRecord recordOf(CProgram& program)
{
    ProgramRecord record;
    program.getName(record.name.data());
    record.name[kFileNameBytes] = '\0';
    for (int k = 0; k < kFileValueCount; ++k)
        record.values[k] = program.getParameter(k);
    return record;
}

void fillProgram(CProgram& program, const ProgramRecord& record, bool withValues)
{
    program.setName(record.name.data());
    for (int k = 0; withValues && k < kFileValueCount; ++k)
        program.setParameter(k, record.values[k]);
}

bool hasPrograms(CPresetSystemEffect& effect)
{
    return effect.getPresetProgram(0) != nullptr;
}

} // namespace

ProgramBank factoryBankRecords()
{
    ProgramBank bank{};
    for (int j = 0; j < kFileProgramCount; ++j)
    {
        const FactoryPreset& preset = kFactoryPresets[j];
        bank[j].setName(preset.name);
        const std::array<float, 12> values = factoryPresetValues(preset);
        std::copy(values.begin(), values.end(), bank[j].values.begin());
    }
    return bank;
}

FileResult readBankFile(const std::string& path, BankContents& bank)
{
    std::vector<std::uint8_t> bytes;
    if (FileResult r = readHead(path, bytes); !r.ok()) return r;
    return decodeBank(bytes, bank);
}

FileResult readPresetFile(const std::string& path, PresetContents& preset)
{
    std::vector<std::uint8_t> bytes;
    if (FileResult r = readHead(path, bytes); !r.ok()) return r;
    return decodePreset(bytes, preset);
}

FileResult writeBankFile(const std::string& path, std::span<const ProgramRecord, kFileProgramCount> programs)
{
    return writeBytes(path, encodeBank(programs));
}

FileResult writePresetFile(const std::string& path, const ProgramRecord& program)
{
    return writeBytes(path, encodePreset(program));
}

void applyBank(const BankContents& bank, std::span<ProgramRecord, kFileProgramCount> programs)
{
    for (int j = 0; j < bank.programCount; ++j)
    {
        programs[j].name = bank.programs[j].name;
        if (bank.hasValues) programs[j].values = bank.programs[j].values;
    }
}

void applyPreset(const PresetContents& preset, ProgramRecord& program)
{
    program.name = preset.program.name;
    if (preset.hasValues) program.values = preset.program.values;
}

FileResult loadBankFile(CPresetSystemEffect& effect, const std::string& path)
{
    if (!hasPrograms(effect)) return FileResult::of(FileStatus::noPrograms);
    BankContents bank;
    if (FileResult r = readBankFile(path, bank); !r.ok()) return r;
    for (int j = 0; j < bank.programCount; ++j)
        fillProgram(*effect.getPresetProgram(j), bank.programs[j], bank.hasValues);
    effect.selectPreset(0);
    return {};
}

FileResult saveBankFile(CPresetSystemEffect& effect, const std::string& path)
{
    if (!hasPrograms(effect)) return FileResult::of(FileStatus::noPrograms);
    ProgramBank records;
    for (int j = 0; j < kFileProgramCount; ++j)
        records[j] = recordOf(*effect.getPresetProgram(j));
    return writeBankFile(path, records);
}

FileResult loadPresetFile(CPresetSystemEffect& effect, const std::string& path)
{
    const VstInt32 current = effect.getCurrentPreset();
    CProgram* program = effect.getPresetProgram(current);
    if (!program) return FileResult::of(FileStatus::noPrograms);
    PresetContents preset;
    if (FileResult r = readPresetFile(path, preset); !r.ok()) return r;
    fillProgram(*program, preset.program, preset.hasValues);
    // Renaming through the effect also shows the new name in an open editor.
    effect.renameCurrentPreset(preset.program.name.data());
    effect.selectPreset(current);
    return {};
}

FileResult savePresetFile(CPresetSystemEffect& effect, const std::string& path)
{
    CProgram* program = effect.getPresetProgram(effect.getCurrentPreset());
    if (!program) return FileResult::of(FileStatus::noPrograms);
    return writePresetFile(path, recordOf(*program));
}
