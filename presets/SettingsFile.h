#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "presets/SettingsStore.h"

// The settings store of Linux: a human-readable text file; every write
// replaces the file atomically under a lock, so two instances can write at
// the same time. A missing, unreadable or damaged file reads as missing
// values, but nothing is lost to a write: a file that cannot be read whole
// fails the write and stays, a damaged one is first kept aside
// ("settings.ini.damaged"), a link is written through, the file keeps its
// mode, a read-only file is left alone, and temporaries of killed writers
// (and only those) are removed. Write failures are errno values.
class SettingsFile : public SettingsStore
{
  public:
    using Keys = std::map<std::string, Values>;

    explicit SettingsFile(std::filesystem::path file);

    // The user's file: $AMBERLIT_CONFIG_DIR/settings.ini if that is set,
    // else $XDG_CONFIG_HOME (default ~/.config)/TRV-sonikwerk/settings.ini.
    static std::filesystem::path userFile();

    const std::filesystem::path& file() const { return path; }

    bool hasKey(std::string_view key) const;
    std::optional<SettingValue> read(std::string_view key, std::string_view name) const override;
    std::optional<Values> readKey(std::string_view key) const override;

    using SettingsStore::write;
    int write(std::string_view key, const std::vector<std::pair<std::string, SettingValue>>& values) override;

    void setLockWait(int milliseconds) override { lockWaitMs = milliseconds; }

    // Whole-file text form, exposed for tests and tools. `damaged`, when
    // given, tells whether any line had to be skipped.
    static std::string format(const Keys& keys);
    static Keys parse(std::string_view text, bool* damaged = nullptr);

  private:
    struct Loaded
    {
        Keys keys;
        int error = 0; // the file exists but could not be read whole
        bool damaged = false;
    };
    Loaded load() const;
    int replaceFile(const Loaded& loaded) const;

    std::filesystem::path path;
    int lockWaitMs = kDefaultLockWaitMs;
};
