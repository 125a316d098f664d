#include "resources/resources.h"

#include "resources/SkinBlobs.h"

namespace resources
{

std::span<const unsigned char> find(int id)
{
    for (const detail::Blob& b : detail::blobs())
        if (b.id == id) return {b.data, b.size};
    return {};
}

} // namespace resources
