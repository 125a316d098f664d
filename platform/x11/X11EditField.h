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
    X11EditField(X11Platform& platform, ::Window parent, const EditFieldStyle& style,
                 EditFieldListener& listener);
    ~X11EditField() override;

    bool created() const { return window_ != 0; }
    // Keyboard focus to the field; the previous holder gets it back on close.
    void takeFocus();

    std::string text() const override { return text_; }
    // Replaces the text (UTF-8, cut to the limit), all of it selected.
    void setText(const std::string& utf8);
    void handleEvent(const XEvent& event) override;

    // For tests and the plain dialogs.
    size_t caret() const { return caret_; }
    bool hasSelection() const { return anchor_ != caret_; }

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

    X11Platform& platform_;
    Display* display_;
    ::Window window_ = 0;
    EditFieldStyle style_;
    EditFieldListener& listener_;
    TextStyle font_;
    std::unique_ptr<X11Image> image_;
    std::string text_;
    size_t caret_ = 0;
    size_t anchor_ = 0; // the selection runs between anchor and caret
    int scroll_ = 0;    // pixels of text scrolled out on the left
    ::Window previousFocus_ = None;
    bool focused_ = false;
    bool destroyed_ = false;
};

} // namespace platform::x11
