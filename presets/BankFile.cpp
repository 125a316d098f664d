#include "presets/BankFile.h"

#include "engine/ParameterTable.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace
{

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t readU32BigEndian(const std::uint8_t* p)
{
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 |
           std::uint32_t(p[0]) << 24;
}

std::uint32_t readU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// Values are clamped as the effect clamps them (NaN to 0, infinities to the
// ends), so what a file shows is what loading it would set.
float sanitize(float v)
{
    return params::clampValue(v);
}

void appendRecord(std::vector<std::uint8_t>& out, const ProgramRecord& program)
{
    out.insert(out.end(), program.name.begin(), program.name.begin() + kFileNameBytes);
    for (float v : program.values)
        appendU32(out, std::bit_cast<std::uint32_t>(sanitize(v)));
}

void readName(const std::uint8_t* p, ProgramRecord& program)
{
    std::memcpy(program.name.data(), p, kFileNameBytes);
    program.name[kFileNameBytes] = '\0';
}

void readValues(const std::uint8_t* p, ProgramRecord& program)
{
    for (int k = 0; k < kFileValueCount; ++k)
        program.values[k] = sanitize(std::bit_cast<float>(readU32(p + 4 * k)));
}

std::vector<std::uint8_t> header(std::uint8_t version)
{
    std::vector<std::uint8_t> out;
    appendU32(out, kFileIdentifier);
    out.push_back(version);
    return out;
}

// Identifier in either byte order, then the version byte. Sizes are checked afterwards so that
// a foreign file is named as such rather than as incomplete.
FileResult checkHeader(std::span<const std::uint8_t> file, std::uint8_t version, FileStatus wrongVersion)
{
    if (file.size() < 4) return FileResult::of(FileStatus::invalidFile);
    if (readU32(file.data()) != kFileIdentifier && readU32BigEndian(file.data()) != kFileIdentifier)
        return FileResult::of(FileStatus::invalidFile);
    if (file.size() < kFileHeaderBytes) return FileResult::of(FileStatus::incomplete);
    if (file[4] != version) return FileResult::of(wrongVersion);
    return {};
}

} // namespace

const char* fileStatusMessage(FileStatus status)
{
    switch (status)
    {
    case FileStatus::invalidFile:
        return "Error #01: Invalid preset file!";
    case FileStatus::notABank:
        return "Not a bank file!";
    case FileStatus::notAPreset:
        return "Error #02: Not a preset file!";
    case FileStatus::incomplete:
        return "Error #03: File is incomplete!";
    case FileStatus::couldNotSave:
        return "Error #04: Could not save file!";
    case FileStatus::ok:
    case FileStatus::cannotOpen:
    case FileStatus::noPrograms:
        break;
    }
    return "";
}

FileResult FileResult::of(FileStatus status)
{
    return {status, fileStatusMessage(status)};
}

void ProgramRecord::setName(const char* text)
{
    name.fill('\0');
    for (std::size_t i = 0; text && i < kFileNameBytes && text[i] != '\0'; ++i)
        name[i] = text[i];
}

std::vector<std::uint8_t> encodeBank(std::span<const ProgramRecord, kFileProgramCount> programs)
{
    std::vector<std::uint8_t> out = header(kBankVersion);
    out.reserve(kBankFileBytes);
    for (const ProgramRecord& program : programs)
        appendRecord(out, program);
    return out;
}

std::vector<std::uint8_t> encodePreset(const ProgramRecord& program)
{
    std::vector<std::uint8_t> out = header(kPresetVersion);
    appendRecord(out, program);
    return out;
}

FileResult decodeBank(std::span<const std::uint8_t> file, BankContents& out)
{
    if (FileResult r = checkHeader(file, kBankVersion, FileStatus::notABank); !r.ok()) return r;
    BankContents bank;
    const std::uint8_t* p = file.data() + kFileHeaderBytes;
    if (file.size() == kBankNamesOnlyBytes)
    {
        // Names only, packed as consecutive 24-byte fields.
        bank.programCount = kBankNamesOnlyCount;
        for (int j = 0; j < kBankNamesOnlyCount; ++j)
            readName(p + j * kFileNameBytes, bank.programs[j]);
    }
    else
    {
        if (file.size() < kBankFileBytes) return FileResult::of(FileStatus::incomplete);
        bank.programCount = kFileProgramCount;
        bank.hasValues = true;
        for (int j = 0; j < kFileProgramCount; ++j)
        {
            readName(p + j * kFileRecordBytes, bank.programs[j]);
            readValues(p + j * kFileRecordBytes + kFileNameBytes, bank.programs[j]);
        }
    }
    out = bank;
    return {};
}

FileResult decodePreset(std::span<const std::uint8_t> file, PresetContents& out)
{
    if (FileResult r = checkHeader(file, kPresetVersion, FileStatus::notAPreset); !r.ok()) return r;
    if (file.size() != kPresetNameOnlyBytes && file.size() < kPresetFileBytes)
        return FileResult::of(FileStatus::incomplete);
    PresetContents preset;
    const std::uint8_t* p = file.data() + kFileHeaderBytes;
    readName(p, preset.program);
    preset.hasValues = file.size() != kPresetNameOnlyBytes;
    if (preset.hasValues) readValues(p + kFileNameBytes, preset.program);
    out = preset;
    return {};
}
