#include "presets/PreferenceStore.h"

#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "presets/SettingsStore.h"

// Stored least significant byte first, as the float's own bytes on this machine.
static_assert(std::endian::native == std::endian::little);

int32_t writePreference(const char* name, float value)
{
    return SettingsStore::forUser()->write(kPreferencesKey, name,
                                           SettingValue::binaryOf(&value, sizeof value));
}

int32_t writePreferences(std::span<const Preference> preferences, int lockWaitMs)
{
    std::vector<std::pair<std::string, SettingValue>> values;
    for (const Preference& preference : preferences)
    {
        values.emplace_back(preference.name,
                            SettingValue::binaryOf(&preference.value, sizeof preference.value));
    }
    const std::unique_ptr<SettingsStore> store = SettingsStore::forUser();
    store->setLockWait(lockWaitMs);
    return store->write(kPreferencesKey, values);
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
