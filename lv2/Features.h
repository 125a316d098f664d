#pragma once

#include <cstring>

#include <lv2/core/lv2.h>

namespace lv2feature
{

// The data of the host's feature `uri`, or null when the host does not offer it.
template <typename T> T* find(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
    {
        if (std::strcmp((*f)->URI, uri) == 0) return static_cast<T*>((*f)->data);
    }
    return nullptr;
}

} // namespace lv2feature
