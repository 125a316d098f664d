#include "fileio/ReplaceFile.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "fileio/WidePath.h"

namespace fileio
{
namespace
{

std::string directoryOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

unsigned long long ticksOf(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Takes only files of our naming left untouched for a while; a live writer
// holds its temporary open without sharing, so deleting that one fails.
void removeStaleTemporaries(const std::string& directory)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(widePath(directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    constexpr unsigned long long kTicksPerSecond = 10'000'000;
    do
    {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = utf8Path(found.cFileName);
        if (!isTemporaryName(name)) continue;
        if (ticksOf(now) < ticksOf(found.ftLastWriteTime) + kStaleSeconds * kTicksPerSecond) continue;
        ::DeleteFileW(widePath(directory + name).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace

Replacement::Replacement(const std::string& targetArg, unsigned)
{
    target = targetArg;
    if (target.empty())
    {
        status = ERROR_PATH_NOT_FOUND;
        return;
    }
    attributes = ::GetFileAttributesW(widePath(target).c_str());
    exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only target is not replaced, as a file without write permission is not on Linux.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    {
        status = ERROR_ACCESS_DENIED;
        return;
    }
    const std::string directory = directoryOf(target);
    removeStaleTemporaries(directory);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        temporary = directory + temporaryNameFor(fileNameOf(target), random());
        handle = ::CreateFileW(widePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return;
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    status = static_cast<int>(::GetLastError());
    handle = nullptr;
    temporary.clear();
}

Replacement::~Replacement()
{
    discard();
}

void Replacement::discard()
{
    if (handle) ::CloseHandle(handle);
    handle = nullptr;
    if (!committed && !temporary.empty()) ::DeleteFileW(widePath(temporary).c_str());
}

int Replacement::write(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (status == 0 && done < bytes.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(handle, bytes.data() + done, chunk, &written, nullptr))
            status = static_cast<int>(::GetLastError());
        else if (written == 0)
            status = ERROR_WRITE_FAULT;
        else
            done += written;
    }
    return status;
}

int Replacement::commit()
{
    if (status == 0 && !::FlushFileBuffers(handle)) status = static_cast<int>(::GetLastError());
    if (status == 0)
    {
        // A file open without sharing cannot be renamed; closed, it may be taken by the
        // clean-up only after it has been left alone for a while.
        const bool closed = ::CloseHandle(handle) != 0;
        handle = nullptr;
        if (!closed) status = static_cast<int>(::GetLastError());
    }
    const std::wstring wideTemporary = widePath(temporary);
    // An existing target keeps its attributes (hidden, archive, ...).
    if (status == 0 && exists && !::SetFileAttributesW(wideTemporary.c_str(), attributes))
        status = static_cast<int>(::GetLastError());
    if (status == 0 && !::MoveFileExW(wideTemporary.c_str(), widePath(target).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        status = static_cast<int>(::GetLastError());
    committed = status == 0;
    discard();
    return status;
}

} // namespace fileio
