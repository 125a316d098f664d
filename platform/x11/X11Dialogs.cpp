#include "platform/x11/X11Dialogs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/x11/PortalFileChooser.h"
#include "platform/x11/X11FileDialog.h"
#include "platform/x11/X11PlainDialog.h"

extern char** environ;

namespace platform::x11
{

namespace
{

constexpr size_t kMaxOutput = 64 * 1024;
constexpr int kExitAccepted = 0;
constexpr int kExitCancelled = 1;
// A dropped dialog gets this long to go after SIGTERM before SIGKILL.
constexpr int kTermGraceMs = 300;

bool executable(const std::string& path)
{
    struct stat info
    {
    };
    return access(path.c_str(), X_OK) == 0 && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> inPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return executable(name) ? std::optional<std::string>(name) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size())
    {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        if (end > start)
        {
            std::string candidate = dirs.substr(start, end - start);
            candidate.append("/").append(name);
            if (executable(candidate)) return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

bool exists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// "*.*" means every file to Windows users; on Linux it would skip names without a dot.
std::string linuxPattern(const std::string& pattern)
{
    return pattern == "*.*" ? "*" : pattern;
}

// The filters with the preselected one first: the programs select the first.
std::vector<FileFilter> orderedFilters(const FileChooserRequest& request)
{
    std::vector<FileFilter> filters = request.filters;
    const auto selected = static_cast<size_t>(request.selectedFilter);
    if (request.selectedFilter > 0 && selected < filters.size())
    {
        const FileFilter chosen = filters[selected];
        filters.erase(filters.begin() + request.selectedFilter);
        filters.insert(filters.begin(), chosen);
    }
    return filters;
}

std::string startPath(const FileChooserRequest& request)
{
    std::string path = request.directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + request.fileName;
}

std::string firstLine(const std::string& text)
{
    const size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// Both programs take the window to stay above, in decimal.
void addAttach(std::vector<std::string>& args, const X11Dialogs::Program& program, ::Window owner)
{
    if (owner == None) return;
    if (program.kdialog)
    {
        args.emplace_back("--attach");
        args.push_back(std::to_string(owner));
    }
    else
        args.push_back("--attach=" + std::to_string(owner));
}

std::string replaceQuestion(const std::string& path)
{
    return path + " already exists.\nDo you want to replace it?";
}

void sleepMs(int ms)
{
    timespec wanted{0, static_cast<long>(ms) * 1000000L};
    while (nanosleep(&wanted, &wanted) != 0 && errno == EINTR)
    {
    }
}

} // namespace

// --- Command lines -------------------------------------------------------------------

std::optional<X11Dialogs::Program> X11Dialogs::findProgram()
{
    if (const char* standIn = std::getenv("AMBERLIT_DIALOG"); standIn && *standIn)
    {
        if (auto path = inPath(standIn)) return Program{*path, false};
    }
    if (auto path = inPath("zenity")) return Program{*path, false};
    if (auto path = inPath("kdialog")) return Program{*path, true};
    return std::nullopt;
}

std::vector<std::string> X11Dialogs::fileArguments(const FileChooserRequest& request, const Program& program,
                                                   ::Window owner)
{
    const bool save = request.mode == FileChooserRequest::Mode::Save;
    const std::vector<FileFilter> filters = orderedFilters(request);
    std::vector<std::string> args;
    if (program.kdialog)
    {
        std::string filterText;
        for (const FileFilter& f : filters)
            filterText += (filterText.empty() ? "" : "\n") + linuxPattern(f.pattern) + "|" + f.description;
        std::string start = startPath(request);
        args = {save ? "--getsavefilename" : "--getopenfilename", start.empty() ? "." : start, filterText,
                "--title", request.title};
    }
    else
    {
        args = {"--file-selection", "--title=" + request.title};
        if (save)
        {
            args.emplace_back("--save");
            if (request.confirmOverwrite) args.emplace_back("--confirm-overwrite");
        }
        if (const std::string start = startPath(request); !start.empty())
            args.push_back("--filename=" + start);
        for (const FileFilter& f : filters)
            args.push_back("--file-filter=" + f.description + " | " + linuxPattern(f.pattern));
    }
    addAttach(args, program, owner);
    return args;
}

std::vector<std::string> X11Dialogs::messageArguments(const MessageRequest& request, const Program& program,
                                                      ::Window owner)
{
    std::vector<std::string> args;
    if (program.kdialog)
    {
        const char* kind = request.icon == MessageIcon::Error     ? "--error"
                           : request.icon == MessageIcon::Warning ? "--sorry"
                                                                  : "--msgbox";
        args = {"--title", request.caption, kind, request.text};
    }
    else
    {
        const char* kind = request.icon == MessageIcon::Error     ? "--error"
                           : request.icon == MessageIcon::Warning ? "--warning"
                                                                  : "--info";
        args = {kind, "--title=" + request.caption, "--text=" + request.text, "--no-markup"};
    }
    addAttach(args, program, owner);
    return args;
}

std::vector<std::string> X11Dialogs::questionArguments(const std::string& title, const std::string& text,
                                                       const Program& program, ::Window owner)
{
    std::vector<std::string> args =
        program.kdialog
            ? std::vector<std::string>{"--title", title, "--warningyesno", text}
            : std::vector<std::string>{"--question", "--title=" + title, "--text=" + text, "--no-markup"};
    addAttach(args, program, owner);
    return args;
}

std::string X11Dialogs::withDefaultExtension(const std::string& path, const std::string& extension)
{
    const size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = name.rfind('.');
    if (extension.empty() || name.empty() || (dot != std::string::npos && dot > 0 && dot + 1 < name.size()))
        return path;
    // "name." keeps its dot: the extension goes after it.
    return path + (name.back() == '.' ? "" : ".") + extension;
}

// --- The child process ------------------------------------------------------------------

std::unique_ptr<DialogChild> DialogChild::start(const X11Dialogs::Program& program,
                                                const std::vector<std::string>& arguments)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return nullptr;
    // Only our end waits for nothing: the child writes as programs expect.
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.path.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0)
    {
        close(pipeEnds[0]);
        return nullptr;
    }
    return std::unique_ptr<DialogChild>(new DialogChild(pid, pipeEnds[0]));
}

DialogChild::~DialogChild()
{
    if (!reaped)
    {
        kill(child, SIGTERM);
        for (int waited = 0; !poll() && waited < kTermGraceMs; waited += 5)
            sleepMs(5);
        if (!reaped)
        {
            kill(child, SIGKILL);
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR)
            {
            }
        }
    }
    if (fd >= 0) close(fd);
}

void DialogChild::drain()
{
    char buffer[4096];
    while (fd >= 0)
    {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
        {
            if (captured.size() < kMaxOutput) captured.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0)
        {
            close(fd);
            fd = -1;
        }
        return; // EAGAIN: nothing more for now
    }
}

bool DialogChild::poll()
{
    drain();
    if (reaped) return true;
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child)
    {
        reaped = true;
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    else if (done < 0 && errno == ECHILD)
    {
        // Reaped by someone else (a host ignoring SIGCHLD): judge by the answer.
        reaped = true;
        exitStatus = captured.empty() ? kExitCancelled : kExitAccepted;
    }
    if (reaped) drain(); // what it wrote just before it went
    return reaped;
}

namespace
{

// One step of a dialog: a program running as our child, or one of our own
// dialogs on the display connection.
struct DialogStep
{
    std::unique_ptr<PortalFileChooser> portal;
    std::unique_ptr<DialogChild> child;
    std::unique_ptr<X11PlainDialog> plain;
    std::unique_ptr<X11FileDialog> browser;

    bool poll()
    {
        if (portal) return portal->poll() != PortalFileChooser::State::Open;
        if (child) return child->poll();
        if (plain) return plain->poll();
        return browser ? browser->poll() : true;
    }
    void clear()
    {
        portal.reset();
        child.reset();
        plain.reset();
        browser.reset();
    }
};

// A stand-in named for scripted tests (or by a user) comes before the portal.
bool standInNamed()
{
    const char* standIn = std::getenv("AMBERLIT_DIALOG");
    return standIn && *standIn;
}

class FileDialogTask final : public DialogTask
{
  public:
    FileDialogTask(X11Platform& system, ::Window ownerWindow, const FileChooserRequest& details)
        : platform(system), owner(ownerWindow), request(details), modal(system),
          program(X11Dialogs::findProgram()), path(startPath(details))
    {
        // The desktop's own chooser first, through its portal.
        if (!standInNamed()) step.portal = PortalFileChooser::start(request, owner);
        if (step.portal)
            stage = Stage::Portal;
        else
            startProgramChooser();
    }

    bool poll() override
    {
        // One finished step may start the next: go on while that happens.
        for (int steps = 0; stage != Stage::Done && steps < 4 && step.poll(); ++steps)
            advance();
        return stage == Stage::Done;
    }
    std::optional<std::string> chosenPath() const override { return result; }

  private:
    enum class Stage
    {
        Portal,       // the desktop's chooser, through its portal
        Chooser,      // the program's chooser
        Question,     // the program asks before replacing
        PlainChooser, // ours
        PlainQuestion,
        PlainRefusal, // ours says the file is not there
        Done
    };

    void finish(std::optional<std::string> file)
    {
        step.clear();
        result = std::move(file);
        stage = Stage::Done;
    }

    void startProgramChooser()
    {
        step.clear();
        if (program)
            step.child = DialogChild::start(*program, X11Dialogs::fileArguments(request, *program, owner));
        if (step.child)
            stage = Stage::Chooser;
        else
            showPlainChooser();
    }

    void showPlain(const std::string& text, X11PlainDialog::Buttons buttons, const std::string* field,
                   Stage next)
    {
        step.clear();
        step.plain = std::make_unique<X11PlainDialog>(platform, owner, request.title, text, buttons, field,
                                                      request.scale);
        step.plain->show();
        stage = next;
    }
    void showPlainChooser()
    {
        step.clear();
        step.browser = std::make_unique<X11FileDialog>(platform, owner, request, path);
        step.browser->show();
        stage = Stage::PlainChooser;
    }
    void askBeforeReplacing(const std::string& file, bool plainOnly)
    {
        path = file;
        step.clear();
        if (!plainOnly && program)
            step.child = DialogChild::start(
                *program,
                X11Dialogs::questionArguments(request.title, replaceQuestion(file), *program, owner));
        if (step.child)
            stage = Stage::Question;
        else
            showPlain(replaceQuestion(file), X11PlainDialog::Buttons::OkCancel, nullptr,
                      Stage::PlainQuestion);
    }

    void advance()
    {
        switch (stage)
        {
        case Stage::Portal:
            return portalDone();
        case Stage::Chooser:
            return chooserDone();
        case Stage::Question:
            return questionDone();
        case Stage::PlainChooser:
            return plainChooserDone();
        case Stage::PlainQuestion:
            if (step.plain->answer()) return finish(path);
            return fromPlain ? showPlainChooser() : finish(std::nullopt);
        case Stage::PlainRefusal:
            return showPlainChooser();
        case Stage::Done:
            return;
        }
    }

    void portalDone()
    {
        const PortalFileChooser::State state = step.portal->poll();
        const std::string file = step.portal->path();
        if (state == PortalFileChooser::State::Cancelled) return finish(std::nullopt);
        if (state != PortalFileChooser::State::Chosen) return startProgramChooser(); // no portal here
        takeChosen(file);
    }

    void chooserDone()
    {
        const int code = step.child->exitCode();
        const std::string file = firstLine(step.child->output());
        if (code == kExitCancelled) return finish(std::nullopt);
        if (code != kExitAccepted) return showPlainChooser(); // it failed to show anything
        if (file.empty()) return finish(std::nullopt);
        takeChosen(file);
    }

    // A path from the desktop's chooser or the program, which checked it.
    void takeChosen(const std::string& file)
    {
        if (request.mode == FileChooserRequest::Mode::Open)
            return finish(request.mustExist && !exists(file) ? std::nullopt
                                                             : std::optional<std::string>(file));
        const std::string completed = X11Dialogs::withDefaultExtension(file, request.defaultExtension);
        // The program confirmed the name it was given; a name we completed may
        // hit an existing file it never asked about.
        if (completed != file && request.confirmOverwrite && exists(completed))
            return askBeforeReplacing(completed, false);
        finish(completed);
    }

    void questionDone()
    {
        const int code = step.child->exitCode();
        if (code == kExitAccepted) return finish(path);
        if (code == kExitCancelled) return finish(std::nullopt);
        askBeforeReplacing(path, true);
    }

    void plainChooserDone()
    {
        if (!step.browser->answer()) return finish(std::nullopt);
        std::string file = step.browser->chosenPath();
        if (file.empty()) return showPlainChooser();
        path = file;
        if (request.mode == FileChooserRequest::Mode::Open)
        {
            if (request.mustExist && !exists(file))
                return showPlain(file + "\nFile not found.", X11PlainDialog::Buttons::Ok, nullptr,
                                 Stage::PlainRefusal);
            return finish(file);
        }
        file = X11Dialogs::withDefaultExtension(file, request.defaultExtension);
        if (request.confirmOverwrite && exists(file))
        {
            fromPlain = true;
            return askBeforeReplacing(file, true);
        }
        finish(file);
    }

    X11Platform& platform;
    ::Window owner;
    FileChooserRequest request;
    // The editor's windows take no input while any step is up.
    X11Platform::ModalSection modal;
    std::optional<X11Dialogs::Program> program;
    DialogStep step;
    Stage stage = Stage::Chooser;
    std::string path; // the name in play: our chooser's field, or the one asked about
    bool fromPlain = false;
    std::optional<std::string> result;
};

class MessageDialogTask final : public DialogTask
{
  public:
    MessageDialogTask(X11Platform& system, ::Window ownerWindow, const MessageRequest& details)
        : platform(system), owner(ownerWindow), request(details), modal(system)
    {
        if (const auto program = X11Dialogs::findProgram())
            step.child = DialogChild::start(*program, X11Dialogs::messageArguments(request, *program, owner));
        if (!step.child) showPlain();
    }

    bool poll() override
    {
        if (done || !step.poll()) return done;
        const bool programFailed =
            step.child && step.child->exitCode() != kExitAccepted && step.child->exitCode() != kExitCancelled;
        if (programFailed)
            showPlain();
        else
        {
            step.clear();
            done = true;
        }
        return done;
    }
    std::optional<std::string> chosenPath() const override { return std::nullopt; }

  private:
    void showPlain()
    {
        step.clear();
        step.plain = std::make_unique<X11PlainDialog>(platform, owner, request.caption, request.text,
                                                      X11PlainDialog::Buttons::Ok, nullptr, request.scale);
        step.plain->show();
    }

    X11Platform& platform;
    ::Window owner;
    MessageRequest request;
    X11Platform::ModalSection modal;
    DialogStep step;
    bool done = false;
};

} // namespace

std::unique_ptr<DialogTask> startFileDialog(X11Platform& platform, ::Window owner,
                                            const FileChooserRequest& request)
{
    return std::make_unique<FileDialogTask>(platform, owner, request);
}

std::unique_ptr<DialogTask> startMessageDialog(X11Platform& platform, ::Window owner,
                                               const MessageRequest& request)
{
    return std::make_unique<MessageDialogTask>(platform, owner, request);
}

} // namespace platform::x11
