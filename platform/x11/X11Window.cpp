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

X11Window::X11Window(X11Platform& platform, ::Window parent, Size size, WindowListener& listener)
    : platform_(platform), display_(platform.display()), parent_(parent), size_(size), listener_(listener)
{
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None; // our pixels come from the back buffer only
    const unsigned long mark = platform_.errors().count();
    const ::Window window = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(size.width),
                                          static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput,
                                          CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    if (platform_.errors().failedSince(mark)) return; // the parent is not (or no longer) a window
    window_ = window;
    nameWindow(display_, window_);
    platform_.addTarget(window_, *this);
    image_ = std::make_unique<X11Image>(platform_, window_, size_);
    XDefineCursor(display_, window_, platform_.cursorFor(Cursor::Arrow));
    XMapWindow(display_, window_);
    XFlush(display_);
}

X11Window::~X11Window()
{
    if (!window_) return;
    drop_.reset(); // a source waiting on us hears the end first
    image_.reset();
    platform_.removeTarget(window_);
    if (!destroyed_) XDestroyWindow(display_, window_);
    XSync(display_, False);
}

NativeHandle X11Window::handle() const
{
    return reinterpret_cast<NativeHandle>(window_);
}
NativeHandle X11Window::parent() const
{
    return reinterpret_cast<NativeHandle>(parent_);
}

Point X11Window::screenOrigin() const
{
    int x = 0;
    int y = 0;
    ::Window child = 0;
    if (destroyed_ || !XTranslateCoordinates(display_, window_, platform_.root(), 0, 0, &x, &y, &child))
        return Point{};
    return Point{x, y};
}

bool X11Window::setSize(Size size)
{
    if (size.width <= 0 || size.height <= 0 || destroyed_) return false;
    const unsigned long mark = platform_.errors().count();
    XResizeWindow(display_, window_, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
    if (platform_.errors().failedSince(mark)) return false;
    size_ = size;
    image_->resize(size_);
    return true;
}

PixelSpan X11Window::backBuffer()
{
    return image_ ? image_->pixels() : PixelSpan{};
}

void X11Window::present(const Rect& area)
{
    if (image_ && !destroyed_) image_->present(area);
}

void X11Window::setCursor(Cursor cursor)
{
    cursor_ = cursor;
    if (!destroyed_)
    {
        XDefineCursor(display_, window_, platform_.cursorFor(cursor));
        XFlush(display_);
    }
}

int32_t X11Window::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    X11PopupMenu popup(platform_, menu, screen, trackRight);
    return popup.run();
}

std::unique_ptr<PopupMenu> X11Window::openPopupMenu(const Menu& menu, Point screen, bool trackRight,
                                                    PopupMenuListener& listener)
{
    auto popup = std::make_unique<X11PopupMenu>(platform_, menu, screen, trackRight, &listener);
    if (popup->open()) return popup;
    listener.onMenuClosed(-1);
    return nullptr;
}

std::unique_ptr<EditField> X11Window::openEditField(const EditFieldStyle& style, EditFieldListener& listener)
{
    if (destroyed_) return nullptr;
    auto field = std::make_unique<X11EditField>(platform_, window_, style, listener);
    if (!field->created()) return nullptr;
    field->takeFocus();
    return field;
}

bool X11Window::setDropTarget(DropListener* listener)
{
    drop_.reset();
    if (!listener) return true;
    if (destroyed_) return false;
    drop_ = std::make_unique<XdndTarget>(platform_, window_, *listener);
    return true;
}

void X11Window::afterDispatch()
{
    if (drop_) drop_->checkTimeout();
}

void X11Window::handleEvent(const XEvent& event)
{
    // May end with this window gone: nothing after it.
    if (drop_ && drop_->handleEvent(event)) return;
    switch (event.type)
    {
    case Expose:
    {
        const XExposeEvent& e = event.xexpose;
        listener_.onExpose(ExposeEvent{Rect{e.x, e.y, e.x + e.width, e.y + e.height}});
        break;
    }
    case ButtonPress:
        handleButton(event.xbutton);
        break;
    case ButtonRelease:
        handleRelease(event.xbutton);
        break;
    case MotionNotify:
        listener_.onPointer(PointerState{Point{event.xmotion.x_root, event.xmotion.y_root},
                                         buttonsOf(event.xmotion.state), modifiersOf(event.xmotion.state)});
        break;
    case KeyPress:
    case KeyRelease:
        listener_.onKey(translateKey(event.xkey));
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window_)
        {
            destroyed_ = true;
            platform_.removeTarget(window_);
            listener_.onDestroyed(); // may delete this window: nothing after it
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
    listener_.onPointer(
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
            listener_.onWheel(WheelEvent{where, wheel.distance, wheel.horizontal, modifiers});
            return;
        }
    }
    static constexpr uint32_t kButtons[] = {0, kButtonLeft, kButtonMiddle, kButtonRight};
    if (event.button >= 1 && event.button <= 3)
        listener_.onButtonPress(ButtonEvent{where, kButtons[event.button], modifiers});
}

} // namespace platform::x11
