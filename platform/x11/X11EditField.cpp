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

X11EditField::X11EditField(X11Platform& system, ::Window parent, const EditFieldStyle& look,
                           EditFieldListener& receiver)
    : platform(system), display(system.display()), style(look), listener(receiver)
{
    const int width = style.area.width();
    const int height = style.area.height();
    if (width <= 0 || height <= 0) return;
    font.fontId = fontIdFor(style.fontHeight, style.bold);
    font.scale = std::clamp(style.scale, 1, 2);
    margin = kMargin * font.scale;
    font.styleBits = (style.bold ? gui::kFontBold : 0) | (style.italic ? gui::kFontItalic : 0);
    const std::string initial = toUtf8(style.text);
    content = initial.substr(0, fittingPrefix(initial, static_cast<size_t>(std::max(style.maxLength, 0))));
    anchor = 0;
    caretAt = content.size(); // opens with everything selected

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | Button1MotionMask |
                            FocusChangeMask | StructureNotifyMask;
    attributes.cursor = XCreateFontCursor(display, XC_xterm);
    const unsigned long mark = platform.errors().count();
    const ::Window created =
        XCreateWindow(display, parent, style.area.left, style.area.top, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixmap | CWEventMask | CWCursor, &attributes);
    XFreeCursor(display, attributes.cursor);
    if (platform.errors().failedSince(mark)) return;
    window = created;
    platform.addTarget(window, *this);
    image = std::make_unique<X11Image>(platform, window, Size{width, height});
    XMapRaised(display, window);
    scrollToCaret();
    redraw();
}

void X11EditField::setText(const std::string& utf8)
{
    content = utf8.substr(0, fittingPrefix(utf8, static_cast<size_t>(std::max(style.maxLength, 0))));
    anchor = 0;
    caretAt = content.size();
    scroll = 0;
    if (!window || destroyed) return;
    scrollToCaret();
    redraw();
}

X11EditField::~X11EditField()
{
    if (!window) return;
    platform.removeTarget(window);
    image.reset();
    if (!destroyed)
    {
        ::Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        const unsigned long mark = platform.errors().count();
        if (focus == window && previousFocus != None)
            XSetInputFocus(display, previousFocus, RevertToParent, CurrentTime);
        XDestroyWindow(display, window);
        platform.errors().failedSince(mark); // the old focus holder may be gone: no matter
    }
    XFlush(display);
}

void X11EditField::takeFocus()
{
    int revert = 0;
    XGetInputFocus(display, &previousFocus, &revert);
    if (previousFocus == PointerRoot) previousFocus = None;
    // Fails (harmlessly) while the host's window is not on screen.
    const unsigned long mark = platform.errors().count();
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    platform.errors().failedSince(mark);
}

void X11EditField::handleEvent(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0) image->present(Rect{0, 0, style.area.width(), style.area.height()});
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
        focused = true;
        break;
    case FocusOut:
    {
        const XFocusChangeEvent& e = event.xfocus;
        // Grabs (menus, window-manager shortcuts) take the focus only for a while.
        const bool lasting = e.mode == NotifyNormal || e.mode == NotifyWhileGrabbed;
        if (focused && lasting && e.detail != NotifyInferior && e.detail != NotifyPointer)
        {
            focused = false;
            listener.onEditFocusLost();
        }
        break;
    }
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
        {
            destroyed = true;
            platform.removeTarget(window);
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
        listener.onEditReturn();
        return;
    case Key::Escape:
        listener.onEditEscape();
        return;
    case Key::Backspace:
        if (!hasSelection()) anchor = previousBoundary(content, caretAt);
        eraseSelection();
        break;
    case Key::Delete:
        if (!hasSelection()) anchor = nextBoundary(content, caretAt);
        eraseSelection();
        break;
    case Key::Home:
        moveCaret(0, shift);
        break;
    case Key::End:
        moveCaret(content.size(), shift);
        break;
    case Key::Left:
        moveCaret(hasSelection() && !shift ? std::min(anchor, caretAt) : previousBoundary(content, caretAt),
                  shift);
        break;
    case Key::Right:
        moveCaret(hasSelection() && !shift ? std::max(anchor, caretAt) : nextBoundary(content, caretAt),
                  shift);
        break;
    default:
        if (control && (keysym == XK_a || keysym == XK_A))
        {
            anchor = 0;
            caretAt = content.size();
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
    const size_t room = static_cast<size_t>(std::max(style.maxLength, 0)) -
                        std::min(content.size(), static_cast<size_t>(std::max(style.maxLength, 0)));
    const size_t n = fittingPrefix(utf8, room);
    content.insert(caretAt, utf8.substr(0, n));
    caretAt += n;
    anchor = caretAt;
}

void X11EditField::eraseSelection()
{
    const size_t from = std::min(anchor, caretAt);
    const size_t to = std::max(anchor, caretAt);
    content.erase(from, to - from);
    caretAt = anchor = from;
}

void X11EditField::moveCaret(size_t to, bool extend)
{
    caretAt = std::min(to, content.size());
    if (!extend) anchor = caretAt;
}

int X11EditField::textLeft() const
{
    const int inner = style.area.width() - 2 * margin;
    const int width = textWidth(font, content);
    if (width > inner) return margin - scroll;
    switch (style.align)
    {
    case TextAlign::Center:
        return margin + (inner - width) / 2;
    case TextAlign::Right:
        return margin + inner - width;
    default:
        return margin;
    }
}

int X11EditField::textX(size_t offset) const
{
    return textLeft() + textWidth(font, std::string_view(content).substr(0, offset));
}

size_t X11EditField::offsetAt(int x) const
{
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0;; i = nextBoundary(content, i))
    {
        const int distance = std::abs(textX(i) - x);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = i;
        }
        if (i >= content.size()) break;
    }
    return best;
}

void X11EditField::scrollToCaret()
{
    const int inner = style.area.width() - 2 * margin;
    const int width = textWidth(font, content);
    if (width <= inner)
    {
        scroll = 0;
        return;
    }
    const int caretX = textWidth(font, std::string_view(content).substr(0, caretAt));
    scroll = std::clamp(scroll, caretX - inner + 1, caretX);
    scroll = std::clamp(scroll, 0, width - inner + 1);
}

void X11EditField::redraw()
{
    const PixelSpan span = image->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, opaque(style.backColor), all);
    const int height = textHeight(font);
    const int top = (span.height - height) / 2;
    const gui::CViewRect inner{margin, 0, span.width - margin, span.height};
    drawText(surface, inner, textLeft(), top, font, content, opaque(style.textColor));
    if (hasSelection())
    {
        const size_t from = std::min(anchor, caretAt);
        const size_t to = std::max(anchor, caretAt);
        gui::CViewRect band{textX(from), top, textX(to), top + height};
        band.bound(inner);
        surface.fill(band, kSelection, all);
        drawText(surface, band, textX(from), top, font, std::string_view(content).substr(from, to - from),
                 kSelectionText);
    }
    else
    {
        const int x = textX(caretAt);
        surface.fill(gui::CViewRect{x, top, x + 1, top + height}, opaque(style.textColor), inner);
    }
    image->present(Rect{0, 0, span.width, span.height});
}

} // namespace platform::x11
