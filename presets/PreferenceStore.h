#pragma once

#include <cstdint>
#include <span>

// The product's key in the settings store, and its meter-preference subkey.
inline constexpr const char* kProductKey = "SOFTWARE\\TRV-sonikwerk\\TRVAL1";
inline constexpr const char* kPreferencesKey = "SOFTWARE\\TRV-sonikwerk\\TRVAL1\\Preferences";

// Stores one 32-bit float as a 4-byte binary value under kPreferencesKey.
// Returns 0 or the store's failure status (an errno value, a registry status).
int32_t writePreference(const char* name, float value);

// Several at once, in one write of the store, waiting at most `lockWaitMs`
// for another writer's lock.
struct Preference
{
    const char* name;
    float value;
};
int32_t writePreferences(std::span<const Preference> preferences, int lockWaitMs);

// The stored float, or `fallback` when the value is missing, longer than 4
// bytes or the store cannot be read. A shorter value replaces only the low
// bytes of the fallback, as the registry's query did.
float readPreference(const char* name, float fallback);
