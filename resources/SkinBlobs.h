#pragma once
// The embedded skin files; the table itself is generated with the artwork.

#include <cstddef>
#include <span>

namespace resources::detail
{

struct Blob
{
    int id;
    const unsigned char* data;
    std::size_t size;
};

std::span<const Blob> blobs();

} // namespace resources::detail
