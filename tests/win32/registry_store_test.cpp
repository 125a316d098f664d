// The registry store: where memo slots and preferences land, the fallback to
// the machine's values, failures reported, and stores that do not mix.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "plugin/AutoComp.h"
#include "presets/MemoSlots.h"
#include "presets/PreferenceStore.h"
#include "presets/SettingsStore.h"
#include "tests/files/PresetTestEffect.h"
#include "tests/support/SettingsSandbox.h"

namespace
{

struct StoredValue
{
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    std::string bytes;
};

StoredValue queryRegistry(HKEY root, const char* key, const char* name)
{
    StoredValue value;
    HKEY opened = nullptr;
    value.status = ::RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened);
    if (value.status != ERROR_SUCCESS) return value;
    char buffer[256];
    DWORD size = sizeof buffer;
    value.status =
        ::RegQueryValueExA(opened, name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &size);
    if (value.status == ERROR_SUCCESS) value.bytes.assign(buffer, size);
    ::RegCloseKey(opened);
    return value;
}

void writeRegistry(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY opened = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(opened);
}

std::string floatBytes(float value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class RegistryStoreTest : public ::testing::Test
{
  protected:
    SettingsSandbox settings;
};

TEST_F(RegistryStoreTest, AMemoGoesUnderTheCurrentUserWithTheRegistryTypes)
{
    PresetTestEffect effect;
    effect.selectPreset(16); // "Kick"
    effect.setParameter(5, 0.25f);
    ASSERT_EQ(effect.storeMemoA(), 0);
    for (int i = 0; i < 12; ++i)
    {
        const StoredValue value = queryRegistry(HKEY_CURRENT_USER, kMemoAKey, memoValueName(i).c_str());
        ASSERT_EQ(value.status, ERROR_SUCCESS) << i;
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY)) << i;
        EXPECT_EQ(value.bytes, floatBytes(effect.current[i])) << i;
    }
    const StoredValue name = queryRegistry(HKEY_CURRENT_USER, kMemoAKey, "name");
    EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name.bytes, std::string("Kick", 5)) << "with its terminator";
    EXPECT_NE(queryRegistry(HKEY_LOCAL_MACHINE, kMemoAKey, "name").status, ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, ValuesOfTheMachineAreFoundWhereTheUserHasNone)
{
    const float reference = -20.0f;
    writeRegistry(HKEY_LOCAL_MACHINE, kPreferencesKey, "VUreference", REG_BINARY, &reference, 4);
    const float hold = 3.0f;
    writeRegistry(HKEY_CURRENT_USER, kPreferencesKey, "PPMhold", REG_BINARY, &hold, 4);
    EXPECT_EQ(readPreference("VUreference", -1000.0f), -20.0f);
    EXPECT_EQ(readPreference("PPMhold", -1000.0f), 3.0f);

    // The defaults an instance writes for the user do not hide the machine's value.
    {
        PresetTestEffect effect;
        ASSERT_EQ(writePreference("VUtimeConst", 0.6f), 0);
    }
    EXPECT_EQ(readPreference("VUreference", -1000.0f), -20.0f);

    // A memo slot comes whole from one root: the user's once there is one.
    const float machineValue = 0.75f;
    writeRegistry(HKEY_LOCAL_MACHINE, kMemoBKey, "param  5", REG_BINARY, &machineValue, 4);
    writeRegistry(HKEY_LOCAL_MACHINE, kMemoBKey, "name", REG_SZ, "Machine", 8);
    PresetTestEffect effect;
    ASSERT_EQ(effect.recallMemoB(), 0);
    EXPECT_EQ(effect.current[5], 0.75f);
    EXPECT_EQ(effect.name(0), "Machine");
    effect.setParameter(5, 0.5f);
    effect.renameCurrentPreset("Mine");
    ASSERT_EQ(effect.storeMemoB(), 0);
    effect.setParameter(5, 0.1f);
    ASSERT_EQ(effect.recallMemoB(), 0);
    EXPECT_EQ(effect.current[5], 0.5f);
    EXPECT_EQ(effect.name(0), "Mine");
}

TEST_F(RegistryStoreTest, AStoreThatFailsReportsTheRegistryStatus)
{
    // A volatile vendor key cannot hold the lasting keys of the product.
    HKEY vendor = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, SettingsSandbox::kVendorKey, 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &vendor, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(vendor);
    PresetTestEffect effect;
    EXPECT_EQ(effect.storeMemoA(), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(writePreference("PPMhold", 2.0f), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(readPreference("PPMhold", 5.0f), 5.0f);
}

// Another process stopped while holding the store's lock must not stall a new instance.
TEST_F(RegistryStoreTest, ConstructionWaitsOnlyBrieflyBehindAnotherWriter)
{
    std::atomic<bool> held{false}, done{false};
    std::thread holder(
        [&]
        {
            const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Local\\TRV-sonikwerk.TRVAL1.settings");
            ::WaitForSingleObject(mutex, INFINITE);
            held = true;
            while (!done)
                ::Sleep(1);
            ::ReleaseMutex(mutex);
            ::CloseHandle(mutex);
        });
    while (!held)
        ::Sleep(1);
    const auto start = std::chrono::steady_clock::now();
    {
        AutoComp effect(nullptr);
        EXPECT_EQ(effect.getMeterPreferences().ppmHold, 1.0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(queryRegistry(HKEY_CURRENT_USER, kPreferencesKey, "PPMhold").status, ERROR_SUCCESS)
        << "nothing is stored without the lock";
    done = true;
    holder.join();
}

// Writers of one value each would leave a slot mixed while two instances store;
// a recall must always see one instance's complete setting.
TEST_F(RegistryStoreTest, RecallsDuringConcurrentStoresSeeOneWritersCompleteSlot)
{
    std::atomic<int> writersLeft{2};
    auto store = [&](int writer, bool& ok)
    {
        PresetTestEffect e;
        for (int i = 0; i < 12; ++i)
            e.setParameter(i, (writer == 0 ? 0.1f : 0.6f) + 0.01f * float(i));
        e.renameCurrentPreset(writer == 0 ? "Writer zero" : "Writer one");
        ok = true;
        for (int n = 0; n < 60; ++n)
            ok = e.storeMemoA() == 0 && ok;
        --writersLeft;
    };
    bool ok[2] = {};
    std::thread first(store, 0, std::ref(ok[0]));
    std::thread second(store, 1, std::ref(ok[1]));
    int recalls = 0, mixed = 0;
    while (writersLeft > 0)
    {
        const auto values = SettingsStore::forUser()->readKey(kMemoAKey);
        if (!values || values->size() != 13) continue; // not stored yet
        ++recalls;
        const bool zero = values->at("name") == SettingValue::stringOf("Writer zero");
        for (int i = 0; i < 12; ++i)
            mixed +=
                values->at(memoValueName(i)).bytes != floatBytes((zero ? 0.1f : 0.6f) + 0.01f * float(i));
    }
    first.join();
    second.join();
    EXPECT_TRUE(ok[0] && ok[1]);
    EXPECT_GT(recalls, 0);
    EXPECT_EQ(mixed, 0) << "values of two writers in one slot, over " << recalls << " recalls";
}

} // namespace
