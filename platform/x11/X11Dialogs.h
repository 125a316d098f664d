// File choosers and message boxes. The desktop's own dialog program does the
// work (zenity, else kdialog; AMBERLIT_DIALOG names a stand-in that speaks
// zenity's command line, for scripted tests). Without a working program our
// own plain dialog appears: a dialog never silently does nothing.
#pragma once

#include <X11/Xlib.h>

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
    // `owner`: the top-level window the dialogs belong to (None for none).
    X11Dialogs(X11Platform& platform, ::Window owner);

    std::optional<std::string> chooseFile(const FileChooserRequest& request);
    void showMessage(const MessageRequest& request);

    struct Program
    {
        std::string path;
        bool kdialog = false; // else zenity's command line
    };
    // The dialog program to use, if any.
    static std::optional<Program> findProgram();

    // The command lines, for tests.
    static std::vector<std::string> fileArguments(const FileChooserRequest& request, const Program& program);
    static std::vector<std::string> messageArguments(const MessageRequest& request, const Program& program);
    // A save name without an extension gets the default one.
    static std::string withDefaultExtension(const std::string& path, const std::string& extension);

  private:
    struct Outcome
    {
        int exitCode = -1;
        std::string output;
    };
    // Null when the program could not run at all.
    std::optional<Outcome> run(const Program& program, const std::vector<std::string>& arguments);
    std::optional<std::string> checkedChoice(std::string path, const FileChooserRequest& request,
                                             const Program* program);
    bool confirmReplace(const std::string& path, const FileChooserRequest& request, const Program* program);
    std::optional<std::string> choosePlain(const FileChooserRequest& request);

    X11Platform& platform_;
    ::Window owner_;
};

} // namespace platform::x11
