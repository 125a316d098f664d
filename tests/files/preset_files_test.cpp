// Loading and saving the effect's programs: what a good file changes, and that a bad one
// changes nothing at all.
#include "PresetTestEffect.h"
#include "presets/FileIO.h"
#include "presets/PresetFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

class PresetFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("amberlit-presetfiles-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        hostLog() = {};
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const char* name) { return (dir / name).string(); }
    void write(const std::string& p, const Bytes& bytes) { ASSERT_TRUE(replaceFileContents(p, bytes)); }
    Bytes read(const std::string& p)
    {
        Bytes out;
        readFileHead(p, 1 << 16, out);
        return out;
    }

    // Every name and value of all 24 programs, for "nothing changed" checks.
    struct Snapshot
    {
        std::vector<std::string> names;
        std::vector<float> values;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot(PresetTestEffect& e)
    {
        Snapshot all;
        for (int j = 0; j < 24; ++j)
        {
            all.names.push_back(e.name(j));
            for (int k = 0; k < 12; ++k)
                all.values.push_back(e.value(j, k));
        }
        return all;
    }

    fs::path dir;
};

TEST_F(PresetFiles, BankRoundTripRestoresEveryProgramAndSelectsProgramZero)
{
    PresetTestEffect source;
    source.getPresetProgram(7)->setName("Seven");
    source.getPresetProgram(7)->setParameter(5, 0.125f);
    source.getPresetProgram(0)->setParameter(6, 0.75f);
    ASSERT_TRUE(saveBankFile(source, path("a.trb")).ok());
    EXPECT_EQ(fs::file_size(path("a.trb")), 1733u);

    PresetTestEffect target;
    target.selectPreset(9);
    hostLog() = {};
    ASSERT_TRUE(loadBankFile(target, path("a.trb")).ok());
    EXPECT_EQ(snapshot(target), snapshot(source));
    EXPECT_EQ(target.getCurrentPreset(), 0);
    EXPECT_EQ(target.current[6], 0.75f) << "program 0 reaches the engine";
    EXPECT_EQ(hostLog().displayUpdates, 1);

    ASSERT_TRUE(saveBankFile(target, path("b.trb")).ok());
    EXPECT_EQ(read(path("a.trb")), read(path("b.trb"))) << "saving what was loaded gives the same bytes";
}

TEST_F(PresetFiles, PresetRoundTripFillsTheCurrentPresetAndProgramZero)
{
    PresetTestEffect source;
    source.selectPreset(12);
    source.setParameter(4, 0.3f);
    source.renameCurrentPreset("My Hats");
    ASSERT_TRUE(savePresetFile(source, path("p.trp")).ok());
    EXPECT_EQ(fs::file_size(path("p.trp")), 77u);

    PresetTestEffect target;
    target.selectPreset(3);
    ASSERT_TRUE(loadPresetFile(target, path("p.trp")).ok());
    EXPECT_EQ(target.getCurrentPreset(), 3);
    for (int j : {0, 3})
    {
        EXPECT_EQ(target.name(j), "My Hats");
        for (int k = 0; k < 12; ++k)
            EXPECT_EQ(target.value(j, k), source.value(12, k)) << j << "/" << k;
    }
    EXPECT_EQ(target.current[4], 0.3f);
    EXPECT_EQ(target.name(12), "Hats Smasher") << "other presets are untouched";
}

TEST_F(PresetFiles, NamesOnlyFilesRenameAndKeepValues)
{
    Bytes bank(4325, 0);
    std::copy_n(encodeBank(factoryBankRecords()).begin(), 5, bank.begin());
    for (int j = 0; j < 23; ++j)
        bank[5 + 24 * j] = std::uint8_t('a' + j);
    write(path("names.trb"), bank);
    PresetTestEffect e;
    const auto before = snapshot(e);
    ASSERT_TRUE(loadBankFile(e, path("names.trb")).ok());
    EXPECT_EQ(e.name(1), "b");
    EXPECT_EQ(e.name(22), "w");
    EXPECT_EQ(e.name(23), "Stereo Toms");
    EXPECT_EQ(snapshot(e).values, before.values);

    Bytes preset = encodePreset(factoryBankRecords()[2]);
    preset.resize(149, 0x7F);
    write(path("name.trp"), preset);
    e.selectPreset(9);
    ASSERT_TRUE(loadPresetFile(e, path("name.trp")).ok());
    EXPECT_EQ(e.name(9), "CompressLite1");
    EXPECT_EQ(e.name(0), "CompressLite1");
    EXPECT_EQ(e.value(9, 4), 0.2f) << "FastLim's values stay";
    EXPECT_EQ(e.current[4], 0.2f);
}

TEST_F(PresetFiles, RejectedFilesChangeNoProgramAndTellTheHostNothing)
{
    Bytes bank = encodeBank(factoryBankRecords());
    for (std::size_t i = 5; i < bank.size(); ++i)
        bank[i] = 0x41;
    Bytes truncatedBank(bank.begin(), bank.begin() + 1000);
    Bytes truncatedPreset = encodePreset(factoryBankRecords()[0]);
    truncatedPreset.resize(40);
    write(path("short.trb"), truncatedBank);
    write(path("short.trp"), truncatedPreset);
    write(path("preset.trp"), encodePreset(factoryBankRecords()[0]));
    write(path("bank.trb"), bank);

    PresetTestEffect e;
    e.selectPreset(5);
    const auto before = snapshot(e);
    hostLog() = {};
    const struct
    {
        bool bank;
        const char* file;
        const char* message;
    } cases[] = {
        {true, "short.trb", "Error #03: File is incomplete!"},
        {false, "short.trp", "Error #03: File is incomplete!"},
        {true, "preset.trp", "Not a bank file!"},
        {false, "bank.trb", "Error #02: Not a preset file!"},
        {true, "absent.trb", ""},
    };
    for (const auto& c : cases)
    {
        const FileResult r = c.bank ? loadBankFile(e, path(c.file)) : loadPresetFile(e, path(c.file));
        EXPECT_FALSE(r.ok()) << c.file;
        EXPECT_EQ(r.message, c.message) << c.file;
    }
    EXPECT_EQ(snapshot(e), before);
    EXPECT_EQ(e.getCurrentPreset(), 5);
    EXPECT_EQ(hostLog().displayUpdates + hostLog().automations, 0);
}

TEST_F(PresetFiles, ReadOnlyFilesLoadAndFailedSavesSaySo)
{
    PresetTestEffect e;
    ASSERT_TRUE(savePresetFile(e, path("ro.trp")).ok());
    ::chmod(path("ro.trp").c_str(), 0444);
    EXPECT_TRUE(loadPresetFile(e, path("ro.trp")).ok());

    const FileResult r = saveBankFile(e, path("no-such-dir/x.trb"));
    EXPECT_EQ(r.status, FileStatus::couldNotSave);
    EXPECT_EQ(r.message, "Error #04: Could not save file!");
    EXPECT_FALSE(fs::exists(dir / "no-such-dir"));
}

} // namespace
