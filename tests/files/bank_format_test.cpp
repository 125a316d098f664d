// Bank and preset byte layouts: exact sizes and offsets, both identifier byte orders, the
// names-only sizes, and every rejection leaving the caller's data untouched.
#include "presets/BankFile.h"

#include <bit>
#include <cmath>
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

void putValue(Bytes& file, std::size_t offset, float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        file[offset + i] = std::uint8_t(bits >> (8 * i));
}

TEST(BankFormat, SavedBankHasTheExactLayout)
{
    const auto bank = sampleBank();
    const Bytes file = encodeBank(bank);
    ASSERT_EQ(file.size(), 1733u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 5), (Bytes{'N', 'X', 'B', 'Q', 0x37}));
    for (int j = 0; j < kFileProgramCount; ++j)
    {
        const std::size_t record = 5 + 72 * std::size_t(j);
        EXPECT_EQ(0, std::memcmp(&file[record], bank[j].name.data(), 24)) << j;
        for (int k = 0; k < kFileValueCount; ++k)
            EXPECT_EQ(valueAt(file, record + 24 + 4 * k), bank[j].values[k]);
    }
    // Name bytes after the terminator are zero, so equal programs give equal files.
    EXPECT_EQ(file[5 + 6], 0);
    EXPECT_EQ(file[5 + 23], 0);
}

TEST(BankFormat, SavedPresetHasTheExactLayout)
{
    const ProgramRecord program = sampleBank()[7];
    const Bytes file = encodePreset(program);
    ASSERT_EQ(file.size(), 77u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 5), (Bytes{'N', 'X', 'B', 'Q', 0x21}));
    EXPECT_EQ(0, std::memcmp(&file[5], "Prog 7", 7));
    EXPECT_EQ(valueAt(file, 5 + 24 + 4 * 11), program.values[11]);
}

TEST(BankFormat, RoundTripsGiveBackNamesAndValues)
{
    const auto bank = sampleBank();
    BankContents decoded;
    ASSERT_TRUE(decodeBank(encodeBank(bank), decoded).ok());
    EXPECT_EQ(decoded.programCount, 24);
    EXPECT_TRUE(decoded.hasValues);
    for (int j = 0; j < kFileProgramCount; ++j)
    {
        EXPECT_STREQ(decoded.programs[j].name.data(), bank[j].name.data());
        EXPECT_EQ(decoded.programs[j].values, bank[j].values);
    }
    EXPECT_EQ(std::strlen(decoded.programs[23].name.data()), 24u);

    PresetContents preset;
    ASSERT_TRUE(decodePreset(encodePreset(bank[3]), preset).ok());
    EXPECT_TRUE(preset.hasValues);
    EXPECT_STREQ(preset.program.name.data(), "Prog 3");
    EXPECT_EQ(preset.program.values, bank[3].values);
}

TEST(BankFormat, IdentifierIsAcceptedInEitherByteOrder)
{
    Bytes bank = encodeBank(sampleBank());
    Bytes preset = encodePreset(sampleBank()[0]);
    for (Bytes* file : {&bank, &preset})
        std::copy_n("QBXN", 4, file->begin());
    BankContents b;
    PresetContents p;
    EXPECT_TRUE(decodeBank(bank, b).ok());
    EXPECT_TRUE(decodePreset(preset, p).ok());
}

TEST(BankFormat, NamesOnlySizesRenameWithoutValues)
{
    Bytes bank(kBankNamesOnlyBytes, 0xEE);
    std::copy_n(encodeBank(sampleBank()).begin(), 5, bank.begin());
    for (int j = 0; j < 23; ++j)
    {
        std::fill_n(&bank[5 + 24 * j], 24, 0);
        const std::string name = "N" + std::to_string(j);
        std::copy(name.begin(), name.end(), &bank[5 + 24 * j]);
    }
    BankContents b;
    ASSERT_TRUE(decodeBank(bank, b).ok());
    EXPECT_EQ(b.programCount, 23);
    EXPECT_FALSE(b.hasValues);
    EXPECT_STREQ(b.programs[0].name.data(), "N0");
    EXPECT_STREQ(b.programs[22].name.data(), "N22");

    Bytes preset = encodePreset(sampleBank()[4]);
    preset.resize(kPresetNameOnlyBytes, 0xEE);
    PresetContents p;
    ASSERT_TRUE(decodePreset(preset, p).ok());
    EXPECT_FALSE(p.hasValues);
    EXPECT_STREQ(p.program.name.data(), "Prog 4");
}

TEST(BankFormat, LongerFilesAreReadUpToTheirLayout)
{
    Bytes bank = encodeBank(sampleBank());
    bank.resize(kFileReadLimit, 0xFF);
    BankContents b;
    ASSERT_TRUE(decodeBank(bank, b).ok());
    EXPECT_EQ(b.programCount, 24);
    EXPECT_EQ(b.programs[23].values, sampleBank()[23].values);

    Bytes preset = encodePreset(sampleBank()[1]);
    preset.resize(148, 0xFF);
    PresetContents p;
    ASSERT_TRUE(decodePreset(preset, p).ok());
    EXPECT_TRUE(p.hasValues);
}

TEST(BankFormat, NonFiniteValuesBecomeZero)
{
    Bytes file = encodePreset(sampleBank()[5]);
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (int k = 0; k < 3; ++k)
        putValue(file, 29 + 4 * k, bad[k]);
    PresetContents p;
    ASSERT_TRUE(decodePreset(file, p).ok());
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(p.program.values[k], 0.0f) << k;
    EXPECT_EQ(p.program.values[3], sampleBank()[5].values[3]);

    ProgramRecord nan = sampleBank()[0];
    nan.values[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(valueAt(encodePreset(nan), 29 + 8), 0.0f);
}

struct Rejection
{
    const char* what;
    Bytes file;
    bool asBank;
    const char* message;
};

Bytes prefixOf(const Bytes& file, std::size_t n)
{
    return Bytes(file.begin(), file.begin() + n);
}

TEST(BankFormat, BadFilesAreRejectedWithTheirMessageAndChangeNothing)
{
    const Bytes bank = encodeBank(sampleBank());
    const Bytes preset = encodePreset(sampleBank()[0]);
    Bytes wrongId = bank;
    wrongId[1] = 'Y';
    Bytes textFile(300, 'a');
    const Rejection cases[] = {
        {"empty file", {}, true, "Error #01: Invalid preset file!"},
        {"three bytes", prefixOf(bank, 3), false, "Error #01: Invalid preset file!"},
        {"wrong identifier", wrongId, true, "Error #01: Invalid preset file!"},
        {"text file as preset", textFile, false, "Error #01: Invalid preset file!"},
        {"preset as bank", preset, true, "Not a bank file!"},
        {"bank as preset", bank, false, "Error #02: Not a preset file!"},
        {"identifier only", prefixOf(bank, 4), true, "Error #03: File is incomplete!"},
        {"bank header only", prefixOf(bank, 5), true, "Error #03: File is incomplete!"},
        {"bank one byte short", prefixOf(bank, 1732), true, "Error #03: File is incomplete!"},
        {"preset one byte short", prefixOf(preset, 76), false, "Error #03: File is incomplete!"},
    };
    for (const Rejection& c : cases)
    {
        BankContents b;
        b.programCount = -7;
        PresetContents p;
        p.program.setName("untouched");
        const FileResult r = c.asBank ? decodeBank(c.file, b) : decodePreset(c.file, p);
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_EQ(b.programCount, -7) << c.what;
        EXPECT_STREQ(p.program.name.data(), "untouched") << c.what;
    }
}

} // namespace
