#include "editor/EditorScale.h"

#include "presets/PreferenceStore.h"

std::int32_t storedScaleChoice()
{
    const float value = readPreference(kEditorScalePreference, 0.0f);
    return value == 1.0f || value == 2.0f ? static_cast<std::int32_t>(value) : 0;
}

bool storeScaleChoice(std::int32_t scale)
{
    return writePreference(kEditorScalePreference, static_cast<float>(scale)) == 0;
}

std::int32_t chooseScale(std::int32_t storedChoice, std::int32_t desktopScale)
{
    if (storedChoice == 1 || storedChoice == 2) return storedChoice;
    return desktopScale == 2 ? 2 : 1;
}
