#pragma once
// Replacing a file whole or not at all: the new contents go into a temporary
// beside the target, reach the disk, and are renamed over the target, so a
// crash or a failed write leaves the old file as it was. Paths are UTF-8.
// Error codes are the system's own (errno on POSIX, GetLastError on Windows);
// 0 is success.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fileio
{

class Replacement
{
  public:
    // Creates the temporary for `target`. A symbolic link, also a dangling
    // one, is written through. A target that exists but is not a regular
    // file or is not writable is refused. A new file gets `newFileMode` less
    // the umask; an existing one keeps its mode (its attributes on Windows).
    // Temporaries that killed writers left in that folder are removed first.
    explicit Replacement(const std::string& target, unsigned newFileMode = 0666);
    ~Replacement(); // removes the temporary unless committed
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // The first error so far; a replacement in error does nothing more.
    int error() const { return status; }
    // The file the links end at: what a commit replaces.
    const std::string& targetPath() const { return target; }
    const std::string& temporaryPath() const { return temporary; }
#ifndef _WIN32
    // For writers that take a descriptor; they must not close it.
    int descriptor() const
    {
        return fd;
    }
#endif

    int write(std::span<const std::uint8_t> bytes);
    // Flushes the temporary to disk and renames it over the target.
    int commit();

  private:
    void discard();

    std::string target;
    std::string temporary;
    int status = 0;
    bool committed = false;
#ifdef _WIN32
    void* handle = nullptr;
    unsigned long attributes = 0;
    bool exists = false;
#else
    int fd = -1;
    unsigned keptMode = 0;
    bool keepMode = false;
#endif
};

// One whole replacement of `target` by `bytes`.
int replaceFile(const std::string& target, std::span<const std::uint8_t> bytes, unsigned newFileMode = 0666);

// The one naming rule of the temporaries, "." + name + ".~amberlit-" + eight
// lowercase hex digits: hidden, and with a '~' after a dot that no name a user
// types carries, so the clean-up of killed writers' files never takes theirs.
std::string temporaryNameFor(std::string_view fileName, std::uint32_t nonce);
bool isTemporaryName(std::string_view fileName);

// How long a temporary must have been left untouched before the clean-up may
// take it; a live writer also holds it locked (open without sharing on Windows).
inline constexpr int kStaleSeconds = 10;

} // namespace fileio
