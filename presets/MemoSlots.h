#pragma once
// The two memo slots: one complete setting each (twelve values and a name) kept in the user's
// settings store, so any instance can recall what another stored, also after a restart.

#include "shell/host_interface.h"

#include <string>

class CPresetSystemEffect;
class SettingsStore;

enum class MemoSlot
{
    a,
    b
};

inline constexpr const char* kMemoAKey = "SOFTWARE\\TRV-sonikwerk\\TRVAL1\\MemoA";
inline constexpr const char* kMemoBKey = "SOFTWARE\\TRV-sonikwerk\\TRVAL1\\MemoB";
inline constexpr const char* kMemoNameValue = "name";

const char* memoKey(MemoSlot slot);
// "param  0" .. "param 11": the index right-aligned in three characters.
std::string memoValueName(int index);

// Writes the effect's twelve current values and the current preset's name in one replacement of
// the store. Returns 0 or the store's failure status; nobody is told of a failure.
VstInt32 storeMemo(CPresetSystemEffect& effect, SettingsStore& store, MemoSlot slot);

// Applies each stored value as an automated change, then the name, then updates the host's
// display. A value that is missing or not 4 binary bytes is skipped; a missing name leaves the
// name as it is. A slot never stored changes nothing. Returns 0, or ENOENT for a missing slot.
VstInt32 recallMemo(CPresetSystemEffect& effect, const SettingsStore& store, MemoSlot slot);
