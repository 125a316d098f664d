#include "platform/x11/X11Dialogs.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/x11/X11PlainDialog.h"

extern char** environ;

namespace platform::x11
{

namespace
{

constexpr size_t kMaxOutput = 64 * 1024;
constexpr int kExitAccepted = 0;
constexpr int kExitCancelled = 1;

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
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && executable(dir + "/" + name)) return dir + "/" + name;
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

} // namespace

X11Dialogs::X11Dialogs(X11Platform& platform, ::Window owner) : platform_(platform), owner_(owner) {}

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

std::vector<std::string> X11Dialogs::fileArguments(const FileChooserRequest& request, const Program& program)
{
    const bool save = request.mode == FileChooserRequest::Mode::Save;
    const std::vector<FileFilter> filters = orderedFilters(request);
    if (program.kdialog)
    {
        std::string filterText;
        for (const FileFilter& f : filters)
            filterText += (filterText.empty() ? "" : "\n") + linuxPattern(f.pattern) + "|" + f.description;
        std::string start = startPath(request);
        return {save ? "--getsavefilename" : "--getopenfilename", start.empty() ? "." : start, filterText,
                "--title", request.title};
    }
    std::vector<std::string> args{"--file-selection", "--title=" + request.title};
    if (save)
    {
        args.emplace_back("--save");
        if (request.confirmOverwrite) args.emplace_back("--confirm-overwrite");
    }
    if (const std::string start = startPath(request); !start.empty()) args.push_back("--filename=" + start);
    for (const FileFilter& f : filters)
        args.push_back("--file-filter=" + f.description + " | " + linuxPattern(f.pattern));
    return args;
}

std::vector<std::string> X11Dialogs::messageArguments(const MessageRequest& request, const Program& program)
{
    if (program.kdialog)
    {
        const char* kind = request.icon == MessageIcon::Error     ? "--error"
                           : request.icon == MessageIcon::Warning ? "--sorry"
                                                                  : "--msgbox";
        return {"--title", request.caption, kind, request.text};
    }
    const char* kind = request.icon == MessageIcon::Error     ? "--error"
                       : request.icon == MessageIcon::Warning ? "--warning"
                                                              : "--info";
    return {kind, "--title=" + request.caption, "--text=" + request.text, "--no-markup"};
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

std::optional<std::string> X11Dialogs::chooseFile(const FileChooserRequest& request)
{
    const std::optional<Program> program = findProgram();
    if (program)
    {
        const std::optional<Outcome> outcome = run(*program, fileArguments(request, *program));
        if (outcome && outcome->exitCode == kExitCancelled) return std::nullopt;
        if (outcome && outcome->exitCode == kExitAccepted)
        {
            const std::string path = firstLine(outcome->output);
            return path.empty() ? std::nullopt : checkedChoice(path, request, &*program);
        }
    }
    return choosePlain(request); // no program, or it failed to show anything
}

std::optional<std::string> X11Dialogs::checkedChoice(std::string path, const FileChooserRequest& request,
                                                     const Program* program)
{
    if (request.mode == FileChooserRequest::Mode::Open)
        return request.mustExist && !exists(path) ? std::nullopt : std::optional<std::string>(path);
    const std::string completed = withDefaultExtension(path, request.defaultExtension);
    // The program confirmed the name it was given; a name we completed may
    // hit an existing file it never asked about.
    if (completed != path && request.confirmOverwrite && exists(completed) &&
        !confirmReplace(completed, request, program))
        return std::nullopt;
    return completed;
}

bool X11Dialogs::confirmReplace(const std::string& path, const FileChooserRequest& request,
                                const Program* program)
{
    const std::string text = path + " already exists.\nDo you want to replace it?";
    if (program)
    {
        const std::vector<std::string> args =
            program->kdialog ? std::vector<std::string>{"--title", request.title, "--warningyesno", text}
                             : std::vector<std::string>{"--question", "--title=" + request.title,
                                                        "--text=" + text, "--no-markup"};
        if (const auto outcome = run(*program, args);
            outcome && (outcome->exitCode == kExitAccepted || outcome->exitCode == kExitCancelled))
            return outcome->exitCode == kExitAccepted;
    }
    X11PlainDialog dialog(platform_, owner_, request.title, text, X11PlainDialog::Buttons::OkCancel);
    return dialog.run();
}

std::optional<std::string> X11Dialogs::choosePlain(const FileChooserRequest& request)
{
    std::string path = startPath(request);
    for (;;)
    {
        X11PlainDialog dialog(platform_, owner_, request.title,
                              "File name:", X11PlainDialog::Buttons::OkCancel, &path);
        if (!dialog.run()) return std::nullopt;
        path = dialog.fieldText();
        if (path.empty()) continue;
        if (request.mode == FileChooserRequest::Mode::Open && request.mustExist && !exists(path))
        {
            X11PlainDialog refusal(platform_, owner_, request.title, path + "\nFile not found.",
                                   X11PlainDialog::Buttons::Ok);
            refusal.run();
            continue;
        }
        if (request.mode == FileChooserRequest::Mode::Save)
        {
            path = withDefaultExtension(path, request.defaultExtension);
            if (request.confirmOverwrite && exists(path) && !confirmReplace(path, request, nullptr)) continue;
        }
        return path;
    }
}

void X11Dialogs::showMessage(const MessageRequest& request)
{
    if (const std::optional<Program> program = findProgram())
    {
        const std::optional<Outcome> outcome = run(*program, messageArguments(request, *program));
        if (outcome && (outcome->exitCode == kExitAccepted || outcome->exitCode == kExitCancelled)) return;
    }
    X11PlainDialog dialog(platform_, owner_, request.caption, request.text, X11PlainDialog::Buttons::Ok);
    dialog.run();
}

std::optional<X11Dialogs::Outcome> X11Dialogs::run(const Program& program,
                                                   const std::vector<std::string>& arguments)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
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
        return std::nullopt;
    }

    // Our windows keep repainting while the dialog is up; their input waits.
    X11Platform::ModalSection modal(platform_);
    Outcome outcome;
    for (bool open = true; open;)
    {
        pollfd fds[2] = {{pipeEnds[0], POLLIN, 0}, {ConnectionNumber(platform_.display()), POLLIN, 0}};
        poll(fds, 2, 50);
        if (fds[0].revents)
        {
            char buffer[4096];
            const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
            if (n > 0 && outcome.output.size() < kMaxOutput)
                outcome.output.append(buffer, static_cast<size_t>(n));
            open = n > 0 || (n < 0 && errno == EINTR);
        }
        platform_.dispatchEvents();
    }
    close(pipeEnds[0]);

    int status = 0;
    for (;;)
    {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR)
        {
            // Reaped by someone else (a host ignoring SIGCHLD): judge by the answer.
            outcome.exitCode = outcome.output.empty() ? kExitCancelled : kExitAccepted;
            return outcome;
        }
        platform_.pumpModal(20);
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace platform::x11
