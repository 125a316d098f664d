#pragma once
// Where the editor's scale comes from: the user's stored choice, else what
// the desktop asks for, else 1.

#include <cstdint>

// Stored beside the meter preferences; 1 or 2, anything else is no choice.
inline constexpr const char* kEditorScalePreference = "EditorScale";

// The stored choice, or 0 when there is none (missing or not 1 or 2).
std::int32_t storedScaleChoice();
// Stores the user's choice; false when the store refused it.
bool storeScaleChoice(std::int32_t scale);
// The first that applies: a stored choice of 1 or 2, the desktop's 2, else 1.
std::int32_t chooseScale(std::int32_t storedChoice, std::int32_t desktopScale);
