// What every byte sequence must keep when it reaches the bank and preset loaders or the settings
// reader: no crash, a rejected file leaves its target untouched, an accepted one yields names of
// at most 24 characters and finite values, and settings text survives a write and re-read.
#pragma once

#include "presets/BankFile.h"
#include "presets/SettingsFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

namespace loader_checks
{

inline void require(bool holds, const char* what)
{
    if (holds) return;
    std::fprintf(stderr, "loader check failed: %s\n", what);
    std::abort();
}

inline void requireSound(const ProgramRecord& program, bool hasValues)
{
    require(std::strlen(program.name.data()) <= kFileNameBytes, "name within 24 characters");
    for (float v : program.values)
        require(!hasValues || std::isfinite(v), "finite values");
}

inline void checkBank(std::span<const std::uint8_t> file)
{
    BankContents bank;
    bank.programCount = -1;
    bank.programs[0].setName("untouched");
    const FileResult r = decodeBank(file, bank);
    if (!r.ok())
    {
        require(!r.message.empty(), "a rejected bank has a message");
        require(bank.programCount == -1 && std::strcmp(bank.programs[0].name.data(), "untouched") == 0,
                "a rejected bank changes nothing");
        return;
    }
    require(bank.programCount == 24 || (bank.programCount == 23 && !bank.hasValues), "program count");
    for (const ProgramRecord& program : bank.programs)
        requireSound(program, bank.hasValues);
}

inline void checkPreset(std::span<const std::uint8_t> file)
{
    PresetContents preset;
    preset.program.setName("untouched");
    preset.program.values[0] = 0.25f;
    const FileResult r = decodePreset(file, preset);
    if (!r.ok())
    {
        require(!r.message.empty(), "a rejected preset has a message");
        require(std::strcmp(preset.program.name.data(), "untouched") == 0 &&
                    preset.program.values[0] == 0.25f,
                "a rejected preset changes nothing");
        return;
    }
    requireSound(preset.program, preset.hasValues);
}

inline void checkSettings(std::string_view text)
{
    const SettingsFile::Keys keys = SettingsFile::parse(text);
    require(SettingsFile::parse(SettingsFile::format(keys)) == keys, "settings survive a write and re-read");
}

inline void checkAll(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    checkBank(file);
    checkPreset(file);
    checkSettings(std::string_view(reinterpret_cast<const char*>(data), size));
}

} // namespace loader_checks
