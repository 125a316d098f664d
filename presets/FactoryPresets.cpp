#include "presets/FactoryPresets.h"

#include "engine/ParameterTable.h"

static_assert(params::kCount == 12);

std::array<float, 12> factoryPresetValues(const FactoryPreset& preset)
{
    std::array<float, 12> values{};
    values[params::kProcess] = preset.process;
    values[params::kRatio] = preset.ratio;
    values[params::kTime] = preset.time;
    values[params::kCompression] = preset.compression;
    values[params::kOutput] = preset.output;
    return values;
}
