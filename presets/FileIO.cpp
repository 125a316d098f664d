#include "presets/FileIO.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileio/ReplaceFile.h"

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
    return fileio::replaceFile(path, bytes) == 0;
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
