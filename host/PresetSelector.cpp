#include "host/PresetSelector.h"

#include "host/NameMatch.h"
#include "host/own/OwnPlugin.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace host
{
namespace
{

bool isNumber(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

int findIndex(const std::vector<std::string>& names, const std::string& choice)
{
    if (isNumber(choice))
    {
        const long number = std::strtol(choice.c_str(), nullptr, 10);
        return number < static_cast<long>(names.size()) ? static_cast<int>(number) : -1;
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameNameIgnoringCase(names[i], choice)) return static_cast<int>(i);
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

bool PresetSelector::isOurPlugin(PluginInstance& plugin)
{
    return own::recognises(plugin);
}

std::vector<std::string> PresetSelector::names(PluginInstance& plugin)
{
    if (isOurPlugin(plugin)) return own::factoryPresetNames();
    std::vector<std::string> result;
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
        own::applyFactoryPreset(plugin, index);
    else
        plugin.setProgram(index);
    return {};
}

} // namespace host
