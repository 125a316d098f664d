#include "host/own/OwnPlugin.h"

#include "engine/ParameterTable.h"
#include "plugin/AutoComp.h"
#include "presets/FactoryPresets.h"

namespace host::own
{
namespace
{

std::string shown(const char* text)
{
    return text[0] == ' ' && text[1] == '\0' ? std::string() : std::string(text);
}

// Names and display texts of every parameter, probed at a few values and
// restored: the parameter table this tool was built with, seen through the
// module.
bool hasOurParameters(PluginInstance& plugin)
{
    for (int i = 0; i < params::kCount; ++i)
    {
        if (plugin.parameterName(i) != shown(params::name(i))) return false;
        const float kept = plugin.parameter(i);
        bool same = true;
        for (float probe : {0.0f, 0.37f, 0.5f, 1.0f})
        {
            plugin.setParameter(i, probe);
            char text[params::kTextSize];
            params::display(i, probe, text);
            same = same && plugin.parameterDisplay(i) == shown(text);
        }
        plugin.setParameter(i, kept);
        if (!same) return false;
    }
    return true;
}

} // namespace

bool recognises(PluginInstance& plugin)
{
    const AEffect& effect = plugin.effect();
    return effect.uniqueID == AutoComp::kUniqueId && effect.numParams == params::kCount &&
           effect.numPrograms == 1 && plugin.effectName() == AutoComp::kEffectName &&
           plugin.vendorString() == AutoComp::kVendorString &&
           plugin.productString() == AutoComp::kProductString && hasOurParameters(plugin);
}

std::vector<std::string> factoryPresetNames()
{
    std::vector<std::string> names;
    names.reserve(std::size(kFactoryPresets));
    for (const FactoryPreset& preset : kFactoryPresets)
        names.emplace_back(preset.name);
    return names;
}

void applyFactoryPreset(PluginInstance& plugin, int index)
{
    const std::array<float, 12> values =
        factoryPresetValues(kFactoryPresets[static_cast<std::size_t>(index)]);
    for (int i = 0; i < params::kCount; ++i)
        plugin.setParameter(i, values[static_cast<std::size_t>(i)]);
}

double makeupDb(const PluginInstance& plugin)
{
    return params::outputDisplayValue(plugin.parameter(params::kOutput));
}

} // namespace host::own
