// Xlib before anything that defines names its macros would clash with.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cstdlib>
#undef None
#undef Status
#undef Bool

#include "host/DemoProgramme.h"
#include "host/EditorCommands.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace host
{
namespace
{

constexpr double editRate = 44100.0;
constexpr int editBlock = 256;
constexpr auto idleInterval = std::chrono::milliseconds(33); // about 30 idle calls a second

// Plays the programme through the plug-in in a loop, one block per block's
// worth of wall-clock time, as a sound card would ask for it.
class ProgrammePlayer
{
  public:
    ProgrammePlayer(PluginInstance& instance, AudioBuffer audio)
        : plugin(instance), programme(std::move(audio)), thread([this] { run(); })
    {
    }
    ~ProgrammePlayer()
    {
        running.store(false, std::memory_order_relaxed);
        thread.join();
    }
    ProgrammePlayer(const ProgrammePlayer&) = delete;
    ProgrammePlayer& operator=(const ProgrammePlayer&) = delete;

  private:
    void run()
    {
        std::vector<float> inL(editBlock), inR(editBlock), outL(editBlock), outR(editBlock);
        float* inputs[] = {inL.data(), inR.data()};
        float* outputs[] = {outL.data(), outR.data()};
        const std::size_t frames = programme.frames();
        const std::vector<double>& left = programme.channels[0];
        const std::vector<double>& right = programme.channels[programme.channelCount() > 1 ? 1 : 0];
        const auto blockTime = std::chrono::duration<double>(editBlock / editRate);
        auto due = std::chrono::steady_clock::now();
        std::size_t position = 0;
        while (running.load(std::memory_order_relaxed))
        {
            for (int i = 0; i < editBlock; ++i, position = (position + 1) % frames)
            {
                inL[static_cast<std::size_t>(i)] = static_cast<float>(left[position]);
                inR[static_cast<std::size_t>(i)] = static_cast<float>(right[position]);
            }
            plugin.process(inputs, outputs, editBlock);
            due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
            std::this_thread::sleep_until(due);
        }
    }

    PluginInstance& plugin;
    AudioBuffer programme;
    std::atomic<bool> running{true};
    std::thread thread;
};

struct HostWindow
{
    Display* display = nullptr;
    ::Window window = 0;
    Atom deleteWindow = 0;
    bool destroyed = false; // by someone else: not ours to destroy again
};

HostWindow makeWindow(Display* display, int width, int height, const std::string& title)
{
    HostWindow host{display, 0, XInternAtom(display, "WM_DELETE_WINDOW", False)};
    const int screen = DefaultScreen(display);
    host.window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                      static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                      BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, host.window, title.c_str());
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, host.window, hints);
    XFree(hints);
    XSetWMProtocols(display, host.window, &host.deleteWindow, 1);
    XSelectInput(display, host.window, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
    XMapWindow(display, host.window);
    XSync(display, False);
    return host;
}

VstIntPtr dispatch(PluginInstance& plugin, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr,
                   VstInt32 index = 0, float opt = 0.0f)
{
    AEffect& effect = plugin.effect();
    return effect.dispatcher(&effect, opcode, index, value, ptr, opt);
}

// Hands a key typed over the window to the editor, as a host does: the
// character, the interface's virtual key for the keys that have one, and Shift.
void forwardKey(PluginInstance& plugin, XKeyEvent& event)
{
    char text[8] = {};
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text - 1, &keysym, nullptr);
    unsigned char virtualKey = 0;
    switch (keysym)
    {
    case XK_Tab:
    case XK_ISO_Left_Tab:
        virtualKey = VKEY_TAB;
        break;
    case XK_Left:
        virtualKey = VKEY_LEFT;
        break;
    case XK_Up:
        virtualKey = VKEY_UP;
        break;
    case XK_Right:
        virtualKey = VKEY_RIGHT;
        break;
    case XK_Down:
        virtualKey = VKEY_DOWN;
        break;
    default:
        break;
    }
    const VstInt32 character = length == 1 && virtualKey == 0 ? static_cast<unsigned char>(text[0]) : 0;
    if (character == 0 && virtualKey == 0) return;
    const float modifiers = (event.state & ShiftMask) ? float(MODIFIER_SHIFT) : 0.0f;
    dispatch(plugin, event.type == KeyPress ? effEditKeyDown : effEditKeyUp, virtualKey, nullptr, character,
             modifiers);
}

// True once the user closed the window (or it was destroyed); keys typed
// meanwhile go to the editor.
bool windowClosed(HostWindow& host, PluginInstance& plugin)
{
    while (XPending(host.display))
    {
        XEvent event;
        XNextEvent(host.display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == host.window)
        {
            host.destroyed = true;
            return true;
        }
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == host.deleteWindow)
            return true;
        if (event.type == KeyPress || event.type == KeyRelease) forwardKey(plugin, event.xkey);
    }
    return false;
}

} // namespace

int runEditCommand(const CommandLine& commandLine, PluginInstance& plugin)
{
    if (!(plugin.effect().flags & effFlagsHasEditor))
    {
        std::fprintf(stderr, "amberlit: %s has no editor\n", plugin.effectName().c_str());
        return 1;
    }
    std::vector<std::string> notes;
    if (host::Status status = RenderJob::configure(plugin, commandLine.settings, notes); !status.ok())
    {
        std::fprintf(stderr, "amberlit: %s\n", status.message().c_str());
        return 1;
    }
    // The plug-in reads the desktop's wish from here (a stored choice wins).
    if (commandLine.scale != 0) setenv("GDK_SCALE", commandLine.scale == 2 ? "2" : "1", 1);
    ERect* rect = nullptr;
    if (!dispatch(plugin, effEditGetRect, 0, &rect) || !rect)
    {
        std::fprintf(stderr, "amberlit: the plug-in does not tell its editor's size\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "amberlit: cannot open the X display (is DISPLAY set?)\n");
        return 1;
    }
    HostWindow window = makeWindow(display, rect->right - rect->left, rect->bottom - rect->top,
                                   plugin.effectName() + " - amberlit edit");
    plugin.start(2, editRate, editBlock, false);
    int result = 0;
    {
        ProgrammePlayer player(plugin, DemoProgramme::arrangement(editRate));
        // The interface passes the parent window, an X id, as a pointer.
        void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.window));
        if (!dispatch(plugin, effEditOpen, 0, parent))
        {
            std::fprintf(stderr, "amberlit: the editor did not open\n");
            result = 1;
        }
        else
        {
            std::printf("%s: editor open; close the window to quit\n", plugin.effectName().c_str());
            std::fflush(stdout);
            while (!windowClosed(window, plugin))
            {
                dispatch(plugin, effEditIdle);
                std::this_thread::sleep_for(idleInterval);
            }
            dispatch(plugin, effEditClose);
        }
    }
    plugin.stop();
    if (!window.destroyed) XDestroyWindow(display, window.window);
    XCloseDisplay(display);
    return result;
}

} // namespace host
