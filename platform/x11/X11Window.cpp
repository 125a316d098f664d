#include "platform/x11/X11Window.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>

#include "platform/x11/X11EditField.h"
#include "platform/x11/X11Keys.h"
#include "platform/x11/X11PopupMenu.h"

namespace platform::x11
{

namespace
{

// No key events: keys reach the editor through the host. Selecting them here
// would stop them at our window, and the host's shortcuts would go dead
// whenever the pointer rests on the editor. Moves with a button held and the
// releases come to us through the press's implicit grab: they drive gestures.
constexpr long kEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | StructureNotifyMask;

// Wheel notches as X reports them: buttons 4/5 vertical, 6/7 horizontal.
struct WheelButton
{
    unsigned int button;
    float distance;
    bool horizontal;
};
constexpr WheelButton kWheelButtons[] = {
    {4, 1.0f, false}, {5, -1.0f, false}, {6, -1.0f, true}, {7, 1.0f, true}};

void nameWindow(Display* display, ::Window window)
{
    // The class tells the host's tools (and ours) which plug-in window this is.
    char className[32];
    std::snprintf(className, sizeof className, "Plugin%p", reinterpret_cast<void*>(&nameWindow));
    char name[] = "Window";
    XClassHint hint{name, className};
    XSetClassHint(display, window, &hint);
    XStoreName(display, window, name);
}

} // namespace

uint32_t buttonsOf(unsigned int state)
{
    uint32_t buttons = 0;
    if (state & Button1Mask) buttons |= kButtonLeft;
    if (state & Button2Mask) buttons |= kButtonMiddle;
    if (state & Button3Mask) buttons |= kButtonRight;
    return buttons;
}

uint32_t modifiersOf(unsigned int state)
{
    uint32_t modifiers = 0;
    if (state & ShiftMask) modifiers |= kModShift;
    if (state & ControlMask) modifiers |= kModControl;
    if (state & Mod1Mask) modifiers |= kModAlt;
    return modifiers;
}

KeyEvent translateKey(const XKeyEvent& event)
{
    KeyEvent key;
    key.down = event.type == KeyPress;
    key.modifiers = modifiersOf(event.state);
    const KeySym keysym = keysymOf(event);
    key.key = keyOf(keysym);
    if (key.key == kCharacterKey || key.key == Key::Space) key.character = characterOf(keysym);
    return key;
}

X11Window::X11Window(X11Platform& system, ::Window parent, Size size, WindowListener& receiver)
    : platform(system), display(system.display()), parentWindow(parent), windowSize(size), listener(receiver)
{
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None; // our pixels come from the back buffer only
    const unsigned long mark = platform.errors().count();
    const ::Window created = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(size.width),
                                           static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput,
                                           CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    if (platform.errors().failedSince(mark)) return; // the parent is not (or no longer) a window
    window = created;
    nameWindow(display, window);
    platform.addTarget(window, *this);
    image = std::make_unique<X11Image>(platform, window, windowSize);
    XDefineCursor(display, window, platform.cursorFor(Cursor::Arrow));
    XMapWindow(display, window);
    XFlush(display);
}

X11Window::~X11Window()
{
    if (!window) return;
    drop.reset(); // a source waiting on us hears the end first
    image.reset();
    platform.removeTarget(window);
    if (!destroyed) XDestroyWindow(display, window);
    XSync(display, False);
}

NativeHandle X11Window::handle() const
{
    return reinterpret_cast<NativeHandle>(window);
}
NativeHandle X11Window::parent() const
{
    return reinterpret_cast<NativeHandle>(parentWindow);
}

Point X11Window::screenOrigin() const
{
    int x = 0;
    int y = 0;
    ::Window child = 0;
    if (destroyed || !XTranslateCoordinates(display, window, platform.root(), 0, 0, &x, &y, &child))
        return Point{};
    return Point{x, y};
}

bool X11Window::setSize(Size size)
{
    if (size.width <= 0 || size.height <= 0 || destroyed) return false;
    const unsigned long mark = platform.errors().count();
    XResizeWindow(display, window, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
    if (platform.errors().failedSince(mark)) return false;
    windowSize = size;
    image->resize(windowSize);
    return true;
}

PixelSpan X11Window::backBuffer()
{
    return image ? image->pixels() : PixelSpan{};
}

void X11Window::present(const Rect& area)
{
    if (image && !destroyed) image->present(area);
}

void X11Window::setCursor(Cursor cursor)
{
    currentCursor = cursor;
    if (!destroyed)
    {
        XDefineCursor(display, window, platform.cursorFor(cursor));
        XFlush(display);
    }
}

int32_t X11Window::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    X11PopupMenu popup(platform, menu, screen, trackRight);
    return popup.run();
}

std::unique_ptr<PopupMenu> X11Window::openPopupMenu(const Menu& menu, Point screen, bool trackRight,
                                                    PopupMenuListener& receiver)
{
    auto popup = std::make_unique<X11PopupMenu>(platform, menu, screen, trackRight, &receiver);
    if (popup->open()) return popup;
    receiver.onMenuClosed(-1);
    return nullptr;
}

std::unique_ptr<EditField> X11Window::openEditField(const EditFieldStyle& style, EditFieldListener& receiver)
{
    if (destroyed) return nullptr;
    auto field = std::make_unique<X11EditField>(platform, window, style, receiver);
    if (!field->created()) return nullptr;
    field->takeFocus();
    return field;
}

bool X11Window::setDropTarget(DropListener* receiver)
{
    drop.reset();
    if (!receiver) return true;
    if (destroyed) return false;
    drop = std::make_unique<XdndTarget>(platform, window, *receiver);
    return true;
}

void X11Window::afterDispatch()
{
    if (drop) drop->checkTimeout();
}

void X11Window::handleEvent(const XEvent& event)
{
    // May end with this window gone: nothing after it.
    if (drop && drop->handleEvent(event)) return;
    switch (event.type)
    {
    case Expose:
    {
        const XExposeEvent& e = event.xexpose;
        listener.onExpose(ExposeEvent{Rect{e.x, e.y, e.x + e.width, e.y + e.height}});
        break;
    }
    case ButtonPress:
        handleButton(event.xbutton);
        break;
    case ButtonRelease:
        handleRelease(event.xbutton);
        break;
    case MotionNotify:
        listener.onPointer(PointerState{Point{event.xmotion.x_root, event.xmotion.y_root},
                                        buttonsOf(event.xmotion.state), modifiersOf(event.xmotion.state)});
        break;
    case KeyPress:
    case KeyRelease:
        listener.onKey(translateKey(event.xkey));
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
        {
            destroyed = true;
            platform.removeTarget(window);
            listener.onDestroyed(); // may delete this window: nothing after it
        }
        break;
    default:
        break;
    }
}

void X11Window::handleRelease(const XButtonEvent& event)
{
    // The event's state is the one before the release.
    static constexpr unsigned int kMasks[] = {0, Button1Mask, Button2Mask, Button3Mask};
    if (event.button < 1 || event.button > 3) return; // wheel notches come in pairs
    const unsigned int state = event.state & ~kMasks[event.button];
    listener.onPointer(
        PointerState{Point{event.x_root, event.y_root}, buttonsOf(state), modifiersOf(event.state)});
}

void X11Window::handleButton(const XButtonEvent& event)
{
    const Point where{event.x, event.y};
    const uint32_t modifiers = modifiersOf(event.state);
    for (const WheelButton& wheel : kWheelButtons)
    {
        if (wheel.button == event.button)
        {
            listener.onWheel(WheelEvent{where, wheel.distance, wheel.horizontal, modifiers});
            return;
        }
    }
    static constexpr uint32_t kButtons[] = {0, kButtonLeft, kButtonMiddle, kButtonRight};
    if (event.button >= 1 && event.button <= 3)
        listener.onButtonPress(ButtonEvent{where, kButtons[event.button], modifiers});
}

} // namespace platform::x11
