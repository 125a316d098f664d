#include "editor/CPresetSystemEditor.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "editor/CSaveLoadButton.h"
#include "editor/CTROnOffButton.h"
#include "editor/CTRRockerSwitch.h"
#include "gui/CBitmap.h"
#include "gui/CDragContainer.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/FileIO.h"
#include "presets/PresetFiles.h"
#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"

namespace
{

constexpr std::int32_t kButtonImageHeight = 14;
constexpr std::int32_t kMenuItemsPerColumn = 16;
constexpr std::size_t kMaxNameLength = CProgram::kNameSize - 1;
constexpr const char* kErrorCaption = "Error...";

gui::CViewRect viewRect(const resources::SkinRect& r)
{
    return gui::CViewRect{r.left, r.top, r.right, r.bottom};
}

// Menu entry 0 carries the settings in use; program i (from 1) sits after the
// separator, at entry i + 1.
std::int32_t menuEntryOf(VstInt32 preset)
{
    return preset == 0 ? 0 : preset + 1;
}

} // namespace

struct CPresetSystemEditor::FileDialog
{
    platform::FileChooserRequest::Mode mode;
    const char* title;
    const char* typeName;
    const char* pattern;
    const char* extension;
    bool bank;
    bool (CPresetSystemEditor::*apply)(CPresetSystemEffect& presets, const std::string& path);
};

const CPresetSystemEditor::FileDialog CPresetSystemEditor::kLoadBankDialog{
    platform::FileChooserRequest::Mode::Open, "Select bank to load...", "TRV Banks", "*.trb", "trb", true,
    &CPresetSystemEditor::applyLoadBank};
const CPresetSystemEditor::FileDialog CPresetSystemEditor::kSaveBankDialog{
    platform::FileChooserRequest::Mode::Save, "Save bank as...", "TRV Banks", "*.trb", "trb", true,
    &CPresetSystemEditor::applySaveBank};
const CPresetSystemEditor::FileDialog CPresetSystemEditor::kLoadPresetDialog{
    platform::FileChooserRequest::Mode::Open,
    "Select preset to load...",
    "TRV Presets",
    "*.trp",
    "trp",
    false,
    &CPresetSystemEditor::applyLoadPreset};
const CPresetSystemEditor::FileDialog CPresetSystemEditor::kSavePresetDialog{
    platform::FileChooserRequest::Mode::Save, "Save preset as...", "TRV Presets", "*.trp", "trp", false,
    &CPresetSystemEditor::applySavePreset};

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* owner, std::unique_ptr<platform::Platform> system)
    : AEffGUIEditor(owner, std::move(system)), directory(currentDirectory())
{
}

CPresetSystemEditor::~CPresetSystemEditor() = default;

CPresetSystemEffect* CPresetSystemEditor::presetEffect() const
{
    return dynamic_cast<CPresetSystemEffect*>(effect);
}

std::string CPresetSystemEditor::presetName(VstInt32 index) const
{
    char name[CProgram::kNameSize] = {};
    if (CPresetSystemEffect* presets = presetEffect())
        if (CProgram* program = presets->getPresetProgram(index)) program->getName(name);
    return name;
}

bool CPresetSystemEditor::open(void* parent)
{
    AEffEditor::open(parent);
    CPresetSystemEffect* presets = presetEffect();
    if (!frame || !presets) return false;
    addPresetBar(*frame, *presets);
    return true;
}

void CPresetSystemEditor::addPresetBar(gui::CFrame& bar, CPresetSystemEffect& presets)
{
    using namespace resources;
    auto* panel = new gui::CBitmap(kPanel);

    const std::string current = presetName(presets.getCurrentPreset());
    nameField = new gui::CTextEdit(viewRect(kNameFieldRect), this, kNameFieldTag, current.c_str(), panel);
    nameField->setWantsFocus(true);
    nameField->setBackOffset(gui::CViewPoint{kNameFieldRect.left, kNameFieldRect.top});
    nameField->setBackColor(gui::CViewColor{207, 222, 235, 255});
    nameField->setFont(4);
    nameField->setFontColor(gui::CViewColor{76, 76, 72, 255});
    nameField->setFrameColor(gui::CViewColor{76, 76, 72, 255});
    nameField->setHoriAlign(1);
    bar.addView(nameField);

    presetMenu = new gui::COptionMenu(viewRect(kPresetMenuRect), this, kPresetMenuTag);
    presetMenu->addEntry(presetName(0).c_str());
    presetMenu->addEntry("-");
    for (VstInt32 i = 1; i < CPresetSystemEffect::kNumPresets; ++i)
        presetMenu->addEntry(presetName(i).c_str());
    presetMenu->setNbItemsPerColumn(kMenuItemsPerColumn);
    presetMenu->setStyle(gui::kCheckCurrentStyle | gui::kNoDrawStyle);
    presetMenu->setCurrent(presets.getCurrentPreset(), false);
    bar.addView(presetMenu);

    auto* rockerImages = new gui::CBitmap(kPresetRocker);
    rocker =
        new CTRRockerSwitch(viewRect(kRockerRect), this, kRockerTag, rockerImages, kButtonImageHeight, this);
    rockerImages->release();
    bar.addView(rocker);

    auto fileButton = [&](const SkinRect& r, std::int32_t tag, int id, std::int32_t mode)
    {
        auto* images = new gui::CBitmap(id);
        auto* button = new CSaveLoadButton(viewRect(r), this, tag, images, gui::CViewPoint{0, 0},
                                           kButtonImageHeight, mode, this);
        images->release();
        bar.addView(button);
        return button;
    };
    loadBankButton = fileButton(kLoadBankRect, kLoadBankTag, kLoadBank, CSaveLoadButton::kLoadBank);
    saveBankButton = fileButton(kSaveBankRect, kSaveBankTag, kSaveBank, CSaveLoadButton::kSaveBank);
    loadPresetButton = fileButton(kLoadPresetRect, kLoadPresetTag, kLoadPreset, CSaveLoadButton::kLoadPreset);
    savePresetButton = fileButton(kSavePresetRect, kSavePresetTag, kSavePreset, CSaveLoadButton::kSavePreset);

    auto memoButton = [&](const SkinRect& r, std::int32_t tag, int id)
    {
        auto* images = new gui::CBitmap(id);
        auto* button = new CTROnOffButton(viewRect(r), this, tag, images);
        images->release();
        bar.addView(button);
        return button;
    };
    recallMemoAButton = memoButton(kRecallMemoARect, kRecallMemoATag, kRecallMemoA);
    recallMemoBButton = memoButton(kRecallMemoBRect, kRecallMemoBTag, kRecallMemoB);
    storeMemoAButton = memoButton(kStoreMemoARect, kStoreMemoATag, kStoreMemoA);
    storeMemoBButton = memoButton(kStoreMemoBRect, kStoreMemoBTag, kStoreMemoB);

    panel->release();
}

void CPresetSystemEditor::close()
{
    // A dialog still up is ended: the user never answered it.
    dialogTask.reset();
    pendingFile = nullptr;
    nameField = nullptr;
    presetMenu = nullptr;
    rocker = nullptr;
    loadBankButton = saveBankButton = loadPresetButton = savePresetButton = nullptr;
    recallMemoAButton = recallMemoBButton = storeMemoAButton = storeMemoBButton = nullptr;
    AEffEditor::close();
}

void CPresetSystemEditor::idle()
{
    if (!frame || !effect) return;
    pollDialog();
    if (!frame) return;
    gui::CView* hovered = frame->getCurrentView();
    gui::CViewPoint where;
    frame->getCurrentLocation(where);

    CSaveLoadButton* fileButtons[] = {loadBankButton, saveBankButton, loadPresetButton, savePresetButton};
    CTROnOffButton* memoButtons[] = {recallMemoAButton, recallMemoBButton, storeMemoAButton,
                                     storeMemoBButton};
    for (CSaveLoadButton* button : fileButtons)
        if (button) button->setHover(hovered && hovered == button);
    for (CTROnOffButton* button : memoButtons)
        if (button) button->setHover(hovered && hovered == button);
    if (rocker) rocker->setHover(hovered && hovered == rocker, where);
}

void CPresetSystemEditor::setMenuEntry(std::int32_t index, const char* name)
{
    if (presetMenu) presetMenu->setEntry(index, name);
}

void CPresetSystemEditor::showPresetName(const char* name)
{
    if (nameField) nameField->setText(name);
    if (presetMenu)
    {
        setMenuEntry(presetMenu->getCurrent(nullptr, true), name);
        setMenuEntry(0, name);
    }
}

void CPresetSystemEditor::renamePreset(const char* text)
{
    const std::string name = std::string(text ? text : "").substr(0, kMaxNameLength);
    showPresetName(name.c_str());
    if (CPresetSystemEffect* presets = presetEffect()) presets->setCurrentPresetName(name.c_str());
}

void CPresetSystemEditor::choosePreset(VstInt32 index, const char* name)
{
    if (nameField) nameField->setText(name);
    setMenuEntry(0, name);
    if (CPresetSystemEffect* presets = presetEffect()) presets->selectPreset(index);
}

void CPresetSystemEditor::stepPreset(bool up)
{
    CPresetSystemEffect* presets = presetEffect();
    if (!presets) return;
    VstInt32 index = presets->getCurrentPreset() + (up ? 1 : -1);
    if (index < 0) index = 0;
    if (index >= CPresetSystemEffect::kNumPresets) index = CPresetSystemEffect::kNumPresets - 1;
    if (presetMenu) presetMenu->setCurrent(index, false);
    const std::string name = presetName(index);
    if (nameField) nameField->setText(name.c_str());
    setMenuEntry(0, name.c_str());
    presets->selectPreset(index);
}

void CPresetSystemEditor::valueChanged(gui::CDrawContext*, gui::CControl* control)
{
    CPresetSystemEffect* presets = presetEffect();
    if (!presets || !control) return;
    switch (control->getTag())
    {
    case kNameFieldTag:
    {
        auto* field = static_cast<gui::CTextEdit*>(control);
        if (!field->getRefusedText().empty())
        {
            reportRefusedName(field->getRefusedText());
            break;
        }
        char text[gui::CTextEdit::kMaxTextLength + 1] = {};
        field->getText(text);
        renamePreset(text);
        break;
    }
    case kPresetMenuTag:
    {
        char name[gui::COptionMenu::kMaxEntryLength + 1] = {};
        const std::int32_t index = static_cast<gui::COptionMenu*>(control)->getCurrent(name, false);
        if (index >= 0 && index < CPresetSystemEffect::kNumPresets) choosePreset(index, name);
        break;
    }
    case kRecallMemoATag:
        presets->recallMemoA();
        break;
    case kRecallMemoBTag:
        presets->recallMemoB();
        break;
    case kStoreMemoATag:
        presets->storeMemoA();
        break;
    case kStoreMemoBTag:
        presets->storeMemoB();
        break;
    default:
        break; // the rocker and the file buttons call the listener directly
    }
}

void CPresetSystemEditor::askForFile(const FileDialog& dialog)
{
    CPresetSystemEffect* presets = presetEffect();
    if (!presets || !presets->getPresetProgram(0) || dialogTask) return;
    platform::FileChooserRequest request;
    request.mode = dialog.mode;
    request.title = dialog.title;
    request.filters = {{"All Files", "*.*"}, {dialog.typeName, dialog.pattern}};
    request.selectedFilter = 1;
    request.directory = directory;
    request.fileName = dialog.bank ? bankFileName : presetFileName;
    request.defaultExtension = dialog.extension;
    request.mustExist = dialog.mode == platform::FileChooserRequest::Mode::Open;
    request.confirmOverwrite = dialog.mode == platform::FileChooserRequest::Mode::Save;
    request.scale = frame ? frame->getScale() : 1;

    pendingFile = &dialog;
    startDialog(getPlatform().startFileChooser(request, frame ? frame->getOwnWindow() : nullptr));
}

std::string CPresetSystemEditor::acceptChosenPath(const FileDialog& dialog,
                                                  const std::optional<std::string>& chosen)
{
    if (!chosen) return {};
    const ChosenPath parts = splitChosenPath(*chosen);
    (dialog.bank ? bankFileName : presetFileName) = parts.fileName;
    directory = parts.directory;
    if (parts.fileName.empty() || parts.directory.empty()) return {};
    // The file is opened by its full path: the host's working directory is
    // not ours to change.
    return parts.directory + parts.fileName;
}

void CPresetSystemEditor::startDialog(std::unique_ptr<platform::DialogTask> task)
{
    dialogTask = std::move(task);
    if (!dialogTask)
    {
        pendingFile = nullptr;
        return;
    }
    if (frame) frame->setInputSuspended(true);
    pollDialog(); // a modal dialog has finished already
}

void CPresetSystemEditor::pollDialog()
{
    if (!dialogTask || !dialogTask->poll()) return;
    const std::unique_ptr<platform::DialogTask> task = std::move(dialogTask);
    const FileDialog* file = std::exchange(pendingFile, nullptr);
    if (frame) frame->setInputSuspended(false);
    CPresetSystemEffect* presets = presetEffect();
    if (!file || !presets) return;
    const std::string path = acceptChosenPath(*file, task->chosenPath());
    if (!path.empty()) (this->*file->apply)(*presets, path);
}

void CPresetSystemEditor::reportFailure(const FileResult& result)
{
    if (result.ok() || result.message.empty()) return; // unreadable or vanished files end silently
    pendingFile = nullptr;
    startDialog(getPlatform().startMessage(platform::MessageRequest{kErrorCaption, result.message,
                                                                    platform::MessageIcon::Error,
                                                                    frame ? frame->getScale() : 1},
                                           frame ? frame->getOwnWindow() : nullptr));
}

void CPresetSystemEditor::reportRefusedName(const std::string& typed)
{
    pendingFile = nullptr;
    const std::string message = "The name \"" + typed +
                                "\" has characters that preset names on this system cannot hold. The preset "
                                "keeps its name.";
    startDialog(getPlatform().startMessage(
        platform::MessageRequest{kErrorCaption, message, platform::MessageIcon::Error},
        frame ? frame->getOwnWindow() : nullptr));
}

void CPresetSystemEditor::showNotice(const char* caption, const std::string& text)
{
    if (!frame || dialogTask) return;
    pendingFile = nullptr;
    startDialog(getPlatform().startMessage(
        platform::MessageRequest{caption, text, platform::MessageIcon::Information}, frame->getOwnWindow()));
}

void CPresetSystemEditor::showPresetsOfBank(CPresetSystemEffect& presets)
{
    if (presetMenu)
    {
        setMenuEntry(0, presetName(0).c_str());
        for (VstInt32 i = 1; i < CPresetSystemEffect::kNumPresets; ++i)
            setMenuEntry(menuEntryOf(i), presetName(i).c_str());
        presetMenu->setCurrent(0, false);
    }
    if (nameField) nameField->setText(presetName(presets.getCurrentPreset()).c_str());
}

void CPresetSystemEditor::loadBank()
{
    askForFile(kLoadBankDialog);
}

void CPresetSystemEditor::saveBank()
{
    askForFile(kSaveBankDialog);
}

void CPresetSystemEditor::loadPreset()
{
    askForFile(kLoadPresetDialog);
}

void CPresetSystemEditor::savePreset()
{
    askForFile(kSavePresetDialog);
}

bool CPresetSystemEditor::applyLoadBank(CPresetSystemEffect& presets, const std::string& path)
{
    const FileResult result = loadBankFile(presets, path);
    reportFailure(result);
    if (result.ok()) showPresetsOfBank(presets);
    return result.ok();
}

bool CPresetSystemEditor::applySaveBank(CPresetSystemEffect& presets, const std::string& path)
{
    const FileResult result = saveBankFile(presets, path);
    reportFailure(result);
    return result.ok();
}

bool CPresetSystemEditor::applyLoadPreset(CPresetSystemEffect& presets, const std::string& path)
{
    const FileResult result = loadPresetFile(presets, path);
    reportFailure(result);
    if (result.ok()) showPresetName(presetName(presets.getCurrentPreset()).c_str());
    return result.ok();
}

bool CPresetSystemEditor::applySavePreset(CPresetSystemEffect& presets, const std::string& path)
{
    const FileResult result = savePresetFile(presets, path);
    reportFailure(result);
    return result.ok();
}

// --- Files dropped onto the editor ---------------------------------------------------

const CPresetSystemEditor::FileDialog* CPresetSystemEditor::loadForDrag(const gui::CDragContainer& drag)
{
    if (!drag.isFileList() || drag.getFiles().size() != 1) return nullptr;
    const std::string& path = drag.getFiles().front();
    for (const FileDialog* load : {&kLoadBankDialog, &kLoadPresetDialog})
    {
        const std::string suffix = std::string(".") + load->extension;
        if (path.size() <= suffix.size()) continue;
        const std::string tail = path.substr(path.size() - suffix.size());
        if (std::equal(tail.begin(), tail.end(), suffix.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            return load;
    }
    return nullptr;
}

bool CPresetSystemEditor::wantsDrop(const gui::CDragContainer& drag)
{
    // While a dialog is up the editor takes no input, drops included.
    if (isDialogOpen()) return false;
    CPresetSystemEffect* presets = presetEffect();
    return presets && presets->getPresetProgram(0) && loadForDrag(drag);
}

bool CPresetSystemEditor::takeDrop(const gui::CDragContainer& drag)
{
    CPresetSystemEffect* presets = presetEffect();
    const FileDialog* load = loadForDrag(drag);
    if (isDialogOpen() || !presets || !presets->getPresetProgram(0) || !load) return false;
    // Remembered as if chosen in the load dialog: the next dialog starts there.
    const std::string path = acceptChosenPath(*load, drag.getFiles().front());
    if (path.empty()) return false;
    // A rejected file says why, as from the load button, and changes nothing.
    return (this->*load->apply)(*presets, path);
}
