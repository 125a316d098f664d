// Loading and saving the effect's programs: what a good file changes, and that a bad one
// changes nothing at all.
#include "PresetTestEffect.h"
#include "presets/FileIO.h"
#include "presets/PresetFiles.h"

#include <bit>
#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
    void write(const char* name, const Bytes& bytes) { ASSERT_TRUE(replaceFileContents(path(name), bytes)); }

    // Every name and value of all 24 programs, for "nothing changed" checks.
    static std::vector<std::string> snapshot(PresetTestEffect& e)
    {
        std::vector<std::string> all;
        for (int j = 0; j < 24; ++j)
        {
            all.push_back(e.name(j));
            for (int k = 0; k < 12; ++k)
                all.push_back(std::to_string(std::bit_cast<std::uint32_t>(e.value(j, k))));
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
    bank[5 + 24] = 'b';
    write("names.trb", bank);
    PresetTestEffect e;
    const auto before = snapshot(e);
    ASSERT_TRUE(loadBankFile(e, path("names.trb")).ok());
    EXPECT_EQ(e.name(1), "b");
    EXPECT_EQ(e.name(22), "");
    EXPECT_EQ(e.name(23), "Stereo Toms");
    EXPECT_EQ(snapshot(e)[1 + 13 * 9 + 4], before[1 + 13 * 9 + 4]) << "values stay";

    Bytes preset = encodePreset(factoryBankRecords()[2]);
    preset.resize(149, 0x7F);
    write("name.trp", preset);
    e.selectPreset(9);
    ASSERT_TRUE(loadPresetFile(e, path("name.trp")).ok());
    EXPECT_EQ(e.name(9), "CompressLite1");
    EXPECT_EQ(e.name(0), "CompressLite1");
    EXPECT_EQ(e.current[4], 0.2f) << "FastLim's values are applied again";
}

TEST_F(PresetFiles, RejectedFilesChangeNothingAndReadOnlyFilesLoad)
{
    const Bytes bank = encodeBank(factoryBankRecords());
    write("short.trb", Bytes(bank.begin(), bank.begin() + 1000));
    write("bank.trb", bank);
    PresetTestEffect e;
    e.selectPreset(5);
    const auto before = snapshot(e);
    hostLog() = {};
    EXPECT_EQ(loadBankFile(e, path("short.trb")).message, "Error #03: File is incomplete!");
    EXPECT_EQ(loadPresetFile(e, path("bank.trb")).message, "Error #02: Not a preset file!");
    EXPECT_EQ(loadBankFile(e, path("absent.trb")).status, FileStatus::cannotOpen);
    EXPECT_EQ(snapshot(e), before);
    EXPECT_EQ(e.getCurrentPreset(), 5);
    EXPECT_EQ(hostLog().displayUpdates + hostLog().automations, 0);

#ifdef _WIN32
    fs::permissions(path("bank.trb"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(loadBankFile(e, path("bank.trb")).ok()) << "read-only bank";
    fs::permissions(path("bank.trb"), fs::perms::owner_write, fs::perm_options::add);
#else
    // Root may write any file, so the read-only load runs in a child that has given that right up.
    ::chmod(path("bank.trb").c_str(), 0444);
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        if (::open(path("bank.trb").c_str(), O_RDWR) >= 0) ::_exit(3); // would prove nothing
        ::_exit(loadBankFile(e, path("bank.trb")).ok() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "read-only bank: exit " << WEXITSTATUS(status) << " (1: not loaded, 2: could not drop root)";
#endif
    EXPECT_EQ(saveBankFile(e, path("no-such-dir/x.trb")).message, "Error #04: Could not save file!");
}

} // namespace
