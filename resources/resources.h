#pragma once
// The skin bitmaps embedded in the library, by resource number.

#include <span>

namespace resources
{

// The complete BMP file (header included) of a skin bitmap; an empty span for
// a number that is not part of the skin. The bytes live as long as the library.
std::span<const unsigned char> find(int id);

} // namespace resources
