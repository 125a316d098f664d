// Our own file chooser, the last resort when the desktop offers none: the
// folder's sub-folders and the files that pass the chosen filter in a list,
// a name field, the filter shown and switched with a click, OK and Cancel.
// A double click enters a folder or takes a file; a typed path (absolute or
// relative to the folder shown) is taken with Return, a folder typed so is
// entered. It stays above its owner and runs on the display connection like
// our plain dialog: shown, then polled until answered.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/X11DialogWindow.h"

namespace platform::x11
{

// Final, which clang-tidy 14 overlooks.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class X11FileDialog final : public X11EventTarget, public EditFieldListener
{
  public:
    struct Entry
    {
        std::string name;
        bool folder = false;
    };

    // Starts in the folder of `startPath` (or its own folder when it is one)
    // with the rest of it in the name field.
    X11FileDialog(X11Platform& system, ::Window ownerWindow, const FileChooserRequest& details,
                  const std::string& startPath);
    ~X11FileDialog();
    X11FileDialog(const X11FileDialog&) = delete;
    X11FileDialog& operator=(const X11FileDialog&) = delete;

    void show();
    // Never blocks; true once answered.
    bool poll();
    bool answer() const { return frame->accepted(); }
    // After OK: the path taken (not checked any further here).
    const std::string& chosenPath() const { return chosen; }

    // What the list shows now, and where its rows sit (window coordinates).
    const std::string& folder() const { return folderShown; }
    const std::vector<Entry>& entries() const { return listing; }
    size_t filterIndex() const { return filterIndexShown; }
    Rect rowRect(size_t index) const;
    Rect filterRect() const;
    ::Window window() const { return frame->window(); }

    void handleEvent(const XEvent& event) override;
    void onEditReturn() override { accept(); }
    void onEditFocusLost() override {}
    void onEditEscape() override { frame->finish(false); }

  private:
    // Lengths and areas of the dialog's design, in device pixels at its scale.
    int px(int logical) const { return logical * font.scale; }
    Rect scaled(const Rect& r) const { return Rect{px(r.left), px(r.top), px(r.right), px(r.bottom)}; }
    void enter(const std::string& folder);
    void readFolder();
    void accept();
    void onPress(const XButtonEvent& event);
    void scrollBy(int rows);
    void draw();

    X11Platform& platform;
    Display* display;
    ::Window owner;
    FileChooserRequest request;
    std::vector<FileFilter> filters;
    size_t filterIndexShown = 0;
    std::string folderShown;
    std::vector<Entry> listing;
    int selected = -1;
    int firstRow = 0; // scrolled out above
    Time lastClickTime = 0;
    int lastClickRow = -1;
    TextStyle font;
    std::string initialName;
    std::string chosen;
    std::optional<X11DialogWindow> frame;
};

} // namespace platform::x11
