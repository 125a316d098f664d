// The editor's preset bar along the bottom edge: the current preset's name
// field, the pop-up list of the 24 presets, the step rocker, the bank and
// preset file buttons and the memo buttons. Everything it does to presets goes
// through the preset effect. All calls run on the host's user-interface thread.
//
// A file dialog or message box is modal for the editor, not for the host:
// where the window system runs it beside the host (X11) the editor's idle
// polls it and the editor takes no input until it is closed; closing the
// editor ends it, and then nothing is applied.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "editor/AEffGUIEditor.h"
#include "editor/CPresetSystemListener.h"
#include "platform/platform.h"
#include "presets/PresetNameView.h"

namespace gui
{
class COptionMenu;
class CTextEdit;
} // namespace gui
class CPresetSystemEffect;
class CSaveLoadButton;
class CTROnOffButton;
class CTRRockerSwitch;
struct FileResult;

class CPresetSystemEditor : public AEffGUIEditor, public CPresetSystemListener, public PresetNameView
{
  public:
    enum Tag : std::int32_t
    {
        kNameFieldTag = 43,
        kRockerTag = 44,
        kLoadBankTag = 45,
        kSaveBankTag = 46,
        kLoadPresetTag = 47,
        kSavePresetTag = 48,
        kPresetMenuTag = 49,
        kRecallMemoATag = 50,
        kRecallMemoBTag = 51,
        kStoreMemoATag = 52,
        kStoreMemoBTag = 53,
    };

    explicit CPresetSystemEditor(AudioEffect* effect,
                                 std::unique_ptr<platform::Platform> windowSystem = nullptr);
    ~CPresetSystemEditor() override;

    // Adds the bar to the frame the concrete editor has built; false without one.
    bool open(void* parent) override;
    // Forgets the bar and ends a dialog still open; the concrete editor
    // destroys the frame.
    void close() override;
    // Finishes a dialog the user closed; pointer-over highlighting of the
    // bar's buttons.
    void idle() override;

    void showPresetName(const char* name) override;
    virtual void renamePreset(const char* text);
    virtual void choosePreset(VstInt32 index, const char* name);

    void valueChanged(gui::CDrawContext* context, gui::CControl* control) override;
    void loadBank() override;
    void saveBank() override;
    void loadPreset() override;
    void savePreset() override;
    void stepPreset(bool up) override;

    // A dragged bank or preset file loads as through its load button: exactly
    // one file whose name ends in .trb or .trp, in any case.
    bool wantsDrop(const gui::CDragContainer& drag) override;
    bool takeDrop(const gui::CDragContainer& drag) override;

    // Where the next file dialog starts, and the names it offers.
    const std::string& getDirectory() const { return directory; }
    const std::string& getBankFileName() const { return bankFileName; }
    const std::string& getPresetFileName() const { return presetFileName; }

    gui::CTextEdit* getNameField() const { return nameField; }
    gui::COptionMenu* getPresetMenu() const { return presetMenu; }
    bool isDialogOpen() const { return dialogTask != nullptr; }
    // A message box over the open editor, as the bar's own errors are shown;
    // for wrappers that must tell the user what their host does not offer.
    void showNotice(const char* caption, const std::string& text);

  protected:
    CPresetSystemEffect* presetEffect() const;

  private:
    struct FileDialog;
    static const FileDialog kLoadBankDialog;
    static const FileDialog kSaveBankDialog;
    static const FileDialog kLoadPresetDialog;
    static const FileDialog kSavePresetDialog;

    void addPresetBar(gui::CFrame& bar, CPresetSystemEffect& presets);
    // Starts the dialog; its file operation runs when a file was chosen.
    void askForFile(const FileDialog& dialog);
    // Takes the chosen full path apart into the name and directory buffers;
    // the path to open, or empty when cancelled or unusable.
    std::string acceptChosenPath(const FileDialog& dialog, const std::optional<std::string>& chosen);
    void startDialog(std::unique_ptr<platform::DialogTask> task);
    // A typed name the system's preset files cannot hold: said, not silently changed.
    void reportRefusedName(const std::string& typed);
    void pollDialog();
    void reportFailure(const FileResult& result);
    // Each true when the file operation succeeded; a failure is reported.
    bool applyLoadBank(CPresetSystemEffect& presets, const std::string& path);
    bool applySaveBank(CPresetSystemEffect& presets, const std::string& path);
    bool applyLoadPreset(CPresetSystemEffect& presets, const std::string& path);
    bool applySavePreset(CPresetSystemEffect& presets, const std::string& path);
    // The load that a dragged file asks for; null for anything else.
    static const FileDialog* loadForDrag(const gui::CDragContainer& drag);
    void showPresetsOfBank(CPresetSystemEffect& presets);
    std::string presetName(VstInt32 index) const;
    void setMenuEntry(std::int32_t index, const char* name);

    std::string directory;
    std::string bankFileName;
    std::string presetFileName;
    std::unique_ptr<platform::DialogTask> dialogTask; // the dialog that is up
    const FileDialog* pendingFile = nullptr;          // its file operation; none for a message

    gui::CTextEdit* nameField = nullptr;
    gui::COptionMenu* presetMenu = nullptr;
    CTRRockerSwitch* rocker = nullptr;
    CSaveLoadButton* loadBankButton = nullptr;
    CSaveLoadButton* saveBankButton = nullptr;
    CSaveLoadButton* loadPresetButton = nullptr;
    CSaveLoadButton* savePresetButton = nullptr;
    CTROnOffButton* recallMemoAButton = nullptr;
    CTROnOffButton* recallMemoBButton = nullptr;
    CTROnOffButton* storeMemoAButton = nullptr;
    CTROnOffButton* storeMemoBButton = nullptr;
};
