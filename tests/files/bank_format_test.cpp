// Bank and preset byte layouts: exact sizes and offsets, both identifier byte orders, the
// names-only sizes, and every rejection leaving the caller's data untouched.
#include "presets/BankFile.h"

#include <bit>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::array<ProgramRecord, kFileProgramCount> sampleBank()
{
    std::array<ProgramRecord, kFileProgramCount> bank{};
    for (int j = 0; j < kFileProgramCount; ++j)
    {
        bank[j].setName(("Prog " + std::to_string(j)).c_str());
        for (int k = 0; k < kFileValueCount; ++k)
            bank[j].values[k] = float(j * kFileValueCount + k) / 300.0f;
    }
    bank[23].setName("A name of exactly 24 chr");
    return bank;
}

float valueAt(const Bytes& file, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = bits << 8 | file[offset + i];
    return std::bit_cast<float>(bits);
}

TEST(BankFormat, SavedFilesHaveTheExactLayoutAndLoadBack)
{
    const auto bank = sampleBank();
    const Bytes file = encodeBank(bank);
    ASSERT_EQ(file.size(), 1733u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 5), (Bytes{'N', 'X', 'B', 'Q', 0x37}));
    for (std::size_t j = 0; j < 24; ++j)
    {
        EXPECT_EQ(0, std::memcmp(&file[5 + 72 * j], bank[j].name.data(), 24)) << j;
        EXPECT_EQ(valueAt(file, 5 + 72 * j + 24 + 44), bank[j].values[11]) << j;
    }
    EXPECT_EQ(file[5 + 6], 0) << "name bytes after the terminator are zero";
    BankContents decoded;
    ASSERT_TRUE(decodeBank(file, decoded).ok());
    EXPECT_EQ(decoded.programCount, 24);
    for (int j = 0; j < 24; ++j)
    {
        EXPECT_STREQ(decoded.programs[j].name.data(), bank[j].name.data());
        EXPECT_EQ(decoded.programs[j].values, bank[j].values);
    }

    const Bytes preset = encodePreset(bank[7]);
    ASSERT_EQ(preset.size(), 77u);
    EXPECT_EQ(Bytes(preset.begin(), preset.begin() + 5), (Bytes{'N', 'X', 'B', 'Q', 0x21}));
    EXPECT_EQ(Bytes(preset.begin() + 5, preset.end()),
              Bytes(file.begin() + 5 + 72 * 7, file.begin() + 5 + 72 * 8));
}

TEST(BankFormat, ReversedIdentifierAndLongerFilesAreAccepted)
{
    Bytes bank = encodeBank(sampleBank());
    Bytes preset = encodePreset(sampleBank()[0]);
    std::copy_n("QBXN", 4, bank.begin());
    std::copy_n("QBXN", 4, preset.begin());
    preset.resize(148, 0xFF);
    BankContents b;
    PresetContents p;
    EXPECT_TRUE(decodeBank(bank, b).ok());
    ASSERT_TRUE(decodePreset(preset, p).ok());
    EXPECT_TRUE(p.hasValues);
}

TEST(BankFormat, NamesOnlySizesRenameWithoutValues)
{
    Bytes bank(kBankNamesOnlyBytes, 0);
    std::copy_n(encodeBank(sampleBank()).begin(), 5, bank.begin());
    bank[5] = 'a';
    bank[5 + 24 * 22] = 'w';
    BankContents b;
    ASSERT_TRUE(decodeBank(bank, b).ok());
    EXPECT_EQ(b.programCount, 23);
    EXPECT_FALSE(b.hasValues);
    EXPECT_STREQ(b.programs[22].name.data(), "w");

    Bytes preset = encodePreset(sampleBank()[4]);
    preset.resize(kPresetNameOnlyBytes, 0xEE);
    PresetContents p;
    ASSERT_TRUE(decodePreset(preset, p).ok());
    EXPECT_FALSE(p.hasValues);
    EXPECT_STREQ(p.program.name.data(), "Prog 4");
}

TEST(BankFormat, ValuesAreClampedBothWays)
{
    ProgramRecord program = sampleBank()[5];
    program.values[0] = std::numeric_limits<float>::quiet_NaN();
    program.values[1] = -std::numeric_limits<float>::infinity();
    const Bytes file = encodePreset(program);
    EXPECT_EQ(valueAt(file, 29), 0.0f);
    Bytes raw = file;
    const auto inf = std::bit_cast<std::uint32_t>(std::numeric_limits<float>::infinity());
    for (int i = 0; i < 4; ++i)
        raw[33 + i] = std::uint8_t(inf >> (8 * i));
    const auto five = std::bit_cast<std::uint32_t>(5.0f);
    for (int i = 0; i < 4; ++i)
        raw[37 + i] = std::uint8_t(five >> (8 * i));
    PresetContents p;
    ASSERT_TRUE(decodePreset(raw, p).ok());
    EXPECT_EQ(p.program.values[1], 1.0f);
    EXPECT_EQ(p.program.values[2], 1.0f);
    EXPECT_EQ(p.program.values[3], program.values[3]);
}

TEST(BankFormat, BadFilesAreRejectedWithTheirMessageAndChangeNothing)
{
    const Bytes bank = encodeBank(sampleBank());
    const Bytes preset = encodePreset(sampleBank()[0]);
    auto prefix = [](const Bytes& file, std::size_t n) { return Bytes(file.begin(), file.begin() + n); };
    Bytes wrongId = bank;
    wrongId[1] = 'Y';
    const struct
    {
        const char* what;
        Bytes file;
        bool asBank;
        const char* message;
    } cases[] = {
        {"empty file", {}, true, "Error #01: Invalid preset file!"},
        {"three bytes", prefix(bank, 3), false, "Error #01: Invalid preset file!"},
        {"wrong identifier", wrongId, true, "Error #01: Invalid preset file!"},
        {"preset as bank", preset, true, "Not a bank file!"},
        {"bank as preset", bank, false, "Error #02: Not a preset file!"},
        {"identifier only", prefix(bank, 4), true, "Error #03: File is incomplete!"},
        {"bank one byte short", prefix(bank, 1732), true, "Error #03: File is incomplete!"},
        {"preset one byte short", prefix(preset, 76), false, "Error #03: File is incomplete!"},
    };
    for (const auto& c : cases)
    {
        BankContents b;
        b.programCount = -7;
        PresetContents p;
        p.program.setName("untouched");
        const FileResult r = c.asBank ? decodeBank(c.file, b) : decodePreset(c.file, p);
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_EQ(b.programCount, -7) << c.what;
        EXPECT_STREQ(p.program.name.data(), "untouched") << c.what;
    }
}

} // namespace
