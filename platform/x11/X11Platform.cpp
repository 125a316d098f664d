#include "platform/x11/X11Platform.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/native.h"
#include "platform/x11/X11Dialogs.h"
#include "platform/x11/X11Window.h"

namespace platform
{

std::unique_ptr<Platform> createNativePlatform()
{
    return x11::X11Platform::open();
}

} // namespace platform

namespace platform::x11
{

namespace
{

// Upper bound of events handled by one dispatch, so that a flood cannot keep
// the host's idle call from returning.
constexpr int kMaxEventsPerDispatch = 512;

::Window windowOf(NativeHandle handle)
{
    return static_cast<::Window>(reinterpret_cast<uintptr_t>(handle));
}
NativeHandle handleOf(::Window window)
{
    return reinterpret_cast<NativeHandle>(static_cast<uintptr_t>(window));
}

// Shared memory only helps (and only works) when the server is on this machine.
bool localConnection(Display* display)
{
    const char* name = DisplayString(display);
    return name && (name[0] == ':' || name[0] == '/' || std::strncmp(name, "unix:", 5) == 0);
}

uint32_t readDoubleClickTime(Display* display)
{
    const char* value = XGetDefault(display, "amberlit", "multiClickTime");
    const long ms = value ? std::strtol(value, nullptr, 10) : 0;
    return ms > 0 && ms < 5000 ? static_cast<uint32_t>(ms) : 400;
}

} // namespace

std::unique_ptr<X11Platform> X11Platform::open(const char* displayName)
{
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    return std::unique_ptr<X11Platform>(new X11Platform(display));
}

X11Platform::X11Platform(Display* display) : display_(display), errors_(display)
{
    shmUsable_ = localConnection(display_) && XShmQueryExtension(display_);
    doubleClickTime_ = readDoubleClickTime(display_);
}

X11Platform::~X11Platform()
{
    for (::Cursor cursor : cursors_)
        if (cursor) XFreeCursor(display_, cursor);
    XCloseDisplay(display_);
}

std::unique_ptr<Window> X11Platform::createChildWindow(NativeHandle parent, Size size,
                                                       WindowListener& listener)
{
    if (!parent || size.width <= 0 || size.height <= 0) return nullptr;
    auto window = std::make_unique<X11Window>(*this, windowOf(parent), size, listener);
    if (!window->created()) return nullptr;
    return window;
}

PointerState X11Platform::pointerState()
{
    ::Window rootReturn = 0;
    ::Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    PointerState state;
    if (!XQueryPointer(display_, root(), &rootReturn, &child, &rootX, &rootY, &x, &y, &mask) &&
        rootReturn == None)
        return state;
    state.screen = Point{rootX, rootY};
    if (mask & Button1Mask) state.buttons |= kButtonLeft;
    if (mask & Button2Mask) state.buttons |= kButtonMiddle;
    if (mask & Button3Mask) state.buttons |= kButtonRight;
    state.modifiers = modifiersOf(mask);
    return state;
}

bool X11Platform::buttonsSwapped()
{
    unsigned char map[256];
    const int n = XGetPointerMapping(display_, map, sizeof map);
    return n >= 3 && map[0] == 3 && map[2] == 1;
}

uint32_t X11Platform::ticks()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void X11Platform::sleep(uint32_t milliseconds)
{
    timespec wanted{static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec left{};
    while (nanosleep(&wanted, &left) != 0 && errno == EINTR)
        wanted = left;
}

void X11Platform::addTarget(::Window window, X11EventTarget& target)
{
    targets_[window] = Target{&target, modalDepth_};
}

void X11Platform::removeTarget(::Window window)
{
    targets_.erase(window);
}

bool X11Platform::isInput(const XEvent& event) const
{
    switch (event.type)
    {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case KeyPress:
    case KeyRelease:
        return true;
    default:
        return false;
    }
}

void X11Platform::deliver(const XEvent& event)
{
    const auto found = targets_.find(event.xany.window);
    if (found == targets_.end()) return;
    if (isInput(event) && found->second.level < modalDepth_)
        return; // a modal menu or dialog is up: older windows take no input
    // The target may go away inside; nothing of it is touched afterwards.
    found->second.target->handleEvent(event);
}

void X11Platform::dispatchEvents()
{
    for (int handled = 0; handled < kMaxEventsPerDispatch && XPending(display_) > 0; ++handled)
    {
        XEvent event;
        XNextEvent(display_, &event);
        deliver(event);
    }
    // A target may remove itself (or others) from inside: look each one up afresh.
    std::vector<::Window> windows;
    windows.reserve(targets_.size());
    for (const auto& entry : targets_)
        windows.push_back(entry.first);
    for (::Window window : windows)
    {
        const auto found = targets_.find(window);
        if (found != targets_.end()) found->second.target->afterDispatch();
    }
}

bool X11Platform::dispatchPendingExpose()
{
    XEvent event;
    while (XCheckTypedEvent(display_, Expose, &event))
    {
        if (targets_.count(event.xany.window))
        {
            deliver(event);
            return true;
        }
    }
    return false;
}

void X11Platform::waitForInput(int timeoutMs)
{
    if (XPending(display_) > 0) return;
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, timeoutMs);
}

void X11Platform::pumpModal(int timeoutMs)
{
    waitForInput(timeoutMs);
    dispatchEvents();
}

Size X11Platform::screenSize() const
{
    const int screen = DefaultScreen(display_);
    return Size{DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

::Cursor X11Platform::cursorFor(Cursor cursor)
{
    static constexpr unsigned int kShapes[] = {
        XC_left_ptr,
        XC_watch,
        XC_sb_h_double_arrow,
        XC_sb_v_double_arrow,
        XC_fleur,
        XC_bottom_left_corner,
        XC_bottom_right_corner,
        XC_X_cursor,
        XC_hand2,
    };
    const auto index = static_cast<size_t>(cursor);
    if (index >= cursors_.size()) return None;
    if (!cursors_[index]) cursors_[index] = XCreateFontCursor(display_, kShapes[index]);
    return cursors_[index];
}

::Window X11Platform::topLevelOf(::Window window)
{
    ::Window current = window;
    for (int depth = 0; depth < 64 && current; ++depth)
    {
        ::Window rootReturn = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        const unsigned long mark = errors_.count();
        const Status ok = XQueryTree(display_, current, &rootReturn, &parent, &children, &count);
        if (children) XFree(children);
        if (!ok || errors_.failedSince(mark)) return None;
        if (parent == rootReturn) return current;
        current = parent;
    }
    return None;
}

NativeHandle X11Platform::parentOf(NativeHandle window)
{
    ::Window rootReturn = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    const unsigned long mark = errors_.count();
    const Status ok = XQueryTree(display_, windowOf(window), &rootReturn, &parent, &children, &count);
    if (children) XFree(children);
    if (!ok || errors_.failedSince(mark) || parent == rootReturn) return nullptr;
    return handleOf(parent);
}

std::optional<Rect> X11Platform::windowRect(NativeHandle window)
{
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    ::Window child = 0;
    const unsigned long mark = errors_.count();
    if (!XGetWindowAttributes(display_, windowOf(window), &attributes) ||
        !XTranslateCoordinates(display_, windowOf(window), root(), 0, 0, &x, &y, &child) ||
        errors_.failedSince(mark))
        return std::nullopt;
    return Rect{x, y, x + attributes.width, y + attributes.height};
}

std::string X11Platform::windowClassName(NativeHandle window)
{
    XClassHint hint{};
    const unsigned long mark = errors_.count();
    const Status ok = XGetClassHint(display_, windowOf(window), &hint);
    std::string name = ok && hint.res_class && !errors_.failedSince(mark) ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return name;
}

bool X11Platform::hasCaption(NativeHandle window)
{
    // A caption is the window manager's: managed top-levels carry WM_STATE.
    const Atom wmState = XInternAtom(display_, "WM_STATE", True);
    if (wmState != None)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const unsigned long mark = errors_.count();
        const int status = XGetWindowProperty(display_, windowOf(window), wmState, 0, 2, False,
                                              AnyPropertyType, &type, &format, &items, &after, &data);
        if (data) XFree(data);
        if (errors_.failedSince(mark)) return false;
        if (status == Success && type != None) return true;
    }
    return window && topLevelOf(windowOf(window)) == windowOf(window);
}

bool X11Platform::resizeWindow(NativeHandle window, Size size)
{
    if (!window || size.width <= 0 || size.height <= 0) return false;
    const unsigned long mark = errors_.count();
    XResizeWindow(display_, windowOf(window), static_cast<unsigned>(size.width),
                  static_cast<unsigned>(size.height));
    return !errors_.failedSince(mark);
}

std::optional<std::string> X11Platform::chooseFile(const FileChooserRequest& request, Window* owner)
{
    X11Dialogs dialogs(*this, owner ? topLevelOf(windowOf(owner->handle())) : None);
    return dialogs.chooseFile(request);
}

void X11Platform::showMessage(const MessageRequest& request)
{
    X11Dialogs dialogs(*this, None);
    dialogs.showMessage(request);
}

} // namespace platform::x11
