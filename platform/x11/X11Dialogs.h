// File choosers and message boxes that run beside the host. The desktop's own
// dialog program does the work (zenity, else kdialog; AMBERLIT_DIALOG names a
// stand-in that speaks zenity's command line, for scripted tests): it runs as
// our child process, attached to the owner window, and idle polls it. Without
// a working program our own plain dialog appears, as a window of ours that the
// editor's event dispatch drives. A dialog never silently does nothing, and a
// dialog that is dropped ends its child and reaps it.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/X11Platform.h"

namespace platform::x11
{

class X11Dialogs
{
  public:
    struct Program
    {
        std::string path;
        bool kdialog = false; // else zenity's command line
    };
    // The dialog program to use, if any.
    static std::optional<Program> findProgram();

    // The command lines; `owner` (None for none) is the window to attach to.
    static std::vector<std::string> fileArguments(const FileChooserRequest& request, const Program& program,
                                                  ::Window owner = None);
    static std::vector<std::string> messageArguments(const MessageRequest& request, const Program& program,
                                                     ::Window owner = None);
    static std::vector<std::string> questionArguments(const std::string& title, const std::string& text,
                                                      const Program& program, ::Window owner = None);
    // A save name without an extension gets the default one.
    static std::string withDefaultExtension(const std::string& path, const std::string& extension);
};

// A dialog program running as our child, its standard output read through a
// pipe that never blocks us.
class DialogChild
{
  public:
    // Null when the program could not be started.
    static std::unique_ptr<DialogChild> start(const X11Dialogs::Program& program,
                                              const std::vector<std::string>& arguments);
    // Still running: ended (SIGTERM, SIGKILL if it lingers) and reaped.
    ~DialogChild();
    DialogChild(const DialogChild&) = delete;
    DialogChild& operator=(const DialogChild&) = delete;

    // Reads what is there; true once the child has exited and was reaped.
    bool poll();
    // After poll() answered true; -1 when it did not exit normally.
    int exitCode() const { return exitStatus; }
    const std::string& output() const { return captured; }
    pid_t pid() const { return child; }

  private:
    DialogChild(pid_t pid, int descriptor) : child(pid), fd(descriptor) {}
    void drain();

    pid_t child;
    int fd;
    bool reaped = false;
    int exitStatus = -1;
    std::string captured;
};

std::unique_ptr<DialogTask> startFileDialog(X11Platform& platform, ::Window owner,
                                            const FileChooserRequest& request);
std::unique_ptr<DialogTask> startMessageDialog(X11Platform& platform, ::Window owner,
                                               const MessageRequest& request);

} // namespace platform::x11
