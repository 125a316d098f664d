#include "platform/x11/X11EditField.h"

#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>

#include "platform/x11/X11Keys.h"
#include "raster/CFontTable.h"

namespace platform::x11
{

namespace
{

constexpr int kMargin = 2;
constexpr gui::Pixel kSelection = gui::makePixel(0x33, 0x6E, 0xC8);
constexpr gui::Pixel kSelectionText = gui::makePixel(0xFF, 0xFF, 0xFF);

gui::Pixel opaque(uint32_t argb)
{
    return 0xFF000000u | argb;
}

// The longest prefix of `text` of at most `limit` bytes that ends on a character.
size_t fittingPrefix(std::string_view text, size_t limit)
{
    if (text.size() <= limit) return text.size();
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return end;
}

} // namespace

X11EditField::X11EditField(X11Platform& platform, ::Window parent, const EditFieldStyle& style,
                           EditFieldListener& listener)
    : platform_(platform), display_(platform.display()), style_(style), listener_(listener)
{
    const int width = style_.area.width();
    const int height = style_.area.height();
    if (width <= 0 || height <= 0) return;
    font_.fontId = fontIdFor(style_.fontHeight, style_.bold);
    font_.styleBits = (style_.bold ? gui::kFontBold : 0) | (style_.italic ? gui::kFontItalic : 0);
    const std::string initial = toUtf8(style_.text);
    text_ = initial.substr(0, fittingPrefix(initial, static_cast<size_t>(std::max(style_.maxLength, 0))));
    anchor_ = 0;
    caret_ = text_.size(); // opens with everything selected

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | Button1MotionMask |
                            FocusChangeMask | StructureNotifyMask;
    attributes.cursor = XCreateFontCursor(display_, XC_xterm);
    const unsigned long mark = platform_.errors().count();
    const ::Window window =
        XCreateWindow(display_, parent, style_.area.left, style_.area.top, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixmap | CWEventMask | CWCursor, &attributes);
    XFreeCursor(display_, attributes.cursor);
    if (platform_.errors().failedSince(mark)) return;
    window_ = window;
    platform_.addTarget(window_, *this);
    image_ = std::make_unique<X11Image>(platform_, window_, Size{width, height});
    XMapRaised(display_, window_);
    scrollToCaret();
    redraw();
}

void X11EditField::setText(const std::string& utf8)
{
    text_ = utf8.substr(0, fittingPrefix(utf8, static_cast<size_t>(std::max(style_.maxLength, 0))));
    anchor_ = 0;
    caret_ = text_.size();
    scroll_ = 0;
    if (!window_ || destroyed_) return;
    scrollToCaret();
    redraw();
}

X11EditField::~X11EditField()
{
    if (!window_) return;
    platform_.removeTarget(window_);
    image_.reset();
    if (!destroyed_)
    {
        ::Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        const unsigned long mark = platform_.errors().count();
        if (focus == window_ && previousFocus_ != None)
            XSetInputFocus(display_, previousFocus_, RevertToParent, CurrentTime);
        XDestroyWindow(display_, window_);
        platform_.errors().failedSince(mark); // the old focus holder may be gone: no matter
    }
    XFlush(display_);
}

void X11EditField::takeFocus()
{
    int revert = 0;
    XGetInputFocus(display_, &previousFocus_, &revert);
    if (previousFocus_ == PointerRoot) previousFocus_ = None;
    // Fails (harmlessly) while the host's window is not on screen.
    const unsigned long mark = platform_.errors().count();
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    platform_.errors().failedSince(mark);
}

void X11EditField::handleEvent(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0) image_->present(Rect{0, 0, style_.area.width(), style_.area.height()});
        break;
    case KeyPress:
        onKey(event.xkey); // may end in the listener: nothing after it
        break;
    case ButtonPress:
        if (event.xbutton.button == 1) placeCaret(event.xbutton.x, event.xbutton.state & ShiftMask);
        break;
    case MotionNotify:
        placeCaret(event.xmotion.x, true);
        break;
    case FocusIn:
        focused_ = true;
        break;
    case FocusOut:
    {
        const XFocusChangeEvent& e = event.xfocus;
        // Grabs (menus, window-manager shortcuts) take the focus only for a while.
        const bool lasting = e.mode == NotifyNormal || e.mode == NotifyWhileGrabbed;
        if (focused_ && lasting && e.detail != NotifyInferior && e.detail != NotifyPointer)
        {
            focused_ = false;
            listener_.onEditFocusLost();
        }
        break;
    }
    case DestroyNotify:
        if (event.xdestroywindow.window == window_)
        {
            destroyed_ = true;
            platform_.removeTarget(window_);
        }
        break;
    default:
        break;
    }
}

void X11EditField::onKey(const XKeyEvent& event)
{
    const KeySym keysym = keysymOf(event);
    const bool shift = event.state & ShiftMask;
    const bool control = event.state & ControlMask;
    switch (keyOf(keysym))
    {
    case Key::Return:
        listener_.onEditReturn();
        return;
    case Key::Escape:
        listener_.onEditEscape();
        return;
    case Key::Backspace:
        if (!hasSelection()) anchor_ = previousBoundary(text_, caret_);
        eraseSelection();
        break;
    case Key::Delete:
        if (!hasSelection()) anchor_ = nextBoundary(text_, caret_);
        eraseSelection();
        break;
    case Key::Home:
        moveCaret(0, shift);
        break;
    case Key::End:
        moveCaret(text_.size(), shift);
        break;
    case Key::Left:
        moveCaret(hasSelection() && !shift ? std::min(anchor_, caret_) : previousBoundary(text_, caret_),
                  shift);
        break;
    case Key::Right:
        moveCaret(hasSelection() && !shift ? std::max(anchor_, caret_) : nextBoundary(text_, caret_), shift);
        break;
    default:
        if (control && (keysym == XK_a || keysym == XK_A))
        {
            anchor_ = 0;
            caret_ = text_.size();
        }
        else if (const char32_t c = characterOf(keysym); c >= 0x20 && c != 0x7F && !control)
        {
            insert(utf8Of(c));
        }
        else
        {
            return;
        }
        break;
    }
    scrollToCaret();
    redraw();
}

void X11EditField::placeCaret(int x, bool extend)
{
    moveCaret(offsetAt(x), extend);
    scrollToCaret();
    redraw();
}

void X11EditField::insert(std::string_view utf8)
{
    eraseSelection();
    const size_t room = static_cast<size_t>(std::max(style_.maxLength, 0)) -
                        std::min(text_.size(), static_cast<size_t>(std::max(style_.maxLength, 0)));
    const size_t n = fittingPrefix(utf8, room);
    text_.insert(caret_, utf8.substr(0, n));
    caret_ += n;
    anchor_ = caret_;
}

void X11EditField::eraseSelection()
{
    const size_t from = std::min(anchor_, caret_);
    const size_t to = std::max(anchor_, caret_);
    text_.erase(from, to - from);
    caret_ = anchor_ = from;
}

void X11EditField::moveCaret(size_t to, bool extend)
{
    caret_ = std::min(to, text_.size());
    if (!extend) anchor_ = caret_;
}

int X11EditField::textLeft() const
{
    const int inner = style_.area.width() - 2 * kMargin;
    const int width = textWidth(font_, text_);
    if (width > inner) return kMargin - scroll_;
    switch (style_.align)
    {
    case TextAlign::Center:
        return kMargin + (inner - width) / 2;
    case TextAlign::Right:
        return kMargin + inner - width;
    default:
        return kMargin;
    }
}

int X11EditField::textX(size_t offset) const
{
    return textLeft() + textWidth(font_, std::string_view(text_).substr(0, offset));
}

size_t X11EditField::offsetAt(int x) const
{
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0;; i = nextBoundary(text_, i))
    {
        const int distance = std::abs(textX(i) - x);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = i;
        }
        if (i >= text_.size()) break;
    }
    return best;
}

void X11EditField::scrollToCaret()
{
    const int inner = style_.area.width() - 2 * kMargin;
    const int width = textWidth(font_, text_);
    if (width <= inner)
    {
        scroll_ = 0;
        return;
    }
    const int caretX = textWidth(font_, std::string_view(text_).substr(0, caret_));
    scroll_ = std::clamp(scroll_, caretX - inner + 1, caretX);
    scroll_ = std::clamp(scroll_, 0, width - inner + 1);
}

void X11EditField::redraw()
{
    const PixelSpan span = image_->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, opaque(style_.backColor), all);
    const int height = textHeight(font_);
    const int top = (span.height - height) / 2;
    const gui::CViewRect inner{kMargin, 0, span.width - kMargin, span.height};
    drawText(surface, inner, textLeft(), top, font_, text_, opaque(style_.textColor));
    if (hasSelection())
    {
        const size_t from = std::min(anchor_, caret_);
        const size_t to = std::max(anchor_, caret_);
        gui::CViewRect band{textX(from), top, textX(to), top + height};
        band.bound(inner);
        surface.fill(band, kSelection, all);
        drawText(surface, band, textX(from), top, font_, std::string_view(text_).substr(from, to - from),
                 kSelectionText);
    }
    else
    {
        const int x = textX(caret_);
        surface.fill(gui::CViewRect{x, top, x + 1, top + height}, opaque(style_.textColor), inner);
    }
    image_->present(Rect{0, 0, span.width, span.height});
}

} // namespace platform::x11
