#pragma once
// The skin bitmaps embedded in the library, by resource number and scale.

#include <span>
#include <vector>

namespace resources
{

// The complete BMP file (header included) of a 1x skin bitmap; an empty span
// for a number that is not part of the skin. The bytes live as long as the library.
std::span<const unsigned char> find(int id);

// The BMP file of a skin bitmap drawn at `scale` (1 or 2) device pixels per
// logical pixel, unpacked; empty for a number or scale the skin does not have.
std::vector<unsigned char> load(int id, int scale);

} // namespace resources
