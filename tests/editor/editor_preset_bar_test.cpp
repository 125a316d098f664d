// The preset bar: choosing from the list, stepping with the rocker, renaming
// in the field, and the four file operations with their dialogs,
// messages and remembered folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PanelRig.h"
#include "editor/CSaveLoadButton.h"
#include "editor/CTROnOffButton.h"
#include "engine/ParameterTable.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "presets/BankFile.h"
#include "presets/PresetFiles.h"

using namespace paneltest;
namespace fs = std::filesystem;

namespace
{

struct BarRig : PanelRig
{
    BarRig()
    {
        folder = fs::path(AMBERLIT_BINARY_DIR) / "editor-bar-files" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void clickButton(const resources::SkinRect& r) { press(centreOf(r)); }
    std::string file(const char* name) const { return (folder / name).string(); }
    fs::path folder;
};

} // namespace

TEST(PresetBar, ChoosingFromTheListSelectsThePresetAndMarksIt)
{
    BarRig rig;
    const std::string chosen = rig.presetName(5);
    rig.screen->queueMenuChoice(chosen);
    rig.clickButton(resources::kPresetMenuRect);
    ASSERT_EQ(rig.screen->shownMenus().size(), 1u);
    EXPECT_EQ(rig.effect->getCurrentPreset(), 5);
    EXPECT_EQ(rig.fieldText(), chosen);
    EXPECT_EQ(rig.menuEntry(0), chosen);
    EXPECT_EQ(rig.editor->getPresetMenu()->getCurrent(nullptr, true), 6); // after the separator
    // The list shows all 25 entries in columns of 16.
    const platform::Menu& shown = rig.screen->shownMenus()[0].menu;
    ASSERT_EQ(shown.items.size(), 25u);
    EXPECT_TRUE(shown.items[16].columnBreak);
    EXPECT_EQ(shown.items[1].kind, platform::MenuItem::Kind::Separator);
}

TEST(PresetBar, RockerStepsWithoutWrappingAround)
{
    struct Case
    {
        VstInt32 start;
        bool right;
        VstInt32 expected;
    };
    const Case cases[] = {{0, false, 0}, {23, true, 23}, {4, true, 5}, {4, false, 3}};
    const resources::SkinRect r = resources::kRockerRect;
    for (const Case& c : cases)
    {
        BarRig rig;
        rig.effect->selectPreset(c.start);
        rig.press(gui::CViewPoint{c.right ? r.right - 3 : r.left + 3, (r.top + r.bottom) / 2});
        EXPECT_EQ(rig.effect->getCurrentPreset(), c.expected) << c.start;
        EXPECT_EQ(rig.fieldText(), rig.presetName(c.expected));
        EXPECT_EQ(rig.menuEntry(0), rig.presetName(c.expected));
    }
}

TEST(PresetBar, TypedNameIsCutTo24CharactersEverywhere)
{
    BarRig rig;
    rig.effect->selectPreset(3);
    rig.editor->getPresetMenu()->setCurrent(3, false);
    rig.clickButton(resources::kNameFieldRect);
    ASSERT_NE(rig.screen->openField(), nullptr);
    rig.screen->openField()->type("A name of thirty characters!!");
    rig.screen->openField()->pressReturn();
    const std::string cut = std::string("A name of thirty characters!!").substr(0, 24);
    EXPECT_EQ(rig.fieldText(), cut);
    EXPECT_EQ(rig.presetName(3), cut);
    EXPECT_EQ(rig.presetName(0), cut);
    EXPECT_EQ(rig.menuEntry(0), cut);
    EXPECT_EQ(rig.menuEntry(4), cut);
}

// A name is stored in the system's 8-bit code page and listed as it was typed; one that code
// page cannot hold is refused with a message, never stored with question marks.
TEST(PresetBar, TypedNamesAreListedAsTypedOrRefusedWithAMessage)
{
    BarRig rig;
    rig.effect->selectPreset(3);
    rig.editor->getPresetMenu()->setCurrent(3, false);
    const auto typeName = [&rig](const char* utf8)
    {
        rig.clickButton(resources::kNameFieldRect);
        ASSERT_NE(rig.screen->openField(), nullptr);
        rig.screen->openField()->type(utf8);
        rig.screen->openField()->pressReturn();
    };
    typeName("B\xC3\xA4ss \xE2\x82\xAC");
    EXPECT_EQ(rig.presetName(3), "B\xE4ss \x80") << "stored as Windows-1252";
    rig.screen->queueMenuDismiss();
    rig.clickButton(resources::kPresetMenuRect);
    ASSERT_EQ(rig.screen->shownMenus().size(), 1u);
    EXPECT_EQ(rig.screen->shownMenus()[0].menu.items[4].text, "B\xC3\xA4ss \xE2\x82\xAC");
    EXPECT_TRUE(rig.screen->messages().empty());

    typeName("\xD0\x91\xD0\xB0\xD1\x81"); // Cyrillic
    EXPECT_EQ(rig.presetName(3), "B\xE4ss \x80");
    EXPECT_EQ(rig.fieldText(), "B\xE4ss \x80");
    ASSERT_EQ(rig.screen->messages().size(), 1u);
    EXPECT_EQ(rig.screen->messages()[0].caption, "Error...");
}

TEST(PresetBar, FileDialogsCarryTheirTitlesFiltersAndChecks)
{
    struct Case
    {
        resources::SkinRect button;
        platform::FileChooserRequest::Mode mode;
        const char* title;
        const char* type;
        const char* pattern;
        const char* extension;
    };
    using Mode = platform::FileChooserRequest::Mode;
    const Case cases[] = {
        {resources::kLoadBankRect, Mode::Open, "Select bank to load...", "TRV Banks", "*.trb", "trb"},
        {resources::kSaveBankRect, Mode::Save, "Save bank as...", "TRV Banks", "*.trb", "trb"},
        {resources::kLoadPresetRect, Mode::Open, "Select preset to load...", "TRV Presets", "*.trp", "trp"},
        {resources::kSavePresetRect, Mode::Save, "Save preset as...", "TRV Presets", "*.trp", "trp"},
    };
    BarRig rig;
    for (const Case& c : cases)
    {
        rig.clickButton(c.button); // no answer queued: cancelled
        ASSERT_FALSE(rig.screen->fileRequests().empty());
        const platform::FileChooserRequest& request = rig.screen->fileRequests().back();
        EXPECT_EQ(request.mode, c.mode);
        EXPECT_EQ(request.title, c.title);
        ASSERT_EQ(request.filters.size(), 2u);
        EXPECT_EQ(request.filters[0].description, "All Files");
        EXPECT_EQ(request.filters[0].pattern, "*.*");
        EXPECT_EQ(request.filters[1].description, c.type);
        EXPECT_EQ(request.filters[1].pattern, c.pattern);
        EXPECT_EQ(request.selectedFilter, 1);
        EXPECT_EQ(request.defaultExtension, c.extension);
        EXPECT_EQ(request.confirmOverwrite, c.mode == Mode::Save);
        EXPECT_EQ(request.mustExist, c.mode == Mode::Open);
    }
    EXPECT_TRUE(rig.screen->messages().empty());
    EXPECT_EQ(rig.screen->fileRequests().size(), 4u);
}

TEST(PresetBar, BankSavedAndLoadedBackRenamesTheListAndRemembersTheFolder)
{
    BarRig rig;
    const std::string cwd = fs::current_path().string();
    rig.effect->selectPreset(9);
    rig.editor->renamePreset("Saved nine");
    rig.screen->queueFileAnswer(rig.file("mine.trb"));
    rig.clickButton(resources::kSaveBankRect);
    ASSERT_EQ(fs::file_size(rig.file("mine.trb")), kBankFileBytes);
    EXPECT_EQ(rig.editor->getDirectory(), rig.folder.string() + "/");
    EXPECT_EQ(rig.editor->getBankFileName(), "mine.trb");
    EXPECT_EQ(fs::current_path().string(), cwd); // the host's working directory stays

    rig.effect->initFactoryPresets();
    rig.editor->stepPreset(true);
    rig.screen->queueFileAnswer(rig.file("mine.trb"));
    rig.clickButton(resources::kLoadBankRect);
    const platform::FileChooserRequest& request = rig.screen->fileRequests().back();
    EXPECT_EQ(request.directory, rig.folder.string() + "/");
    EXPECT_EQ(request.fileName, "mine.trb");
    EXPECT_EQ(rig.presetName(9), "Saved nine");
    EXPECT_EQ(rig.menuEntry(10), "Saved nine");
    EXPECT_EQ(rig.effect->getCurrentPreset(), 0);
    EXPECT_EQ(rig.editor->getPresetMenu()->getCurrent(nullptr, true), 0);
    EXPECT_EQ(rig.fieldText(), rig.presetName(0));
    EXPECT_TRUE(rig.screen->messages().empty());
}

TEST(PresetBar, PresetSavedAndLoadedIntoAnotherSlot)
{
    BarRig rig;
    rig.effect->selectPreset(4);
    rig.effect->setParameter(params::kOutput, 0.75f);
    rig.screen->queueFileAnswer(rig.file("four.trp"));
    rig.clickButton(resources::kSavePresetRect);
    ASSERT_EQ(fs::file_size(rig.file("four.trp")), kPresetFileBytes);

    rig.editor->stepPreset(true); // now preset 5
    rig.screen->queueFileAnswer(rig.file("four.trp"));
    rig.clickButton(resources::kLoadPresetRect);
    EXPECT_EQ(rig.effect->getCurrentPreset(), 5);
    EXPECT_EQ(rig.presetName(5), rig.presetName(4));
    EXPECT_FLOAT_EQ(rig.effect->getParameter(params::kOutput), 0.75f);
    EXPECT_EQ(rig.fieldText(), rig.presetName(4));
    EXPECT_EQ(rig.editor->getPresetFileName(), "four.trp");
}

TEST(PresetBar, BadFilesShowTheirMessageAndChangeNothing)
{
    struct Case
    {
        resources::SkinRect button;
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    std::vector<std::uint8_t> wrongId(kBankFileBytes, 0);
    std::vector<std::uint8_t> presetAsBank = encodePreset(ProgramRecord{});
    ProgramBank records = factoryBankRecords();
    const std::vector<std::uint8_t> bank = encodeBank(records);
    const Case cases[] = {
        {resources::kLoadBankRect, wrongId, "Error #01: Invalid preset file!"},
        {resources::kLoadBankRect, presetAsBank, "Not a bank file!"},
        {resources::kLoadPresetRect, bank, "Error #02: Not a preset file!"},
    };
    for (const Case& c : cases)
    {
        BarRig rig;
        rig.effect->selectPreset(3);
        const std::string before = rig.fieldText();
        const std::string name = rig.presetName(3);
        const std::string path = rig.file("bad.bin");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()),
                   static_cast<std::streamsize>(c.bytes.size()));
        rig.screen->queueFileAnswer(path);
        rig.clickButton(c.button);
        ASSERT_EQ(rig.screen->messages().size(), 1u) << c.message;
        EXPECT_EQ(rig.screen->messages()[0].caption, "Error...");
        EXPECT_EQ(rig.screen->messages()[0].text, c.message);
        EXPECT_EQ(rig.screen->messages()[0].icon, platform::MessageIcon::Error);
        EXPECT_EQ(rig.effect->getCurrentPreset(), 3);
        EXPECT_EQ(rig.presetName(3), name);
        EXPECT_EQ(rig.fieldText(), before);
    }
}

TEST(PresetBar, CancelledOrVanishedFilesEndSilently)
{
    BarRig rig;
    rig.screen->queueFileAnswer(rig.file("first.trb"));
    rig.clickButton(resources::kSaveBankRect);
    rig.clickButton(resources::kLoadBankRect); // cancelled: the buffers stay
    EXPECT_EQ(rig.editor->getBankFileName(), "first.trb");
    EXPECT_EQ(rig.editor->getDirectory(), rig.folder.string() + "/");
    rig.screen->queueFileAnswer(rig.file("missing.trb"));
    rig.clickButton(resources::kLoadBankRect);
    EXPECT_TRUE(rig.screen->messages().empty());
}

TEST(PresetBar, ButtonUnderThePointerLightsUpInIdle)
{
    BarRig rig;
    rig.pointAt(centreOf(resources::kStoreMemoBRect));
    rig.editor->idle();
    const gui::CView* hovered = rig.frame().getCurrentView();
    ASSERT_NE(hovered, nullptr);
    EXPECT_EQ(static_cast<const gui::CControl*>(hovered)->getTag(), CPresetSystemEditor::kStoreMemoBTag);
    rig.pointAt(centreOf(resources::kLoadBankRect));
    rig.editor->idle();
    // Only one control shows its highlight at a time.
    int lit = 0;
    for (std::int32_t i = 0; i < rig.frame().getViewCount(); ++i)
        if (auto* control = dynamic_cast<gui::CControl*>(rig.frame().getView(i)))
        {
            if (auto* file = dynamic_cast<CSaveLoadButton*>(control)) lit += file->isHover();
            if (auto* memo = dynamic_cast<CTROnOffButton*>(control)) lit += memo->isHover();
        }
    EXPECT_EQ(lit, 1);
}

TEST(PresetBar, ListNameFieldAndRockerWheelAreNoParameterGestures)
{
    BarRig rig;
    rig.screen->queueMenuChoice(rig.presetName(4));
    rig.clickButton(resources::kPresetMenuRect);
    rig.clickButton(resources::kNameFieldRect);
    ASSERT_NE(rig.screen->openField(), nullptr);
    rig.screen->openField()->type("Renamed");
    rig.screen->openField()->pressReturn();
    rig.window().wheel({resources::kRockerRect.left + 5, resources::kRockerRect.top + 5}, 1.0f);
    EXPECT_EQ(rig.presetName(4), "Renamed");
    // Choosing a preset sets the parameters as gestures of their own; the
    // bar's controls (43, 44, 49) are none.
    for (VstInt32 opcode : {audioMasterBeginEdit, audioMasterEndEdit})
        for (const HostCall& call : rig.hostCalls(opcode))
            EXPECT_LT(call.index, params::kCount) << opcode;
}

TEST(PresetBar, NothingLightsUpUnderTheAboutView)
{
    BarRig rig;
    rig.press(centreOf(resources::kAboutAreaRect));
    ASSERT_NE(rig.frame().getModalView(), nullptr);
    rig.pointAt(centreOf(resources::kStoreMemoBRect)); // below the picture
    rig.editor->idle();
    for (std::int32_t i = 0; i < rig.frame().getViewCount(); ++i)
    {
        if (auto* memo = dynamic_cast<CTROnOffButton*>(rig.frame().getView(i)))
        {
            EXPECT_FALSE(memo->isHover());
        }
    }
}
