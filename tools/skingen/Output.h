#pragma once
// Writing the skin: BMP files, the source file that embeds them, the PNG sheet.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tools/skingen/Painter.h"

namespace skingen
{

// 24-bit uncompressed BMP, bottom-up rows padded to four bytes.
std::string encodeBmp(const Surface& s);
bool writeFile(const std::string& path, const std::string& bytes);
// One embedded file: a bitmap of the skin at a drawing scale, as written to
// `fileName` (a packed file when `rawSize` is not 0).
struct SkinFile
{
    int id = 0;
    int scale = 1;
    std::string fileName;
    std::string bytes;
    std::size_t rawSize = 0; // the BMP's size before packing; 0 when stored as is
};

// Packs a BMP for embedding: every byte XORed with the one `distance` bytes
// earlier (a row above, or a film-strip frame above), then runs of zeros and
// of literal bytes. resources/ unpacks it. `distance` must be at least 1.
std::string packBmp(const std::string& bmp, std::size_t distance);

// A C++ source that links every file into the library by resource number.
// It carries a hash of each file so that compiler caches notice new artwork.
std::string embedSource(const std::vector<SkinFile>& files, const std::string& dir);

} // namespace skingen
