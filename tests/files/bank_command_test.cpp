// The bank command and the render options that start from a bank or preset file: the same
// checks and messages as the editor, and programs reaching the plug-in through its record.
#include "host/own/BankCommands.h"
#include "presets/FileIO.h"
#include "presets/PresetFiles.h"

#include <bit>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

class BankCommand : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("amberlit-bankcmd-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const char* name) { return (dir / name).string(); }
    void write(const char* name, const Bytes& bytes) { ASSERT_TRUE(replaceFileContents(path(name), bytes)); }
    int run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return host::runBankCommand(args, out, err);
    }

    fs::path dir;
    std::ostringstream out, err;
};

TEST_F(BankCommand, ExportWritesTheFactoryBankAndShowListsIt)
{
    ASSERT_EQ(run({"export", path("factory.trb")}), 0) << err.str();
    EXPECT_EQ(fs::file_size(path("factory.trb")), 1733u);
    ASSERT_EQ(run({"show", path("factory.trb")}), 0) << err.str();
    const std::string listing = out.str();
    EXPECT_NE(listing.find(" 9  FastLim"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Ratio=10:1"), std::string::npos);
    EXPECT_NE(listing.find("23  Stereo Toms"), std::string::npos);
    EXPECT_TRUE(err.str().empty());

    write("one.trp", encodePreset(factoryBankRecords()[16]));
    ASSERT_EQ(run({"show", path("one.trp")}), 0);
    EXPECT_NE(out.str().find("preset"), std::string::npos);
    EXPECT_NE(out.str().find("Kick"), std::string::npos);

    // Names are the file's bytes: terminal controls in them are shown, not obeyed.
    ProgramRecord hostile = factoryBankRecords()[16];
    hostile.setName("Kick\x1b]0;title\x07\x9b"
                    "2J");
    write("hostile.trp", encodePreset(hostile));
    ASSERT_EQ(run({"show", path("hostile.trp")}), 0);
    EXPECT_NE(out.str().find("Kick?]0;title?\u203a2J"), std::string::npos) << out.str();
}

// What a file holds is shown as the plug-in would take it: values clamped as it clamps them,
// and the name's Windows-1252 characters as the terminal's UTF-8.
TEST_F(BankCommand, ShowClampsValuesAndConvertsNames)
{
    ProgramRecord program = factoryBankRecords()[16];
    program.setName("Caf\xe9 \x80");
    Bytes file = encodePreset(program);
    const auto five = std::bit_cast<std::uint32_t>(5.0e9f);
    for (int i = 0; i < 4; ++i)
        file[29 + 4 * 5 + i] = std::uint8_t(five >> (8 * i));
    write("loud.trp", file);
    ASSERT_EQ(run({"show", path("loud.trp")}), 0) << err.str();
    EXPECT_NE(out.str().find("Caf\u00e9 \u20ac"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Compression=10.00 "), std::string::npos) << out.str();
}

TEST_F(BankCommand, BadFilesGiveTheEditorsMessagesAndFail)
{
    const Bytes bank = encodeBank(factoryBankRecords());
    write("short.trb", Bytes(bank.begin(), bank.begin() + 600));
    for (const char* file : {"short.trb", "absent.trb"})
    {
        EXPECT_EQ(run({"show", path(file)}), 1) << file;
        EXPECT_TRUE(out.str().empty()) << file;
    }
    EXPECT_NE(err.str().find("No such file"), std::string::npos) << err.str();
    EXPECT_EQ(run({"show", path("short.trb")}), 1);
    EXPECT_EQ(err.str(), path("short.trb") + ": Error #03: File is incomplete!\n");
    EXPECT_EQ(run({"export", path("no-dir/x.trb")}), 1);
    EXPECT_NE(err.str().find("Error #04: Could not save file!"), std::string::npos);
    EXPECT_EQ(run({"show"}), 2);
}

class ProgramChoiceOnPlugin : public BankCommand
{
  protected:
    void SetUp() override
    {
        BankCommand::SetUp();
        host::Status status;
        plugin = host::PluginInstance::load(AMBERLIT_PLUGIN_PATH, status);
        ASSERT_TRUE(plugin) << status.message();
    }
    void TearDown() override
    {
        plugin.reset();
        BankCommand::TearDown();
    }
    std::string programName() { return plugin->programName(0); }

    std::unique_ptr<host::PluginInstance> plugin;
};

TEST_F(ProgramChoiceOnPlugin, BankProgramsReachThePluginByNumberOrName)
{
    ProgramBank bank = factoryBankRecords();
    bank[9].setName("Slammer");
    bank[9].values[5] = 0.875f;
    write("b.trb", encodeBank(bank));

    for (const char* choice : {"9", "slammer"})
    {
        std::string name;
        ASSERT_TRUE(host::applyProgramChoice(*plugin, {path("b.trb"), choice, ""}, name).ok()) << choice;
        EXPECT_EQ(name, "Slammer");
        EXPECT_EQ(programName(), "Slammer");
        for (int k = 0; k < 12; ++k)
            EXPECT_EQ(plugin->parameter(k), bank[9].values[k]) << k;
    }
    std::string name;
    const host::Status missing = host::applyProgramChoice(*plugin, {path("b.trb"), "Nope", ""}, name);
    EXPECT_FALSE(missing.ok());
}

TEST_F(ProgramChoiceOnPlugin, PresetFilesAndTheirFailures)
{
    ProgramRecord record = factoryBankRecords()[12];
    write("p.trp", encodePreset(record));
    std::string name;
    ASSERT_TRUE(host::applyProgramChoice(*plugin, {"", "", path("p.trp")}, name).ok());
    EXPECT_EQ(programName(), "Hats Smasher");
    EXPECT_EQ(plugin->parameter(5), record.values[5]);

    Bytes nameOnly = encodePreset(factoryBankRecords()[3]);
    nameOnly.resize(149);
    write("n.trp", nameOnly);
    ASSERT_TRUE(host::applyProgramChoice(*plugin, {"", "", path("n.trp")}, name).ok());
    EXPECT_EQ(programName(), "CompressLite2");
    EXPECT_EQ(plugin->parameter(5), record.values[5]) << "a name-only file keeps the values";

    write("bank.trb", encodeBank(factoryBankRecords()));
    const host::Status wrong = host::applyProgramChoice(*plugin, {"", "", path("bank.trb")}, name);
    EXPECT_NE(wrong.message().find("Error #02: Not a preset file!"), std::string::npos) << wrong.message();
    EXPECT_EQ(programName(), "CompressLite2") << "a rejected file changes nothing";
    EXPECT_FALSE(host::applyProgramChoice(*plugin, {path("bank.trb"), "", path("p.trp")}, name).ok());
}

} // namespace
