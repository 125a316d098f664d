// Bank and preset files dropped onto the editor: which drags it offers to
// take, and that a drop loads exactly as the load buttons do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PanelRig.h"
#include "presets/BankFile.h"
#include "presets/PresetFiles.h"

using namespace paneltest;
namespace fs = std::filesystem;
using platform::DragData;

namespace
{

struct DropRig : PanelRig
{
    DropRig()
    {
        folder = fs::path(AMBERLIT_BINARY_DIR) / "editor-drop-files" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
        pointAt(gui::CViewPoint{200, 100}); // over the meter: no view there takes drops
    }
    std::string write(const char* name, const std::vector<std::uint8_t>& bytes) const
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    platform::DropListener& target() { return *window().dropTarget(); }
    // Enter, then drop: what the enter answered and what the drop answered.
    std::pair<bool, bool> dragAndDrop(const DragData& data)
    {
        const bool offered = target().onDragEnter(data, {});
        return {offered, target().onDrop(data, {})};
    }
    fs::path folder;
};

TEST(FileDrop, OnlyOneBankOrPresetFileIsOffered)
{
    struct Case
    {
        const char* claim;
        DragData data;
        bool offered;
    };
    const Case cases[] = {
        {"a bank file", {{"/x/mine.trb"}, ""}, true},
        {"a preset file in capitals", {{"/x/ONE.TrP"}, ""}, true},
        {"a sound file", {{"/x/take.wav"}, ""}, false},
        {"two bank files", {{"/x/a.trb", "/x/b.trb"}, ""}, false},
        {"a name that only contains the ending", {{"/x/a.trb.bak"}, ""}, false},
        {"text naming a bank file", {{}, "/x/mine.trb"}, false},
    };
    DropRig rig;
    ASSERT_TRUE(rig.opened);
    for (const Case& c : cases)
    {
        EXPECT_EQ(rig.target().onDragEnter(c.data, {}), c.offered) << c.claim;
        EXPECT_EQ(rig.target().onDragMove(c.data, {}), c.offered) << c.claim;
        rig.target().onDragLeave(c.data);
    }
}

TEST(FileDrop, DroppedBankLoadsRemembersItsFolderAndReachesTheHost)
{
    DropRig rig;
    ProgramBank records = factoryBankRecords();
    records[0].setName("Dropped zero");
    records[0].values[params::kOutput] = 0.25f;
    records[9].setName("Dropped nine");
    const std::string path = rig.write("mine.TRB", encodeBank(records));
    RecordingHost::calls.clear();

    EXPECT_EQ(rig.dragAndDrop(DragData{{path}, ""}), std::make_pair(true, true));
    EXPECT_EQ(rig.presetName(9), "Dropped nine");
    EXPECT_EQ(rig.menuEntry(10), "Dropped nine");
    EXPECT_EQ(rig.fieldText(), "Dropped zero");
    EXPECT_EQ(rig.effect->getCurrentPreset(), 0);
    EXPECT_FLOAT_EQ(rig.effect->getParameter(params::kOutput), 0.25f);
    bool heard = false;
    for (const HostCall& call : rig.hostCalls(audioMasterAutomate))
        heard |= call.index == params::kOutput && call.opt == 0.25f;
    EXPECT_TRUE(heard);
    EXPECT_EQ(rig.editor->getDirectory(), rig.folder.string() + "/");
    EXPECT_EQ(rig.editor->getBankFileName(), "mine.TRB");
    EXPECT_TRUE(rig.screen->messages().empty());
}

TEST(FileDrop, DroppedBadFileShowsTheButtonsMessageAndChangesNothing)
{
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    const std::vector<std::uint8_t> bank = encodeBank(factoryBankRecords());
    const Case cases[] = {
        {"wrong-id.trb", std::vector<std::uint8_t>(kBankFileBytes, 0), "Error #01: Invalid preset file!"},
        {"preset-as-bank.trb", encodePreset(ProgramRecord{}), "Not a bank file!"},
        {"short.trb", std::vector<std::uint8_t>(bank.begin(), bank.begin() + 100),
         "Error #03: File is incomplete!"},
        {"bank-as-preset.trp", bank, "Error #02: Not a preset file!"},
    };
    for (const Case& c : cases)
    {
        DropRig rig;
        rig.effect->selectPreset(3);
        const std::string name = rig.presetName(3);
        const std::string field = rig.fieldText();
        const float output = rig.effect->getParameter(params::kOutput);
        RecordingHost::calls.clear();

        EXPECT_EQ(rig.dragAndDrop(DragData{{rig.write(c.name, c.bytes)}, ""}), std::make_pair(true, false))
            << c.name;
        ASSERT_EQ(rig.screen->messages().size(), 1u) << c.name;
        EXPECT_EQ(rig.screen->messages()[0].caption, "Error...");
        EXPECT_EQ(rig.screen->messages()[0].text, c.message);
        EXPECT_EQ(rig.effect->getCurrentPreset(), 3) << c.name;
        EXPECT_EQ(rig.presetName(3), name) << c.name;
        EXPECT_EQ(rig.fieldText(), field) << c.name;
        EXPECT_EQ(rig.effect->getParameter(params::kOutput), output) << c.name;
        EXPECT_TRUE(rig.hostCalls(audioMasterAutomate).empty()) << c.name;
    }
}

} // namespace
