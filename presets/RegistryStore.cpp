#include "presets/RegistryStore.h"

#include <windows.h>

#include <string>

namespace
{

// Serialises the store's writers and whole-key readers across the session's processes.
constexpr const char* kLockName = "Local\\TRV-sonikwerk.TRVAL1.settings";

// HKEY_CURRENT_USER first: values stored by this user win over the machine's.
const HKEY kReadRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

class StoreLock
{
  public:
    // Waits at most `waitMs`: a process stopped while it holds the lock must not stall every
    // new instance. `held()` tells whether the wait ended with the lock.
    explicit StoreLock(int waitMs) : mutex(::CreateMutexA(nullptr, FALSE, kLockName))
    {
        // Without the mutex the store still works, value by value, as the registry does.
        if (!mutex) return;
        const DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(waitMs < 0 ? 0 : waitMs));
        // An owner that ended without releasing it leaves it abandoned, and ours.
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        {
            ::CloseHandle(mutex);
            mutex = nullptr;
            timedOut = waited == WAIT_TIMEOUT;
        }
    }
    ~StoreLock()
    {
        if (!mutex) return;
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool isTimedOut() const { return timedOut; }

  private:
    HANDLE mutex;
    bool timedOut = false;
};

class OpenKey
{
  public:
    OpenKey() = default;
    ~OpenKey()
    {
        if (key) ::RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    LSTATUS openForQuery(HKEY root, std::string_view path)
    {
        return ::RegOpenKeyExA(root, std::string(path).c_str(), 0, KEY_QUERY_VALUE, &key);
    }
    LSTATUS createForWrite(HKEY root, std::string_view path)
    {
        return ::RegCreateKeyExA(root, std::string(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_WRITE, nullptr, &key, nullptr);
    }
    HKEY get() const { return key; }

  private:
    HKEY key = nullptr;
};

// A string's stored bytes end in its terminator, which SettingValue leaves out.
SettingValue valueOf(DWORD type, std::string bytes)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {SettingValue::Type::binary, std::move(bytes)};
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    return {SettingValue::Type::string, std::move(bytes)};
}

std::optional<SettingValue> queryValue(HKEY key, const std::string& name)
{
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string bytes;
    // The value may grow between asking its size and reading it.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
    {
        bytes.resize(size);
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                                    &size);
        if (status == ERROR_SUCCESS)
        {
            bytes.resize(size);
            return valueOf(type, std::move(bytes));
        }
    }
    return std::nullopt;
}

SettingsStore::Values allValues(HKEY key)
{
    DWORD count = 0, longestName = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       nullptr, nullptr, nullptr);
    SettingsStore::Values values;
    std::string name(longestName + 1, '\0');
    for (DWORD i = 0;; ++i)
    {
        DWORD nameSize = static_cast<DWORD>(name.size());
        const LSTATUS status =
            ::RegEnumValueA(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
        {
            name.resize(name.size() * 2); // a value was added while we read
            --i;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        const std::string found(name.data(), nameSize);
        if (std::optional<SettingValue> value = queryValue(key, found)) values[found] = std::move(*value);
    }
    return values;
}

LSTATUS setValue(HKEY key, const std::string& name, const SettingValue& value)
{
    const bool text = value.type == SettingValue::Type::string;
    const std::string stored = text ? value.bytes + '\0' : value.bytes;
    return ::RegSetValueExA(key, name.c_str(), 0, text ? REG_SZ : REG_BINARY,
                            reinterpret_cast<const BYTE*>(stored.data()), static_cast<DWORD>(stored.size()));
}

} // namespace

std::unique_ptr<SettingsStore> SettingsStore::forUser()
{
    return std::make_unique<RegistryStore>();
}

std::optional<SettingValue> RegistryStore::read(std::string_view key, std::string_view name) const
{
    // Value by value: a default this user wrote must not hide the machine's other values.
    for (const HKEY root : kReadRoots)
    {
        OpenKey opened;
        if (opened.openForQuery(root, key) != ERROR_SUCCESS) continue;
        if (std::optional<SettingValue> value = queryValue(opened.get(), std::string(name))) return value;
    }
    return std::nullopt;
}

std::optional<SettingsStore::Values> RegistryStore::readKey(std::string_view key) const
{
    // Key by key: a memo slot is one setting, never a mix of two roots. A reader that
    // waited in vain reads as the registry allows, value by value.
    const StoreLock lock(lockWaitMs);
    for (const HKEY root : kReadRoots)
    {
        OpenKey opened;
        if (opened.openForQuery(root, key) == ERROR_SUCCESS) return allValues(opened.get());
    }
    return std::nullopt;
}

int RegistryStore::write(std::string_view key,
                         const std::vector<std::pair<std::string, SettingValue>>& values)
{
    // As on Linux, a writer that cannot get the lock in time stores nothing.
    const StoreLock lock(lockWaitMs);
    if (lock.isTimedOut()) return ERROR_TIMEOUT;
    OpenKey opened;
    if (const LSTATUS status = opened.createForWrite(HKEY_CURRENT_USER, key); status != ERROR_SUCCESS)
        return static_cast<int>(status);
    for (const auto& [name, value] : values)
        if (const LSTATUS status = setValue(opened.get(), name, value); status != ERROR_SUCCESS)
            return static_cast<int>(status);
    return 0;
}
