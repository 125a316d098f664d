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
constexpr int kFieldWidth = 360;
constexpr int kPollMs = 30;

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

} // namespace

X11PlainDialog::X11PlainDialog(X11Platform& system, ::Window ownerWindow, std::string title,
                               const std::string& text, Buttons choices, const std::string* entry, int scale)
    : platform(system), display(system.display()), owner(ownerWindow), caption(std::move(title))
{
    font.fontId = fontIdFor(12, false);
    font.scale = std::clamp(scale, 1, 2);
    lines = wrapLines(font, text, px(kMaxTextWidth));
    showCaption = !windowManagerRuns();
    buttons.push_back(Button{"OK", {}, true});
    if (choices == Buttons::OkCancel) buttons.push_back(Button{"Cancel", {}, false});
    layout(entry);
}

X11PlainDialog::~X11PlainDialog() = default;

TextStyle X11PlainDialog::headingFont() const
{
    return TextStyle{font.fontId, gui::kFontBold, font.scale};
}

int X11PlainDialog::textTop() const
{
    return showCaption ? px(kMargin) + textHeight(headingFont()) + px(10) : px(kMargin);
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
    const int lineHeight = textHeight(font) + px(2);
    const int margin = px(kMargin);
    int width = 2 * margin + static_cast<int>(buttons.size()) * px(kDialogButtonWidth + 8);
    for (const std::string& line : lines)
        width = std::max(width, 2 * margin + textWidth(font, line));
    if (showCaption) width = std::max(width, 2 * margin + textWidth(headingFont(), caption));
    if (entry) width = std::max(width, 2 * margin + px(kFieldWidth));
    int y = textTop() + static_cast<int>(lines.size()) * lineHeight + px(8);
    if (entry)
    {
        fieldArea = Rect{margin, y, width - margin, y + lineHeight + px(6)};
        y = fieldArea.bottom + px(12);
    }
    int x = width - margin;
    for (size_t i = buttons.size(); i-- > 0;)
    {
        buttons[i].rect = Rect{x - px(kDialogButtonWidth), y, x, y + px(kDialogButtonHeight)};
        x -= px(kDialogButtonWidth + 8);
    }
    size = Size{width, y + px(kDialogButtonHeight) + margin};

    frame.emplace(platform, owner, size, caption);
    if (entry)
    {
        pendingField = dialogFieldStyle(fieldArea, font.scale);
        pendingField->text = *entry;
    }
}

void X11PlainDialog::show()
{
    if (!frame->show(*this, pendingField ? &*pendingField : nullptr, *this)) return;
    draw();
    XFlush(display);
}

bool X11PlainDialog::poll()
{
    return frame->poll();
}

bool X11PlainDialog::run()
{
    show();
    while (!poll())
        platform.pumpModal(kPollMs);
    return frame->accepted();
}

std::string X11PlainDialog::fieldText() const
{
    return frame->field() ? frame->field()->text() : std::string();
}

void X11PlainDialog::draw()
{
    const PixelSpan span = frame->pixels();
    gui::CPixelSurface surface(span.pixels, span.width, span.height, span.stride);
    const gui::CViewRect all = surface.bounds();
    surface.fill(all, kDialogBackground, all);
    const int lineHeight = textHeight(font) + px(2);
    // Without a window manager there is no title bar to show the caption.
    if (showCaption) drawText(surface, all, px(kMargin), px(kMargin), headingFont(), caption, kDialogText);
    for (size_t i = 0; i < lines.size(); ++i)
        drawText(surface, all, px(kMargin), textTop() + static_cast<int>(i) * lineHeight, font, lines[i],
                 kDialogText);
    for (const Button& b : buttons)
        drawDialogButton(surface, b.rect, font, b.label, b.answer ? kDialogHighlight : kDialogEdge);
    frame->present();
}

void X11PlainDialog::handleEvent(const XEvent& event)
{
    if (frame->isCloseRequest(event)) return frame->finish(buttons.size() == 1);
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0) frame->present();
        break;
    case ButtonPress:
        for (const Button& b : buttons)
            if (event.xbutton.button == 1 && inside(b.rect, event.xbutton.x, event.xbutton.y))
                frame->finish(b.answer);
        break;
    case KeyPress:
    {
        const KeySym keysym = keysymOf(event.xkey);
        if (keysym == XK_Return || keysym == XK_KP_Enter)
            frame->finish(true);
        else if (keysym == XK_Escape)
            frame->finish(buttons.size() == 1);
        break;
    }
    default:
        break;
    }
}

} // namespace platform::x11
