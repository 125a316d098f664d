// Our own small dialog for desktops without a dialog program: a caption, lines
// of text, optionally a one-line field, and OK (and Cancel) buttons. It stays
// above its owner, placed over it, and runs on the display connection: shown,
// it is driven by whoever dispatches the events and polled until answered.
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
class X11PlainDialog final : public X11EventTarget, public EditFieldListener
{
  public:
    enum class Buttons
    {
        Ok,
        OkCancel
    };

    // With `entry`, a text field starts with its text.
    X11PlainDialog(X11Platform& system, ::Window owner, std::string title, const std::string& text,
                   Buttons choices, const std::string* entry = nullptr, int scale = 1);
    ~X11PlainDialog();
    X11PlainDialog(const X11PlainDialog&) = delete;
    X11PlainDialog& operator=(const X11PlainDialog&) = delete;

    // Maps the window; input to our older windows waits until it goes.
    void show();
    // Never blocks; true once answered.
    bool poll();
    bool answer() const { return frame->accepted(); }
    // Modal: shows it and pumps the events until answered; true for OK.
    bool run();
    std::string fieldText() const;
    ::Window window() const { return frame->window(); }

    void handleEvent(const XEvent& event) override;
    void onEditReturn() override { frame->finish(true); }
    void onEditFocusLost() override {}
    void onEditEscape() override { frame->finish(buttons.size() == 1); }

  private:
    struct Button
    {
        std::string label;
        Rect rect;
        bool answer = false;
    };

    void layout(const std::string* entry);
    bool windowManagerRuns() const;
    TextStyle headingFont() const;
    int textTop() const;
    // Lengths of the dialog's design, in device pixels at its scale.
    int px(int logical) const { return logical * font.scale; }
    void draw();

    X11Platform& platform;
    Display* display;
    ::Window owner;
    std::string caption;
    std::vector<std::string> lines;
    std::vector<Button> buttons;
    TextStyle font;
    Size size;
    Rect fieldArea;
    std::optional<EditFieldStyle> pendingField;
    bool showCaption = true; // inside the box: no title bar shows it
    std::optional<X11DialogWindow> frame;
};

} // namespace platform::x11
