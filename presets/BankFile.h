#pragma once
// Byte layouts of bank files (*.trb, all 24 programs) and preset files (*.trp, one program).
// Pure encoding and validation: no file system, no effect. A file is decoded and checked whole
// before anyone applies it, so a damaged file can never change half a bank.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr int kFileProgramCount = 24;
inline constexpr int kFileValueCount = 12;
inline constexpr std::size_t kFileNameBytes = 24;
inline constexpr std::size_t kFileRecordBytes = kFileNameBytes + 4 * kFileValueCount; // 72
inline constexpr std::size_t kFileHeaderBytes = 5;
inline constexpr std::size_t kBankFileBytes = kFileHeaderBytes + kFileProgramCount * kFileRecordBytes; // 1733
inline constexpr std::size_t kPresetFileBytes = kFileHeaderBytes + kFileRecordBytes;                   // 77
// Files of exactly these sizes carry names only (23 bank names; one preset name).
inline constexpr std::size_t kBankNamesOnlyBytes = 4325;
inline constexpr int kBankNamesOnlyCount = 23;
inline constexpr std::size_t kPresetNameOnlyBytes = 149;
// Reading this many bytes is enough to tell every size case apart, whatever the file's length.
inline constexpr std::size_t kFileReadLimit = kBankNamesOnlyBytes + 1;

// The plug-in's unique identifier 'QBXN'; stored least significant byte first.
inline constexpr std::uint32_t kFileIdentifier = 0x5142584Eu;
inline constexpr std::uint8_t kBankVersion = 0x37;   // '7'
inline constexpr std::uint8_t kPresetVersion = 0x21; // '!'

enum class FileStatus
{
    ok,
    invalidFile, // identifier missing or wrong
    notABank,    // right identifier, not the bank version
    notAPreset,  // right identifier, not the preset version
    incomplete,  // shorter than its layout
    couldNotSave,
    cannotOpen, // silent for the editor: the user picked a file that is gone or unreadable
    noPrograms, // silent: the effect has no program store
};

// The outcome of a file operation: the text is what the user sees (caption "Error..."),
// empty for failures that end an operation without a message.
struct FileResult
{
    FileStatus status = FileStatus::ok;
    std::string message;

    bool ok() const { return status == FileStatus::ok; }
    static FileResult of(FileStatus status);
};

const char* fileStatusMessage(FileStatus status);

struct ProgramRecord
{
    std::array<char, kFileNameBytes + 1> name{}; // always zero-terminated
    std::array<float, kFileValueCount> values{};

    void setName(const char* text); // first 24 characters, rest zero
};

struct BankContents
{
    int programCount = 0; // programs 0..programCount-1 are renamed
    bool hasValues = false;
    std::array<ProgramRecord, kFileProgramCount> programs{};
};

struct PresetContents
{
    bool hasValues = false;
    ProgramRecord program;
};

std::vector<std::uint8_t> encodeBank(std::span<const ProgramRecord, kFileProgramCount> programs);
std::vector<std::uint8_t> encodePreset(const ProgramRecord& program);

// `file` holds the whole file, or at least its first kFileReadLimit bytes. On failure `out`
// is left untouched.
FileResult decodeBank(std::span<const std::uint8_t> file, BankContents& out);
FileResult decodePreset(std::span<const std::uint8_t> file, PresetContents& out);
