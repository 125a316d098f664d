#pragma once
// The embedded skin files; the table itself is generated with the artwork.

#include <cstddef>
#include <span>

namespace resources::detail
{

struct Blob
{
    int id;
    int scale; // device pixels per logical pixel
    const unsigned char* data;
    std::size_t size;
    std::size_t rawSize; // the BMP's size once unpacked; 0 when stored as is
};

std::span<const Blob> blobs();

} // namespace resources::detail
