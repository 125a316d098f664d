#include "host/own/OwnPlugin.h"

#include "engine/ParameterTable.h"
#include "plugin/AutoComp.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/FactoryPresets.h"

namespace host::own
{
namespace
{

constexpr const char* kEffectName = "TRV amberLit";

bool hasOurPrograms(const PluginInstance& plugin)
{
    // The host sees program 0 only; it takes the name of whatever was loaded
    // into it, the other 23 keep the factory names.
    if (plugin.programCount() != 1) return false;
    for (int i = 1; i < CPresetSystemEffect::kNumPresets; ++i)
        if (plugin.programName(i) != kFactoryPresets[static_cast<std::size_t>(i)].name) return false;
    return true;
}

} // namespace

bool recognises(const PluginInstance& plugin)
{
    const AEffect& effect = plugin.effect();
    return effect.uniqueID == AutoComp::kUniqueId && effect.numParams == params::kCount &&
           plugin.effectName() == kEffectName && hasOurPrograms(plugin);
}

std::vector<std::string> factoryPresetNames()
{
    std::vector<std::string> names;
    for (const FactoryPreset& preset : kFactoryPresets)
        names.emplace_back(preset.name);
    return names;
}

void applyFactoryPreset(PluginInstance& plugin, int index)
{
    const std::array<float, 12> values = factoryPresetValues(kFactoryPresets[static_cast<std::size_t>(index)]);
    for (int i = 0; i < params::kCount; ++i)
        plugin.setParameter(i, values[static_cast<std::size_t>(i)]);
}

double makeupDb(const PluginInstance& plugin)
{
    return params::outputDisplayValue(plugin.parameter(params::kOutput));
}

} // namespace host::own
