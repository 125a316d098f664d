// A stand-in host for the backend tests: its own display connection, its own
// top-level window to embed into, and XTest to play the user.
#pragma once

// GoogleTest before Xlib: Xlib's macros (None, Bool, ...) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <atomic>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/X11Platform.h"

namespace x11test
{

using namespace platform;

#define SKIP_WITHOUT_DISPLAY()                                                                               \
    do                                                                                                       \
    {                                                                                                        \
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (run under xvfb)";                        \
    } while (0)

inline void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The host's side of the display.
class Host
{
  public:
    Host()
    {
        // A host keeps its windows' errors to itself: ours race with menus closing.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        // Xvfb may be resetting after the previous test's last client left.
        for (int attempt = 0; attempt < 100 && !display; ++attempt)
        {
            display = XOpenDisplay(nullptr);
            if (!display) pause(20);
        }
        if (display) root = DefaultRootWindow(display);
    }
    ~Host()
    {
        if (display)
        {
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
            XCloseDisplay(display);
        }
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // A mapped top-level window at (x, y), as a host would make for an editor.
    ::Window makeWindow(int x, int y, int w, int h, const char* className = "HostEditorWindow")
    {
        XSetWindowAttributes a{};
        a.override_redirect = True; // no window manager moves it around
        a.background_pixel = 0x202020;
        a.event_mask = StructureNotifyMask;
        const ::Window w0 = XCreateWindow(display, root, x, y, static_cast<unsigned>(w),
                                          static_cast<unsigned>(h), 0, CopyFromParent, InputOutput,
                                          CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &a);
        char name[] = "host";
        std::string cls = className;
        XClassHint hint{name, cls.data()};
        XSetClassHint(display, w0, &hint);
        XMapRaised(display, w0);
        XSync(display, False);
        XEvent e;
        XWindowEvent(display, w0, StructureNotifyMask, &e); // MapNotify
        return w0;
    }

    void moveTo(int x, int y)
    {
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XSync(display, False);
    }
    void button(unsigned b, bool down)
    {
        XTestFakeButtonEvent(display, b, down ? True : False, CurrentTime);
        XSync(display, False);
    }
    void click(int x, int y, unsigned b = 1)
    {
        moveTo(x, y);
        button(b, true);
        button(b, false);
    }
    void key(KeySym keysym, bool shift = false)
    {
        const KeyCode code = XKeysymToKeycode(display, keysym);
        const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
        if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
        XSync(display, False);
    }
    void type(const std::string& ascii)
    {
        for (char c : ascii)
        {
            const bool upper = c >= 'A' && c <= 'Z';
            key(c == ' ' ? XK_space : static_cast<KeySym>(upper ? c - 'A' + 'a' : c), upper);
        }
    }

    // Mapped override-redirect top-levels (our pop-up menus), in stacking order.
    std::vector<Rect> popups()
    {
        std::vector<Rect> found;
        ::Window r = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(display, root, &r, &parent, &children, &n)) return found;
        for (unsigned i = 0; i < n; ++i)
        {
            XWindowAttributes a{};
            if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable &&
                a.override_redirect && !isHostWindow(children[i]))
                found.push_back(Rect{a.x, a.y, a.x + a.width, a.y + a.height});
        }
        XFree(children);
        return found;
    }
    std::vector<Rect> waitForPopups(size_t count, int timeoutMs = 3000)
    {
        for (int t = 0; t < timeoutMs; t += 10)
        {
            auto found = popups();
            if (found.size() >= count) return found;
            pause(10);
        }
        return popups();
    }

    Display* display = nullptr;
    ::Window root = 0;
    std::vector<::Window> own;

  private:
    bool isHostWindow(::Window w)
    {
        XClassHint hint{};
        bool ours = false;
        if (XGetClassHint(display, w, &hint))
        {
            ours = hint.res_name && std::string(hint.res_name) == "host";
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        return ours;
    }
};

// Dispatches the platform's events until `done` or the timeout.
inline bool pumpUntil(Platform& platform, const std::function<bool()>& done, int timeoutMs = 3000)
{
    for (int t = 0; t < timeoutMs; t += 5)
    {
        platform.dispatchEvents();
        if (done()) return true;
        pause(5);
    }
    return done();
}

struct RecordingListener final : WindowListener
{
    void onExpose(const ExposeEvent& e) override { exposes.push_back(e.area); }
    void onButtonPress(const ButtonEvent& e) override { buttons.push_back(e); }
    void onWheel(const WheelEvent& e) override { wheels.push_back(e); }
    void onKey(const KeyEvent& e) override { keys.push_back(e); }
    void onDestroyed() override { ++destroyed; }
    std::vector<Rect> exposes;
    std::vector<ButtonEvent> buttons;
    std::vector<WheelEvent> wheels;
    std::vector<KeyEvent> keys;
    int destroyed = 0;
};

inline NativeHandle handleOf(::Window w)
{
    return reinterpret_cast<NativeHandle>(static_cast<uintptr_t>(w));
}
inline ::Window windowOf(NativeHandle h)
{
    return static_cast<::Window>(reinterpret_cast<uintptr_t>(h));
}

// A test on a display with a platform of our own; `openChild` adds a
// host-made parent at (100, 80) with our 400 x 309 child window in it.
class PlatformTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SKIP_WITHOUT_DISPLAY();
        ASSERT_NE(host.display, nullptr);
        platform = x11::X11Platform::open();
        ASSERT_NE(platform, nullptr);
    }
    // False when the set-up above skipped or failed.
    bool ready() const { return platform && !IsSkipped() && !HasFatalFailure(); }
    void openChild(WindowListener& events)
    {
        parent = host.makeWindow(100, 80, 400, 309);
        window = platform->createChildWindow(handleOf(parent), Size{400, 309}, events);
        ASSERT_NE(window, nullptr);
    }

    Host host;
    std::unique_ptr<x11::X11Platform> platform;
    ::Window parent = 0;
    std::unique_ptr<platform::Window> window;
};

// Whether the server shows `rgb` (0xRRGGBB) at (x, y) of a window, to the
// precision of the window's visual.
inline bool showsPixel(Display* display, ::Window w, int x, int y, uint32_t rgb)
{
    XWindowAttributes a{};
    XImage* image = XGetWindowAttributes(display, w, &a)
                        ? XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap)
                        : nullptr;
    if (!image) return false;
    const unsigned long shown = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    const unsigned long masks[] = {a.visual->red_mask, a.visual->green_mask, a.visual->blue_mask};
    for (int c = 0; c < 3; ++c)
    {
        const unsigned long mask = masks[c];
        const int shift = __builtin_ctzl(mask);
        const int bits = __builtin_popcountl(mask);
        const unsigned long wanted = (rgb >> (16 - 8 * c) & 0xFF) >> (8 - bits);
        if (((shown & mask) >> shift) != wanted) return false;
    }
    return true;
}

} // namespace x11test
