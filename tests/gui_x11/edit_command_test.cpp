// `amberlit edit` as a user runs it: the editor appears in the tool's own
// window with the meter moving, and closing the window ends the tool cleanly.
#include "tests/x11/X11TestSupport.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <set>

extern char** environ;

using namespace x11test;

namespace
{

// The tool's top-level window, found by its title.
::Window findToolWindow(Display* display)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    ::Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n && !found; ++i)
    {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name && std::strstr(name, "amberlit edit"))
            found = children[i];
        if (name) XFree(name);
    }
    XFree(children);
    return found;
}

std::set<uint32_t> meterPixels(Display* display, ::Window w)
{
    std::set<uint32_t> pixels;
    XImage* image = XGetImage(display, w, 150, 66, 100, 44, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 100; ++x)
            pixels.insert(static_cast<uint32_t>(XGetPixel(image, x, y)));
    XDestroyImage(image);
    return pixels;
}

TEST(EditCommand, ShowsTheEditorWithAMovingNeedleUntilTheWindowCloses)
{
    SKIP_WITHOUT_DISPLAY();
    Host host;
    ASSERT_NE(host.display, nullptr);
    const char* argv[] = {AMBERLIT_TOOL_PATH, "edit", "--preset", "Make it Pump", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, AMBERLIT_TOOL_PATH, nullptr, nullptr, const_cast<char**>(argv), environ), 0);

    ::Window tool = 0;
    for (int t = 0; t < 5000 && !tool; t += 50, pause(50))
        tool = findToolWindow(host.display);
    ASSERT_NE(tool, 0u);
    // The needle moves with the programme: the meter window changes over time.
    pause(800);
    const std::set<uint32_t> first = meterPixels(host.display, tool);
    bool moved = false;
    for (int t = 0; t < 3000 && !moved; t += 100, pause(100))
        moved = meterPixels(host.display, tool) != first;
    EXPECT_TRUE(moved);

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = tool;
    close.xclient.message_type = XInternAtom(host.display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(host.display, "WM_DELETE_WINDOW", False));
    XSendEvent(host.display, tool, False, NoEventMask, &close);
    XSync(host.display, False);

    int status = -1;
    for (int t = 0; t < 5000; t += 50, pause(50))
        if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (!WIFEXITED(status))
    {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the tool did not end when its window closed";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
