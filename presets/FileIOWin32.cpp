// File access for bank and preset files on Windows, with the guarantees of the
// POSIX version: read-only reads of regular files only, and saves that replace
// the target whole or not at all.
#include "presets/FileIO.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{

class FileHandle
{
  public:
    explicit FileHandle(HANDLE opened) : handle(opened) {}
    ~FileHandle()
    {
        if (valid()) ::CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }
    bool close()
    {
        const bool ok = ::CloseHandle(handle) != 0;
        handle = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE handle;
};

bool writeAll(HANDLE file, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// Creates a new file beside `target` with a name nobody else uses.
HANDLE createTemporary(const std::string& target, std::string& tempPath)
{
    const ChosenPath parts = splitChosenPath(target);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        tempPath = parts.directory + "." + parts.fileName + suffix;
        const HANDLE file = ::CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

bool readFileHead(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes)
{
    // A directory does not open without backup semantics; others may go on writing.
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    // A pipe or a device would hold the caller (the editor's thread); only files on disk are presets.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) return false;
    bytes.assign(limit, 0);
    std::size_t done = 0;
    bool ok = true;
    while (done < limit)
    {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(limit - done, 1u << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) ok = false;
        if (!ok || read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return ok;
}

bool replaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only target is not replaced, as a file without write permission is not on Linux.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    std::string tempPath;
    FileHandle file(createTemporary(path, tempPath));
    if (!file.valid()) return false;
    bool ok = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    ok = file.close() && ok;
    // An existing target keeps its attributes (hidden, archive, ...).
    if (ok && exists) ok = ::SetFileAttributesA(tempPath.c_str(), attributes) != 0;
    if (ok)
        ok = ::MoveFileExA(tempPath.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) ::DeleteFileA(tempPath.c_str());
    return ok;
}

ChosenPath splitChosenPath(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return {"", path};
    return {path.substr(0, separator + 1), path.substr(separator + 1)};
}

std::string currentDirectory()
{
    const DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return {};
    std::string path(size, '\0');
    const DWORD length = ::GetCurrentDirectoryA(size, path.data());
    if (length == 0 || length >= size) return {};
    path.resize(length);
    if (path.back() != '\\') path += '\\';
    return path;
}
