#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where the memo slots and the meter preferences live: registry-like keys
// ("SOFTWARE\...") holding named, typed values, shared by every instance of
// the user. A text file on Linux (SettingsFile), the registry on Windows
// (RegistryStore). Host and editor threads only: it allocates and does I/O.
struct SettingValue
{
    enum class Type
    {
        binary,
        string
    };

    Type type = Type::binary;
    std::string bytes; // a string's characters without the terminator

    static SettingValue binaryOf(const void* data, std::size_t size);
    static SettingValue stringOf(std::string_view text);

    // Size as a registry reports it: a string counts its terminator.
    std::size_t storedSize() const { return bytes.size() + (type == Type::string ? 1 : 0); }

    bool operator==(const SettingValue&) const = default;
};

class SettingsStore
{
  public:
    enum class QueryStatus
    {
        ok,
        notFound,
        tooLarge
    };

    using Values = std::map<std::string, SettingValue>;

    virtual ~SettingsStore() = default;

    // The user's store on this system.
    static std::unique_ptr<SettingsStore> forUser();

    virtual std::optional<SettingValue> read(std::string_view key, std::string_view name) const = 0;
    // All values of a key from one reading, so they come from a single write.
    virtual std::optional<Values> readKey(std::string_view key) const = 0;

    // Creates the key if needed and sets the values in one write. Returns 0, or
    // the system's reason for a failure (an errno value, a registry status).
    virtual int write(std::string_view key,
                      const std::vector<std::pair<std::string, SettingValue>>& values) = 0;
    int write(std::string_view key, std::string_view name, const SettingValue& value);

    // How long a write may wait for another writer's lock, where the store
    // has one, before it fails: long by default, short where waiting would
    // stall a host, as while an instance is constructed.
    static constexpr int kDefaultLockWaitMs = 10000;
    virtual void setLockWait(int milliseconds) {}

    // Copies the stored bytes (a string with its terminator) into `buffer`,
    // like a registry query: a value longer than `capacity` is not copied.
    // `size` receives the stored size when not null.
    QueryStatus query(std::string_view key, std::string_view name, void* buffer, std::size_t capacity,
                      std::size_t* size = nullptr) const;
};
