#pragma once
// File access for bank and preset files: read-only reads, and writes that replace a file whole
// or not at all. Paths are used as given; the process's working directory is never touched.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads at most `limit` bytes from the start of the file, opened read-only.
// False when the file cannot be opened or read.
bool readFileHead(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Writes `bytes` to a temporary file beside the target, then renames it over the target, so an
// interrupted or failed save leaves the old file as it was. A target that exists but is not
// writable is not replaced. An existing target keeps its permission bits. A symbolic link, also
// a dangling one, is written through. Temporaries that earlier saves left in that folder when
// they were killed are removed (only those: see fileio/ReplaceFile.h).
bool replaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes);

// A chosen path split at its last separator ('/'; on Windows also '\\'): the directory with its
// trailing separator, and the file name. Either part may come back empty (a bare name, a path
// ending in a separator).
struct ChosenPath
{
    std::string directory;
    std::string fileName;
};
ChosenPath splitChosenPath(const std::string& path);

// The process's working directory with a trailing separator; empty when it cannot be read.
std::string currentDirectory();
