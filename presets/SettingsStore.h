#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small per-user settings store with registry-like keys ("SOFTWARE\...")
// holding named, typed values. Kept as a human-readable text file; every
// write replaces the file atomically under a lock, so two instances can write
// at the same time. A missing, unreadable or damaged file reads as missing
// values. Host and editor threads only: it allocates and does file I/O.
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
    using Keys = std::map<std::string, Values>;

    explicit SettingsStore(std::filesystem::path file);

    // The user's store: $AMBERLIT_CONFIG_DIR/settings.ini if that is set,
    // else $XDG_CONFIG_HOME (default ~/.config)/TRV-sonikwerk/settings.ini.
    static SettingsStore forUser();
    static std::filesystem::path userFile();

    const std::filesystem::path& file() const { return path; }

    bool hasKey(std::string_view key) const;
    std::optional<SettingValue> read(std::string_view key, std::string_view name) const;
    // All values of a key from one reading of the file, so they come from a single write.
    std::optional<Values> readKey(std::string_view key) const;

    // Copies the stored bytes (a string with its terminator) into `buffer`,
    // like a registry query: a value longer than `capacity` is not copied.
    // `size` receives the stored size when not null.
    QueryStatus query(std::string_view key, std::string_view name, void* buffer, std::size_t capacity,
                      std::size_t* size = nullptr) const;

    // Creates the key if needed and sets the values, all in one replacement
    // of the file. Returns 0 or an errno value.
    int write(std::string_view key, const std::vector<std::pair<std::string, SettingValue>>& values);
    int write(std::string_view key, std::string_view name, const SettingValue& value);

    // Whole-file text form, exposed for tests and tools.
    static std::string format(const Keys& keys);
    static Keys parse(std::string_view text);

  private:
    Keys load() const;
    int replaceFile(const Keys& keys) const;

    std::filesystem::path path;
};
