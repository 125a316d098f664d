// The pop-up menu: our own override-redirect windows, one per open level,
// drawn into pixel buffers. It ends when an item is chosen (click, or Return)
// or the menu is dismissed (click outside, Escape). Opened with a listener it
// lives on the editor's event dispatch and tells the listener at the end;
// run() is the modal form.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/X11Image.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11Text.h"

namespace platform::x11
{

class X11PopupMenu final : public PopupMenu
{
  public:
    X11PopupMenu(X11Platform& system, Menu items, Point screen, bool openRight,
                 PopupMenuListener* receiver = nullptr);
    ~X11PopupMenu() override;
    X11PopupMenu(const X11PopupMenu&) = delete;
    X11PopupMenu& operator=(const X11PopupMenu&) = delete;

    // Shows the first level and grabs the pointer; false for an empty menu.
    bool open();
    // Modal: the chosen item's command, or -1.
    int32_t run();

  private:
    struct Row
    {
        const MenuItem* item = nullptr;
        Rect rect; // in the level's window
    };
    // Final, which clang-tidy 14 overlooks.
    // NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
    struct Level final : X11EventTarget
    {
        Level(X11PopupMenu& menu) : owner(menu) {}
        void handleEvent(const XEvent& event) override { owner.handleEvent(event); }
        // May destroy the whole menu: nothing after it.
        void afterDispatch() override { owner.afterDispatch(); }
        X11PopupMenu& owner;
        std::vector<Row> rows;
        Rect screen;
        ::Window window = 0;
        std::unique_ptr<X11Image> image;
        int hot = -1;     // highlighted row
        int openRow = -1; // row whose sub-menu is the next level
    };

    void openLevel(const std::vector<MenuItem>& items, Point at, const Rect* ownerRow);
    void closeLevelsAfter(size_t index);
    void layout(Level& level, const std::vector<MenuItem>& items) const;
    void draw(Level& level);
    void drawRow(gui::CPixelSurface& surface, const Row& row, bool hot) const;
    void grab();
    void ungrab();
    void closeAll();
    void afterDispatch();

    void handleEvent(const XEvent& event);
    void onMotion(int x, int y);
    void onPress(int x, int y, unsigned button);
    void onRelease(int x, int y, unsigned button);
    void onKey(KeySym keysym);
    void moveHot(Level& level, int step);
    void openSubMenuOf(size_t levelIndex, int row, bool selectFirst);
    void choose(const MenuItem& item);
    void dismissIfClickedOutside();
    // The level and row under a screen point; row -1 inside a level but on no row.
    bool hit(int x, int y, size_t& levelIndex, int& row) const;
    // Lengths of the menu's design, in device pixels at the menu's scale.
    int px(int logical) const { return logical * text.scale; }

    X11Platform& platform;
    Display* display;
    const Menu menu;
    PopupMenuListener* listener;
    std::optional<X11Platform::ModalSection> modal;
    Point origin;
    bool trackRight;
    TextStyle text;
    std::vector<std::unique_ptr<Level>> levels;
    bool pointerGrabbed = false;
    bool keyboardGrabbed = false;
    uint32_t polledButtons = 0; // for noticing presses without a grab
    bool armed = false;         // a release may choose: the pointer moved or pressed since opening
    bool done = false;
    int32_t result = -1;
};

} // namespace platform::x11
