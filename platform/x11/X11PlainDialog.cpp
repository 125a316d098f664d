#include "platform/x11/X11PlainDialog.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>

#include "platform/x11/X11Keys.h"
#include "raster/CFontTable.h"

namespace platform::x11
{

namespace
{

constexpr int kMargin = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kFieldWidth = 360;
constexpr int kPollMs = 30;

constexpr gui::Pixel kBackground = gui::makePixel(0xF0, 0xF0, 0xF0);
constexpr gui::Pixel kText = gui::makePixel(0x10, 0x10, 0x10);
constexpr gui::Pixel kButtonFace = gui::makePixel(0xE1, 0xE1, 0xE1);
constexpr gui::Pixel kButtonEdge = gui::makePixel(0x70, 0x70, 0x70);
constexpr gui::Pixel kDefaultEdge = gui::makePixel(0x33, 0x6E, 0xC8);

// Widest line of text before it wraps.
constexpr int kMaxTextWidth = 480;

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;)
    {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

// Bytes of `text` from `start` that fit in `width`, at least one character
// (a UTF-8 sequence is never split).
size_t fittingBytes(const TextStyle& font, const std::string& text, size_t start, int width)
{
    size_t end = start;
    while (end < text.size())
    {
        size_t next = end + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        if (end > start && textWidth(font, text.substr(start, next - start)) > width) break;
        end = next;
    }
    return end - start;
}

// Lines no wider than `width`: broken after a blank where there is one, else
// inside a long word (a path), so that the whole text shows.
std::vector<std::string> wrapLines(const TextStyle& font, const std::string& text, int width)
{
    std::vector<std::string> wrapped;
    for (const std::string& line : splitLines(text))
    {
        size_t start = 0;
        do
        {
            size_t take = fittingBytes(font, line, start, width);
            if (start + take < line.size())
            {
                const size_t blank = line.rfind(' ', start + take);
                if (blank != std::string::npos && blank > start) take = blank + 1 - start;
            }
            std::string part = line.substr(start, take);
            while (!part.empty() && part.back() == ' ')
                part.pop_back();
            wrapped.push_back(part);
            start += take;
        } while (start < line.size());
    }
    return wrapped;
}

bool inside(const Rect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

X11PlainDialog::X11PlainDialog(X11Platform& system, ::Window ownerWindow, std::string title, std::string text,
                               Buttons choices, const std::string* entry)
    : platform(system), display(system.display()), owner(ownerWindow), caption(std::move(title))
{
    font.fontId = fontIdFor(12, false);
    lines = wrapLines(font, text, kMaxTextWidth);
    showCaption = !windowManagerRuns();
    buttons.push_back(Button{"OK", {}, true});
    if (choices == Buttons::OkCancel) buttons.push_back(Button{"Cancel", {}, false});
    layout(entry);
}

X11PlainDialog::~X11PlainDialog()
{
    field.reset();
    if (dialogWindow)
    {
        platform.removeTarget(dialogWindow);
        image.reset();
        XDestroyWindow(display, dialogWindow);
        XFlush(display);
    }
}

TextStyle X11PlainDialog::headingFont() const
{
    return TextStyle{font.fontId, gui::kFontBold};
}

int X11PlainDialog::textTop() const
{
    return showCaption ? kMargin + textHeight(headingFont()) + 10 : kMargin;
}

// A window manager announces itself on the root window; its title bar then
// shows the caption.
bool X11PlainDialog::windowManagerRuns() const
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const unsigned long mark = platform.errors().count();
    const int status = XGetWindowProperty(display, platform.root(), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &items, &after, &data);
    const bool found = status == Success && !platform.errors().failedSince(mark) && data && items == 1;
    if (data) XFree(data);
    return found;
}

// Centred over the owner when there is one, else on the screen; always on it.
void X11PlainDialog::layout(const std::string* entry)
{
    const int lineHeight = textHeight(font) + 2;
    int width = 2 * kMargin + static_cast<int>(buttons.size()) * (kButtonWidth + 8);
    for (const std::string& line : lines)
        width = std::max(width, 2 * kMargin + textWidth(font, line));
    if (showCaption) width = std::max(width, 2 * kMargin + textWidth(headingFont(), caption));
    if (entry) width = std::max(width, 2 * kMargin + kFieldWidth);
    int y = textTop() + static_cast<int>(lines.size()) * lineHeight + 8;
    if (entry)
    {
        fieldArea = Rect{kMargin, y, width - kMargin, y + lineHeight + 6};
        y = fieldArea.bottom + 12;
    }
    int x = width - kMargin;
    for (size_t i = buttons.size(); i-- > 0;)
    {
        buttons[i].rect = Rect{x - kButtonWidth, y, x, y + kButtonHeight};
        x -= kButtonWidth + 8;
    }
    size = Size{width, y + kButtonHeight + kMargin};

    const Point at = platform.centredOver(owner, size);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;
    dialogWindow = XCreateWindow(display, platform.root(), at.x, at.y, static_cast<unsigned>(size.width),
                                 static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
    XStoreName(display, dialogWindow, caption.c_str());
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, dialogWindow, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(caption.data()),
                    static_cast<int>(caption.size()));
    deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, dialogWindow, &deleteAtom, 1);
    if (owner) XSetTransientForHint(display, dialogWindow, owner);
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PPosition;
    hints.x = at.x;
    hints.y = at.y;
    hints.min_width = hints.max_width = size.width;
    hints.min_height = hints.max_height = size.height;
    XSetWMNormalHints(display, dialogWindow, &hints);
    image = std::make_unique<X11Image>(platform, dialogWindow, size);
    if (entry)
    {
        EditFieldStyle style;
        style.area = fieldArea;
        style.text = *entry;
        style.textColor = 0xFF101010;
        style.backColor = 0xFFFFFFFF;
        style.maxLength = 4096;
        pendingField = style;
    }
}

void X11PlainDialog::show()
{
    if (modal) return;
    modal.emplace(platform);
    // Registered inside the modal section so that they take input during it.
    platform.addTarget(dialogWindow, *this);
    if (pendingField) field = std::make_unique<X11EditField>(platform, dialogWindow, *pendingField, *this);
    XMapRaised(display, dialogWindow);
    draw();
    XFlush(display);
}

bool X11PlainDialog::poll()
{
    if (!focused && !done)
    {
        // Focus needs the window on screen: retry until the server agrees.
        const unsigned long mark = platform.errors().count();
        if (field && field->created())
            field->takeFocus();
        else
            XSetInputFocus(display, dialogWindow, RevertToParent, CurrentTime);
        focused = !platform.errors().failedSince(mark);
    }
    if (done && modal)
    {
        XUnmapWindow(display, dialogWindow);
        XFlush(display);
        modal.reset();
    }
    return done;
}

bool X11PlainDialog::run()
{
    show();
    while (!poll())
        platform.pumpModal(kPollMs);
    return accepted;
}

std::string X11PlainDialog::fieldText() const
{
    return field ? field->text() : std::string();
}

void X11PlainDialog::finish(bool answer)
{
    accepted = answer;
    done = true;
}

void X11PlainDialog::draw()
{
    const PixelSpan span = image->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, kBackground, all);
    const int lineHeight = textHeight(font) + 2;
    // Without a window manager there is no title bar to show the caption.
    if (showCaption) drawText(surface, all, kMargin, kMargin, headingFont(), caption, kText);
    for (size_t i = 0; i < lines.size(); ++i)
        drawText(surface, all, kMargin, textTop() + static_cast<int>(i) * lineHeight, font, lines[i], kText);
    for (const Button& b : buttons)
    {
        const gui::CViewRect r{b.rect.left, b.rect.top, b.rect.right, b.rect.bottom};
        surface.fill(r, b.answer ? kDefaultEdge : kButtonEdge, all);
        surface.fill(gui::CViewRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kButtonFace, all);
        const int x = r.left + (r.width() - textWidth(font, b.label)) / 2;
        drawText(surface, r, x, r.top + (r.height() - textHeight(font)) / 2, font, b.label, kText);
    }
    image->present(Rect{0, 0, span.width, span.height});
}

void X11PlainDialog::handleEvent(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0) image->present(Rect{0, 0, size.width, size.height});
        break;
    case ButtonPress:
        for (const Button& b : buttons)
            if (event.xbutton.button == 1 && inside(b.rect, event.xbutton.x, event.xbutton.y))
                finish(b.answer);
        break;
    case KeyPress:
    {
        const KeySym keysym = keysymOf(event.xkey);
        if (keysym == XK_Return || keysym == XK_KP_Enter)
            finish(true);
        else if (keysym == XK_Escape)
            finish(buttons.size() == 1);
        break;
    }
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) finish(buttons.size() == 1);
        break;
    default:
        break;
    }
}

} // namespace platform::x11
