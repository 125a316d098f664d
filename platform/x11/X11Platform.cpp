#include "platform/x11/X11Platform.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
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
// How long the modal forms of the dialogs wait for input per turn.
constexpr int kModalPollMs = 20;

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

bool plausibleDoubleClickTime(long ms)
{
    return ms > 0 && ms < 5000;
}

// Reads a CARD32 of the XSETTINGS blob in the byte order it declares.
uint32_t settingsWord(const unsigned char* p, bool bigEndian)
{
    return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                     : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

size_t padded(size_t n)
{
    return (n + 3) & ~size_t{3};
}

// The integer setting `wanted` of an XSETTINGS blob, if it holds one.
std::optional<int32_t> findIntegerSetting(const unsigned char* data, size_t size, const std::string& wanted)
{
    enum : unsigned char
    {
        kInteger = 0,
        kString = 1,
        kColour = 2
    };
    if (size < 12) return std::nullopt;
    const bool bigEndian = data[0] != 0;
    const uint32_t count = settingsWord(data + 8, bigEndian);
    size_t at = 12;
    for (uint32_t i = 0; i < count && at + 4 <= size; ++i)
    {
        const unsigned char type = data[at];
        const size_t nameLength = bigEndian ? (size_t{data[at + 2]} << 8 | data[at + 3])
                                            : (size_t{data[at + 3]} << 8 | data[at + 2]);
        const size_t nameAt = at + 4;
        const size_t valueAt = nameAt + padded(nameLength) + 4; // after the last-change serial
        if (valueAt > size) return std::nullopt;
        const std::string name(reinterpret_cast<const char*>(data + nameAt), nameLength);
        size_t valueSize = 0;
        if (type == kInteger)
            valueSize = 4;
        else if (type == kString && valueAt + 4 <= size)
            valueSize = 4 + padded(settingsWord(data + valueAt, bigEndian));
        else if (type == kColour)
            valueSize = 8;
        else
            return std::nullopt;
        if (valueAt + valueSize > size) return std::nullopt;
        if (type == kInteger && name == wanted)
            return static_cast<int32_t>(settingsWord(data + valueAt, bigEndian));
        at = valueAt + valueSize;
    }
    return std::nullopt;
}

// The desktop's double-click time, published by its settings daemon.
std::optional<uint32_t> desktopDoubleClickTime(Display* display, X11ErrorTrap& errors)
{
    const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(display));
    const Atom selectionAtom = XInternAtom(display, selection.c_str(), False);
    const ::Window owner = XGetSelectionOwner(display, selectionAtom);
    if (owner == None) return std::nullopt;
    const Atom settingsAtom = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const unsigned long mark = errors.count();
    const int status = XGetWindowProperty(display, owner, settingsAtom, 0, 64 * 1024, False, settingsAtom,
                                          &type, &format, &items, &after, &data);
    std::optional<int32_t> ms;
    if (status == Success && !errors.failedSince(mark) && data && format == 8)
        ms = findIntegerSetting(data, items, "Net/DoubleClickTime");
    if (data) XFree(data);
    if (!ms || !plausibleDoubleClickTime(*ms)) return std::nullopt;
    return static_cast<uint32_t>(*ms);
}

uint32_t readDoubleClickTime(Display* display, X11ErrorTrap& errors)
{
    if (const auto desktop = desktopDoubleClickTime(display, errors)) return *desktop;
    const char* value = XGetDefault(display, "amberlit", "multiClickTime");
    const long ms = value ? std::strtol(value, nullptr, 10) : 0;
    return plausibleDoubleClickTime(ms) ? static_cast<uint32_t>(ms) : 400;
}

} // namespace

std::unique_ptr<X11Platform> X11Platform::open(const char* displayName)
{
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    return std::unique_ptr<X11Platform>(new X11Platform(display));
}

X11Platform::X11Platform(Display* display) : connection(display), errorTrap(display)
{
    shmWorks = localConnection(connection) && XShmQueryExtension(connection);
    doubleClickMs = readDoubleClickTime(connection, errorTrap);
}

X11Platform::~X11Platform()
{
    for (::Cursor cursor : cursors)
        if (cursor) XFreeCursor(connection, cursor);
    XCloseDisplay(connection);
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
    if (!XQueryPointer(connection, root(), &rootReturn, &child, &rootX, &rootY, &x, &y, &mask) &&
        rootReturn == None)
        return state;
    state.screen = Point{rootX, rootY};
    state.buttons = buttonsOf(mask);
    state.modifiers = modifiersOf(mask);
    return state;
}

bool X11Platform::buttonsSwapped()
{
    // The server applies the pointer map before we see any button, in events
    // and in XQueryPointer alike: a left-handed map is already undone.
    return false;
}

int32_t X11Platform::desktopScale()
{
    return desktopScaleOf(std::getenv("GDK_SCALE"), XResourceManagerString(connection));
}

int32_t desktopScaleOf(const char* gdkScale, const char* resources)
{
    if (gdkScale && std::string_view(gdkScale) == "2") return 2;
    if (!resources) return 1;
    const std::string_view text(resources);
    constexpr std::string_view key = "Xft.dpi:";
    for (std::size_t at = 0; at < text.size();)
    {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with(key))
        {
            const double dpi = std::atof(std::string(line.substr(key.size())).c_str());
            return dpi >= 192.0 ? 2 : 1;
        }
        at = end + 1;
    }
    return 1;
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
    targets[window] = Target{&target, modalDepth};
}

void X11Platform::removeTarget(::Window window)
{
    targets.erase(window);
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
    const auto found = targets.find(event.xany.window);
    if (found == targets.end()) return;
    if (isInput(event) && found->second.level < modalDepth)
        return; // a modal menu or dialog is up: older windows take no input
    // The target may go away inside; nothing of it is touched afterwards.
    found->second.target->handleEvent(event);
}

void X11Platform::dispatchEvents()
{
    for (int handled = 0; handled < kMaxEventsPerDispatch && XPending(connection) > 0; ++handled)
    {
        XEvent event;
        XNextEvent(connection, &event);
        deliver(event);
    }
    // A target may remove itself (or others) from inside: look each one up afresh.
    std::vector<::Window> windows;
    windows.reserve(targets.size());
    for (const auto& entry : targets)
        windows.push_back(entry.first);
    for (::Window window : windows)
    {
        const auto found = targets.find(window);
        if (found != targets.end()) found->second.target->afterDispatch();
    }
}

bool X11Platform::dispatchPendingExpose()
{
    XEvent event;
    while (XCheckTypedEvent(connection, Expose, &event))
    {
        if (targets.count(event.xany.window))
        {
            deliver(event);
            return true;
        }
    }
    return false;
}

void X11Platform::waitForInput(int timeoutMs)
{
    if (XPending(connection) > 0) return;
    pollfd fd{ConnectionNumber(connection), POLLIN, 0};
    poll(&fd, 1, timeoutMs);
}

void X11Platform::pumpModal(int timeoutMs)
{
    waitForInput(timeoutMs);
    dispatchEvents();
}

Size X11Platform::screenSize() const
{
    const int screen = DefaultScreen(connection);
    return Size{DisplayWidth(connection, screen), DisplayHeight(connection, screen)};
}

Point X11Platform::centredOver(::Window owner, Size size)
{
    const Size screen = screenSize();
    Rect over{0, 0, screen.width, screen.height};
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    ::Window child = 0;
    const unsigned long mark = errorTrap.count();
    if (owner && XGetWindowAttributes(connection, owner, &attributes) &&
        XTranslateCoordinates(connection, owner, root(), 0, 0, &x, &y, &child) &&
        !errorTrap.failedSince(mark))
        over = Rect{x, y, x + attributes.width, y + attributes.height};
    return Point{
        std::clamp(over.left + (over.width() - size.width) / 2, 0, std::max(0, screen.width - size.width)),
        std::clamp(over.top + (over.height() - size.height) / 2, 0,
                   std::max(0, screen.height - size.height))};
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
    if (index >= cursors.size()) return None;
    if (!cursors[index]) cursors[index] = XCreateFontCursor(connection, kShapes[index]);
    return cursors[index];
}

::Window X11Platform::topLevelOf(::Window window)
{
    ::Window current = window;
    for (int depth = 0; depth < 64 && current; ++depth)
    {
        ::Window rootReturn = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        const unsigned long mark = errorTrap.count();
        const Status ok = XQueryTree(connection, current, &rootReturn, &parent, &children, &count);
        if (children) XFree(children);
        if (!ok || errorTrap.failedSince(mark)) return None;
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
    const unsigned long mark = errorTrap.count();
    const Status ok = XQueryTree(connection, windowOf(window), &rootReturn, &parent, &children, &count);
    if (children) XFree(children);
    if (!ok || errorTrap.failedSince(mark) || parent == rootReturn) return nullptr;
    return handleOf(parent);
}

std::optional<Rect> X11Platform::windowRect(NativeHandle window)
{
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    ::Window child = 0;
    const unsigned long mark = errorTrap.count();
    if (!XGetWindowAttributes(connection, windowOf(window), &attributes) ||
        !XTranslateCoordinates(connection, windowOf(window), root(), 0, 0, &x, &y, &child) ||
        errorTrap.failedSince(mark))
        return std::nullopt;
    return Rect{x, y, x + attributes.width, y + attributes.height};
}

std::string X11Platform::windowClassName(NativeHandle window)
{
    XClassHint hint{};
    const unsigned long mark = errorTrap.count();
    const Status ok = XGetClassHint(connection, windowOf(window), &hint);
    std::string name = ok && hint.res_class && !errorTrap.failedSince(mark) ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return name;
}

bool X11Platform::hasCaption(NativeHandle window)
{
    // A caption is the window manager's: managed top-levels carry WM_STATE.
    const Atom wmState = XInternAtom(connection, "WM_STATE", True);
    if (wmState != None)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const unsigned long mark = errorTrap.count();
        const int status = XGetWindowProperty(connection, windowOf(window), wmState, 0, 2, False,
                                              AnyPropertyType, &type, &format, &items, &after, &data);
        if (data) XFree(data);
        if (errorTrap.failedSince(mark)) return false;
        if (status == Success && type != None) return true;
    }
    return window && topLevelOf(windowOf(window)) == windowOf(window);
}

bool X11Platform::resizeWindow(NativeHandle window, Size size)
{
    if (!window || size.width <= 0 || size.height <= 0) return false;
    const unsigned long mark = errorTrap.count();
    XResizeWindow(connection, windowOf(window), static_cast<unsigned>(size.width),
                  static_cast<unsigned>(size.height));
    return !errorTrap.failedSince(mark);
}

::Window X11Platform::ownerOf(Window* window)
{
    return window && window->handle() ? topLevelOf(windowOf(window->handle())) : None;
}

std::unique_ptr<DialogTask> X11Platform::startFileChooser(const FileChooserRequest& request, Window* owner)
{
    return startFileDialog(*this, ownerOf(owner), request);
}

std::unique_ptr<DialogTask> X11Platform::startMessage(const MessageRequest& request, Window* owner)
{
    return startMessageDialog(*this, ownerOf(owner), request);
}

void X11Platform::waitFor(DialogTask& task)
{
    while (!task.poll())
        pumpModal(kModalPollMs);
}

std::optional<std::string> X11Platform::chooseFile(const FileChooserRequest& request, Window* owner)
{
    const std::unique_ptr<DialogTask> task = startFileChooser(request, owner);
    waitFor(*task);
    return task->chosenPath();
}

void X11Platform::showMessage(const MessageRequest& request)
{
    const std::unique_ptr<DialogTask> task = startMessage(request, nullptr);
    waitFor(*task);
}

} // namespace platform::x11
