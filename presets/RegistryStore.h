#pragma once

#include "presets/SettingsStore.h"

// The settings store of Windows: the system registry, with the key paths,
// value names and value types of the settings (REG_BINARY, REG_SZ). Writes go
// under HKEY_CURRENT_USER, which every user may write; reads look there first
// and then under HKEY_LOCAL_MACHINE, where an administrator or an older
// installation may have stored values. Failures are registry status codes.
// Writes and whole-key reads hold a session-wide lock, so a memo slot never
// mixes the values of two instances storing at the same time; a write that
// cannot get it within the lock wait fails (ERROR_TIMEOUT).
class RegistryStore : public SettingsStore
{
  public:
    std::optional<SettingValue> read(std::string_view key, std::string_view name) const override;
    std::optional<Values> readKey(std::string_view key) const override;

    using SettingsStore::write;
    int write(std::string_view key, const std::vector<std::pair<std::string, SettingValue>>& values) override;

    void setLockWait(int milliseconds) override { lockWaitMs = milliseconds; }

  private:
    int lockWaitMs = kDefaultLockWaitMs;
};
