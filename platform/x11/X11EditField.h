// A one-line text field as a child window: caret, selection, typing,
// Backspace/Delete, Home/End, Left/Right (Shift extends the selection),
// Ctrl+A, and pointer placement. Return and the loss of keyboard focus are
// reported to the listener; the text is UTF-8, at most maxLength bytes.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/x11/X11Image.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11Text.h"

namespace platform::x11
{

class X11EditField final : public EditField, public X11EventTarget
{
  public:
    X11EditField(X11Platform& system, ::Window parent, const EditFieldStyle& look,
                 EditFieldListener& receiver);
    ~X11EditField() override;

    bool created() const { return window != 0; }
    // Keyboard focus to the field; the previous holder gets it back on close.
    void takeFocus();

    std::string text() const override { return content; }
    // Replaces the text (UTF-8, cut to the limit), all of it selected.
    void setText(const std::string& utf8);
    void handleEvent(const XEvent& event) override;

    // For tests and the plain dialogs.
    size_t caret() const { return caretAt; }
    bool hasSelection() const { return anchor != caretAt; }

  private:
    void onKey(const XKeyEvent& event);
    void placeCaret(int x, bool extend);
    void insert(std::string_view utf8);
    void eraseSelection();
    void moveCaret(size_t to, bool extend);
    size_t offsetAt(int x) const;
    int textX(size_t offset) const;
    int textLeft() const;
    void redraw();
    void scrollToCaret();

    X11Platform& platform;
    Display* display;
    ::Window window = 0;
    EditFieldStyle style;
    EditFieldListener& listener;
    TextStyle font;
    int margin = 2; // left and right of the text, device pixels
    std::unique_ptr<X11Image> image;
    std::string content;
    size_t caretAt = 0;
    size_t anchor = 0; // the selection runs between anchor and caret
    int scroll = 0;    // pixels of text scrolled out on the left
    ::Window previousFocus = None;
    bool focused = false;
    bool destroyed = false;
};

} // namespace platform::x11
