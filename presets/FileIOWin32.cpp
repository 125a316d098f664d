// File access for bank and preset files on Windows, with the guarantees of the
// POSIX version: read-only reads of regular files only, and saves that replace
// the target whole or not at all. Paths are UTF-8 and reach Windows wide, so a
// name in any language opens.
#include "presets/FileIO.h"

#include <windows.h>

#include <algorithm>

#include "fileio/ReplaceFile.h"
#include "fileio/WidePath.h"

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

  private:
    HANDLE handle;
};

} // namespace

bool readFileHead(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes)
{
    // A directory does not open without backup semantics; others may go on writing.
    FileHandle file(::CreateFileW(fileio::widePath(path).c_str(), GENERIC_READ,
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
    return fileio::replaceFile(path, bytes) == 0;
}

ChosenPath splitChosenPath(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return {"", path};
    return {path.substr(0, separator + 1), path.substr(separator + 1)};
}

std::string currentDirectory()
{
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return {};
    std::wstring path(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, path.data());
    if (length == 0 || length >= size) return {};
    path.resize(length);
    if (path.back() != L'\\') path += L'\\';
    return fileio::utf8Path(path);
}
