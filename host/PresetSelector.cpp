#include "host/PresetSelector.h"

#include "plugin/AutoComp.h"
#include "engine/ParameterTable.h"
#include "presets/FactoryPresets.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace host
{
namespace
{

bool sameName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool isNumber(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// All twelve values, hidden ones at 0 as in a fresh program.
void applyFactoryPreset(PluginInstance& plugin, const FactoryPreset& preset)
{
    float values[params::kCount] = {};
    values[params::kProcess] = preset.process;
    values[params::kRatio] = preset.ratio;
    values[params::kTime] = preset.time;
    values[params::kCompression] = preset.compression;
    values[params::kOutput] = preset.output;
    for (int i = 0; i < params::kCount; ++i)
        plugin.setParameter(i, values[i]);
}

int findIndex(const std::vector<std::string>& names, const std::string& choice)
{
    if (isNumber(choice))
    {
        const long number = std::strtol(choice.c_str(), nullptr, 10);
        return number < static_cast<long>(names.size()) ? static_cast<int>(number) : -1;
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameName(names[i], choice)) return static_cast<int>(i);
    return -1;
}

std::string listOf(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += "\n  " + std::to_string(i) + "  " + names[i];
    return text;
}

} // namespace

bool PresetSelector::isOurPlugin(const PluginInstance& plugin)
{
    return plugin.effect().uniqueID == AutoComp::kUniqueId;
}

std::vector<std::string> PresetSelector::names(const PluginInstance& plugin)
{
    std::vector<std::string> result;
    if (isOurPlugin(plugin))
    {
        for (const FactoryPreset& preset : kFactoryPresets)
            result.emplace_back(preset.name);
        return result;
    }
    for (int i = 0; i < plugin.programCount(); ++i)
    {
        std::string name = plugin.programName(i);
        result.push_back(name.empty() ? "program " + std::to_string(i) : name);
    }
    return result;
}

Status PresetSelector::apply(PluginInstance& plugin, const std::string& choice, std::string& chosen)
{
    const std::vector<std::string> available = names(plugin);
    const int index = findIndex(available, choice);
    if (index < 0)
    {
        if (available.empty()) return Status::failure("the plug-in has no presets");
        return Status::failure("unknown preset \"" + choice + "\"; choose one of:" + listOf(available));
    }
    chosen = available[static_cast<std::size_t>(index)];
    if (isOurPlugin(plugin))
        applyFactoryPreset(plugin, kFactoryPresets[static_cast<std::size_t>(index)]);
    else
        plugin.setProgram(index);
    return {};
}

} // namespace host
