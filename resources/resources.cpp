#include "resources/resources.h"

#include <cstdint>

#include "resources/SkinBlobs.h"

namespace resources
{

namespace
{

const detail::Blob* blobOf(int id, int scale)
{
    for (const detail::Blob& b : detail::blobs())
        if (b.id == id && b.scale == scale) return &b;
    return nullptr;
}

std::uint32_t read32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

// Undoes the generator's packing: runs of zeros and literals, then each byte
// XORed back with the one `distance` earlier. Empty if the data is damaged.
std::vector<unsigned char> unpack(const detail::Blob& b)
{
    if (b.size < 8) return {};
    const std::size_t size = read32(b.data), distance = read32(b.data + 4);
    if (size != b.rawSize || distance == 0) return {};
    std::vector<unsigned char> out;
    out.reserve(size);
    for (std::size_t i = 8; i < b.size;)
    {
        const unsigned control = b.data[i++];
        if (control >= 128)
        {
            out.insert(out.end(), control - 126, 0);
            continue;
        }
        const std::size_t count = control + 1;
        if (i + count > b.size) return {};
        out.insert(out.end(), b.data + i, b.data + i + count);
        i += count;
    }
    if (out.size() != size) return {};
    for (std::size_t i = distance; i < size; ++i)
        out[i] ^= out[i - distance];
    return out;
}

} // namespace

std::span<const unsigned char> find(int id)
{
    const detail::Blob* b = blobOf(id, 1);
    if (!b || b->rawSize != 0) return {};
    return {b->data, b->size};
}

std::vector<unsigned char> load(int id, int scale)
{
    const detail::Blob* b = blobOf(id, scale);
    if (!b) return {};
    if (b->rawSize == 0) return {b->data, b->data + b->size};
    return unpack(*b);
}

} // namespace resources
