#include "presets/PreferenceStore.h"

#include <bit>
#include <cstring>

#include "presets/SettingsStore.h"

// Stored least significant byte first, as the float's own bytes on this machine.
static_assert(std::endian::native == std::endian::little);

int32_t writePreference(const char* name, float value)
{
    return SettingsStore::forUser()->write(kPreferencesKey, name,
                                           SettingValue::binaryOf(&value, sizeof value));
}

float readPreference(const char* name, float fallback)
{
    unsigned char buffer[sizeof(float)];
    std::memcpy(buffer, &fallback, sizeof buffer);
    if (SettingsStore::forUser()->query(kPreferencesKey, name, buffer, sizeof buffer) !=
        SettingsStore::QueryStatus::ok)
    {
        return fallback;
    }
    float value;
    std::memcpy(&value, buffer, sizeof value);
    return value;
}
