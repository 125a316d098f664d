#include "host/validate/Check.h"
#include "host/validate/Driving.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace host::validation
{
namespace
{

// Open sockets of this process: an X connection is one.
int openSocketCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd"))
    {
        while (const dirent* entry = readdir(dir))
        {
            char target[64] = {};
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
                std::strncmp(target, "socket:", 7) == 0)
                ++count;
        }
        closedir(dir);
    }
    return count;
}

// Child windows of `parent` that are still there.
int childWindows(Display* display, Window parent)
{
    Window root = 0, parentOut = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
    if (children) XFree(children);
    return static_cast<int>(count);
}

bool openAndClose(const PluginInstance& plugin, Display* display, Window parent)
{
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    // The interface passes the parent window, an X id, as a pointer.
    if (!plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent))) return false;
    for (int i = 0; i < 5; ++i)
    {
        plugin.dispatch(effEditIdle);
        XSync(display, False);
    }
    plugin.dispatch(effEditClose);
    XSync(display, False);
    return true;
}

// One connection kept for the whole process is allowed; more are not.
void openRepeatedly(const std::string& path, PluginInstance& first, Display* display, Window parent,
                    int rounds, Findings& findings)
{
    const int socketsBefore = openSocketCount();
    if (!openAndClose(first, display, parent)) findings.fail("the editor did not open");
    const int socketsAfterFirst = openSocketCount();
    for (int i = 0; i < rounds; ++i)
        openAndClose(first, display, parent);
    std::vector<std::unique_ptr<PluginInstance>> others;
    for (int i = 0; i < 4; ++i)
    {
        Outcome failure;
        others.push_back(openInstance(path, failure));
        if (others.back()) openAndClose(*others.back(), display, parent);
    }
    const int socketsAfter = openSocketCount();
    if (socketsAfter > socketsAfterFirst || socketsAfterFirst > socketsBefore + 1)
        findings.fail(std::to_string(socketsAfter - socketsBefore) + " connections left open after " +
                      std::to_string(rounds + 5) + " editors of 5 instances closed");
    if (const int left = childWindows(display, parent); left > 0)
        findings.fail(std::to_string(left) + " windows left in the host's window");
}

} // namespace

Outcome checkEditor(const std::string& path, const ValidationOptions& options)
{
    const char* displayName = std::getenv("DISPLAY");
    if (!displayName || !*displayName) return Outcome::passed("skipped: no display");
    Outcome failure;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Outcome::passed("skipped: the display cannot be opened");
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
    XSync(display, False);
    Findings findings;
    const int socketsAtStart = openSocketCount();
    {
        auto first = openInstance(path, failure);
        if (!first || !first->hasEditor())
        {
            XCloseDisplay(display);
            return first ? Outcome::passed("skipped: no editor") : failure;
        }
        reportStep("editors opened and closed");
        openRepeatedly(path, *first, display, parent, options.quick ? 5 : 20, findings);
    }
    if (const int left = openSocketCount() - socketsAtStart; left > 1)
        findings.fail(std::to_string(left) + " connections still open after the instances closed");
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return findings.outcome(
        "opened and closed repeatedly, in several instances: no window or connection left");
}

} // namespace host::validation
