#pragma once
// Writing the skin: BMP files, the source file that embeds them, the PNG sheet.

#include <map>
#include <string>

#include "tools/skingen/Painter.h"

namespace skingen
{

// 24-bit uncompressed BMP, bottom-up rows padded to four bytes.
std::string encodeBmp(const Surface& s);
bool writeFile(const std::string& path, const std::string& bytes);
// A C++ source that links every file into the library by resource number.
// It carries a hash of each file so that compiler caches notice new artwork.
std::string embedSource(const std::map<int, std::string>& files, const std::string& dir);

} // namespace skingen
