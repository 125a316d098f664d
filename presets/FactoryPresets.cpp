#include "presets/FactoryPresets.h"

#include <cstring>

int32_t findFactoryPreset(const char* name)
{
    for (int32_t i = 0; i < kNumFactoryPresets; ++i)
    {
        if (std::strcmp(kFactoryPresets[static_cast<std::size_t>(i)].name, name) == 0)
        {
            return i;
        }
    }
    return -1;
}
