#include "platform/x11/X11DialogWindow.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace platform::x11
{

bool inside(const Rect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

EditFieldStyle dialogFieldStyle(const Rect& area, int scale)
{
    EditFieldStyle style;
    style.area = area;
    style.scale = scale;
    style.textColor = 0xFF101010;
    style.backColor = 0xFFFFFFFF;
    style.maxLength = 4096;
    return style;
}

void drawDialogButton(gui::CPixelSurface& surface, const Rect& r, const TextStyle& font,
                      const std::string& label, gui::Pixel edge)
{
    const gui::CViewRect box{r.left, r.top, r.right, r.bottom};
    surface.fill(box, edge, surface.bounds());
    const int e = font.scale;
    surface.fill(gui::CViewRect{r.left + e, r.top + e, r.right - e, r.bottom - e}, kDialogButtonFace,
                 surface.bounds());
    drawText(surface, box, r.left + (r.width() - textWidth(font, label)) / 2,
             r.top + (r.height() - textHeight(font)) / 2, font, label, kDialogText);
}

X11DialogWindow::X11DialogWindow(X11Platform& system, ::Window owner, Size size, const std::string& title)
    : platform(system), display(system.display()), frameSize(size)
{
    const Point at = platform.centredOver(owner, size);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;
    handle = XCreateWindow(display, platform.root(), at.x, at.y, static_cast<unsigned>(size.width),
                           static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixmap | CWEventMask, &attributes);
    XStoreName(display, handle, title.c_str());
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, handle, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, handle, &deleteAtom, 1);
    if (owner) XSetTransientForHint(display, handle, owner);
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PPosition;
    hints.x = at.x;
    hints.y = at.y;
    hints.min_width = hints.max_width = size.width;
    hints.min_height = hints.max_height = size.height;
    XSetWMNormalHints(display, handle, &hints);
    image = std::make_unique<X11Image>(platform, handle, size);
}

X11DialogWindow::~X11DialogWindow()
{
    editField.reset();
    if (!handle) return;
    platform.removeTarget(handle);
    image.reset();
    XDestroyWindow(display, handle);
    XFlush(display);
}

bool X11DialogWindow::show(X11EventTarget& events, const EditFieldStyle* fieldStyle,
                           EditFieldListener& fieldListener)
{
    if (modal) return false;
    modal.emplace(platform);
    // Registered inside the modal section so that they take input during it.
    platform.addTarget(handle, events);
    if (fieldStyle) editField = std::make_unique<X11EditField>(platform, handle, *fieldStyle, fieldListener);
    XMapRaised(display, handle);
    return true;
}

bool X11DialogWindow::poll()
{
    if (!focused && !done)
    {
        // Focus needs the window on screen: retry until the server agrees.
        const unsigned long mark = platform.errors().count();
        if (editField && editField->created())
            editField->takeFocus();
        else
            XSetInputFocus(display, handle, RevertToParent, CurrentTime);
        focused = !platform.errors().failedSince(mark);
    }
    if (done && modal)
    {
        XUnmapWindow(display, handle);
        XFlush(display);
        modal.reset();
    }
    return done;
}

void X11DialogWindow::finish(bool accept)
{
    answer = accept;
    done = true;
}

bool X11DialogWindow::isCloseRequest(const XEvent& event) const
{
    return event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom;
}

} // namespace platform::x11
