#include "presets/SettingsStore.h"

#include <cstring>

SettingValue SettingValue::binaryOf(const void* data, std::size_t size)
{
    return {Type::binary, std::string(static_cast<const char*>(data), size)};
}

SettingValue SettingValue::stringOf(std::string_view text)
{
    return {Type::string, std::string(text)};
}

int SettingsStore::write(std::string_view key, std::string_view name, const SettingValue& value)
{
    return write(key, {{std::string(name), value}});
}

SettingsStore::QueryStatus SettingsStore::query(std::string_view key, std::string_view name, void* buffer,
                                                std::size_t capacity, std::size_t* size) const
{
    const std::optional<SettingValue> value = read(key, name);
    if (!value)
    {
        return QueryStatus::notFound;
    }
    const std::size_t stored = value->storedSize();
    if (size)
    {
        *size = stored;
    }
    if (stored > capacity)
    {
        return QueryStatus::tooLarge;
    }
    std::memcpy(buffer, value->bytes.data(), value->bytes.size());
    if (value->type == SettingValue::Type::string)
    {
        static_cast<char*>(buffer)[value->bytes.size()] = '\0';
    }
    return QueryStatus::ok;
}
