#include "fileio/ReplaceFile.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio
{
namespace
{

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, even when that file does not
// exist yet: writes go there, so the links stay links.
std::string resolveLinks(std::string path)
{
    for (int depth = 0; depth < 16; ++depth)
    {
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
        if (n <= 0) return path;
        const std::string next(link, static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : directoryOf(path).append(next);
    }
    return path;
}

// Takes only files of our naming that nobody has touched for a while and
// whose writer holds no lock on them any more: a killed writer's leftovers.
void removeStaleTemporaries(const std::string& directory)
{
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir))
    {
        if (!isTemporaryName(entry->d_name)) continue;
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

// A rename is durable only once its folder is; a failure here loses nothing.
void syncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

Replacement::Replacement(const std::string& targetArg, unsigned newFileMode)
{
    if (targetArg.empty())
    {
        status = ENOENT;
        return;
    }
    target = resolveLinks(targetArg);
    struct stat st = {};
    if (::stat(target.c_str(), &st) == 0)
    {
        if (!S_ISREG(st.st_mode))
        {
            status = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return;
        }
        // The owner's write bit counts too: access() lets root write anything.
        if ((st.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0)
        {
            status = EACCES;
            return;
        }
        keptMode = st.st_mode & 07777;
        keepMode = true;
    }
    const std::string directory = directoryOf(target);
    removeStaleTemporaries(directory);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        temporary = directory + temporaryNameFor(fileNameOf(target), random());
        // Exclusive and not following links: nothing planted under the name is written.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    static_cast<mode_t>(newFileMode));
        if (fd >= 0)
        {
            ::flock(fd, LOCK_EX | LOCK_NB); // held until the rename: the clean-up leaves it alone
            return;
        }
        if (errno != EEXIST) break;
    }
    status = errno;
    temporary.clear();
}

Replacement::~Replacement()
{
    discard();
}

void Replacement::discard()
{
    if (fd >= 0) ::close(fd);
    fd = -1;
    if (!committed && !temporary.empty()) ::unlink(temporary.c_str());
}

int Replacement::write(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (status == 0 && done < bytes.size())
    {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            status = errno;
        else if (n == 0)
            status = EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    return status;
}

int Replacement::commit()
{
    if (status == 0 && keepMode && ::fchmod(fd, static_cast<mode_t>(keptMode)) != 0) status = errno;
    if (status == 0 && ::fsync(fd) != 0) status = errno;
    if (status == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) status = errno;
    if (status == 0)
    {
        committed = true;
        syncDirectory(directoryOf(target));
    }
    discard();
    return status;
}

} // namespace fileio
