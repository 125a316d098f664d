#include "presets/FileIO.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary nobody has touched for this long, and whose writer holds no lock on it, was left
// by a save that was killed.
constexpr time_t kStaleSeconds = 10;

// Saving through a symbolic link replaces the file it points to, not the link, also when that
// file does not exist yet (a dangling link).
std::string resolveTarget(std::string path)
{
    for (int depth = 0; depth < 16; ++depth)
    {
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
        if (n <= 0) return path;
        const std::string next(link, static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : splitChosenPath(path).directory + next;
    }
    return path;
}

// ".NAME.xxxxxxxx.tmp", as createTemporary names them.
bool isOurTemporaryName(const std::string& name)
{
    constexpr std::size_t kTail = 13; // ".xxxxxxxx.tmp"
    if (name.size() < 1 + 1 + kTail || name[0] != '.' || !name.ends_with(".tmp")) return false;
    const std::size_t dot = name.size() - kTail;
    if (name[dot] != '.') return false;
    for (std::size_t i = dot + 1; i < dot + 9; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])) ||
            std::isupper(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// Removes temporaries of our naming in `directory` left by killed saves: a live save holds a lock
// on its temporary, and a stale one has not changed for a while.
void removeStaleTemporaries(const std::string& directory)
{
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir))
    {
        if (!isOurTemporaryName(entry->d_name)) continue;
        const std::string path = directory + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st = {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kStaleSeconds &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates a new file beside `target` with a name nobody else uses, locked for as long as it is
// open; 0666 lets the umask decide the permissions, as a plain create would.
int createTemporary(const std::string& target, std::string& tempPath)
{
    const ChosenPath parts = splitChosenPath(target);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        tempPath = parts.directory + "." + parts.fileName + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool finishTemporary(int fd, const std::string& target)
{
    struct stat st = {};
    if (::stat(target.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0) return false;
    return ::fsync(fd) == 0;
}

} // namespace

bool readFileHead(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes)
{
    // Without O_NONBLOCK a named pipe would hold the caller (the editor's thread) until
    // someone writes to it; only regular files are presets.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        const int reason = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = reason;
        return false;
    }
    bytes.assign(limit, 0);
    std::size_t done = 0;
    bool ok = true;
    while (done < limit)
    {
        const ssize_t n = ::read(fd, bytes.data() + done, limit - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return ok;
}

bool replaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path.empty()) return false;
    const std::string target = resolveTarget(path);
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) return false;
    removeStaleTemporaries(splitChosenPath(target).directory);
    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes) && finishTemporary(fd, target);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(tempPath.c_str());
    return ok;
}

std::string currentDirectory()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return {};
    std::string path = buffer;
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

ChosenPath splitChosenPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}
