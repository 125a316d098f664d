// Memo slots: stored by one instance, recalled by another; damaged slots recall what is sound;
// concurrent stores never leave a mixed slot.
#include "PresetTestEffect.h"
#include "presets/MemoSlots.h"
#include "presets/PreferenceStore.h"
#include "presets/SettingsStore.h"
#include "tests/support/SettingsSandbox.h"

#include <bit>
#include <gtest/gtest.h>
#include <limits>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace
{

SettingValue floatBytes(float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    const unsigned char b[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                static_cast<unsigned char>(bits >> 16),
                                static_cast<unsigned char>(bits >> 24)};
    return SettingValue::binaryOf(b, 4);
}

class MemoSlots : public ::testing::Test
{
  protected:
    void SetUp() override { hostLog() = {}; }

    static void setAll(PresetTestEffect& e, float base)
    {
        for (int i = 0; i < 12; ++i)
            e.setParameter(i, base + 0.01f * float(i));
    }

    SettingsSandbox settings; // each case gets its own, empty store
};

TEST_F(MemoSlots, AnotherInstanceRecallsValuesAndName)
{
    PresetTestEffect first;
    first.selectPreset(4);
    setAll(first, 0.3f);
    first.renameCurrentPreset("Bass DI");
    ASSERT_EQ(first.storeMemoB(), 0);
    const auto store = SettingsStore::forUser();
    EXPECT_EQ(store->read(kMemoBKey, "param  4"), floatBytes(first.current[4]));
    EXPECT_EQ(store->read(kMemoBKey, "param 11"), floatBytes(first.current[11]));
    EXPECT_EQ(store->read(kMemoBKey, "name"), SettingValue::stringOf("Bass DI"));

    PresetTestEffect second;
    second.selectPreset(10);
    hostLog() = {};
    ASSERT_EQ(second.recallMemoB(), 0);
    EXPECT_EQ(second.getCurrentPreset(), 10) << "a recall overwrites the current preset";
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_EQ(second.current[i], first.current[i]) << i;
        EXPECT_EQ(second.value(10, i), first.current[i]) << i;
        EXPECT_EQ(second.value(0, i), first.current[i]) << i;
    }
    EXPECT_EQ(second.name(10), "Bass DI");
    EXPECT_EQ(second.name(0), "Bass DI");
    EXPECT_EQ(hostLog().automations, 12);
    EXPECT_EQ(hostLog().displayUpdates, 1);
}

TEST_F(MemoSlots, NeverStoredSlotChangesNothing)
{
    PresetTestEffect e;
    e.selectPreset(7);
    const auto before = e.current;
    hostLog() = {};
    EXPECT_NE(e.recallMemoA(), 0);
    EXPECT_EQ(e.current, before);
    EXPECT_EQ(e.name(7), "CompressHeavy2");
    EXPECT_EQ(hostLog().automations + hostLog().displayUpdates, 0);
}

TEST_F(MemoSlots, DamagedValuesAreSkippedAndTheRestRecalledClamped)
{
    const auto store = SettingsStore::forUser();
    std::vector<std::pair<std::string, SettingValue>> values;
    for (int i = 0; i < 12; ++i)
        values.emplace_back(memoValueName(i), floatBytes(0.9f));
    values[3].second = SettingValue::binaryOf("\1\2\3\4\5\6\7\10", 8);
    values[4].second = SettingValue::binaryOf("\1\2", 2);
    values[5].second = SettingValue::stringOf("abc"); // four bytes with its terminator
    values[7].second = floatBytes(std::numeric_limits<float>::quiet_NaN());
    values[8].second = floatBytes(-std::numeric_limits<float>::infinity());
    values[9].second = floatBytes(std::numeric_limits<float>::infinity());
    values[10].second = floatBytes(5.0f);
    values.erase(values.begin() + 6);
    ASSERT_EQ(store->write(kMemoAKey, values), 0);

    PresetTestEffect e;
    e.selectPreset(9);
    const auto before = e.current;
    ASSERT_EQ(e.recallMemoA(), 0);
    for (int i = 0; i < 12; ++i)
    {
        const float expected = i >= 3 && i <= 6    ? before[i]
                               : i == 7 || i == 8  ? 0.0f
                               : i == 9 || i == 10 ? 1.0f
                                                   : 0.9f;
        EXPECT_EQ(e.current[i], expected) << i;
    }
    EXPECT_EQ(hostLog().outOfRangeAutomations, 0) << "a value outside 0..1 reached the host";
    EXPECT_EQ(e.name(9), "FastLim") << "no stored name: the name stays";

    ASSERT_EQ(store->write(kMemoAKey, "name", SettingValue::stringOf("A name much longer than twenty-four")),
              0);
    ASSERT_EQ(e.recallMemoA(), 0);
    EXPECT_EQ(e.name(9), "A name much longer than ");
}

#ifndef _WIN32
TEST_F(MemoSlots, ConcurrentStoresLeaveOneWritersCompleteSlot)
{
    pid_t children[2];
    for (int w = 0; w < 2; ++w)
    {
        children[w] = ::fork();
        if (children[w] == 0)
        {
            PresetTestEffect e;
            setAll(e, w == 0 ? 0.1f : 0.6f);
            e.renameCurrentPreset(w == 0 ? "Writer zero" : "Writer one");
            int failures = 0;
            for (int n = 0; n < 40; ++n)
                failures += (e.storeMemoA() != 0) + (writePreference("VUreference", float(w)) != 0);
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children)
    {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    PresetTestEffect e;
    ASSERT_EQ(e.recallMemoA(), 0);
    const bool zero = e.name(0) == "Writer zero";
    EXPECT_TRUE(zero || e.name(0) == "Writer one") << e.name(0);
    for (int i = 0; i < 12; ++i)
        EXPECT_FLOAT_EQ(e.current[i], (zero ? 0.1f : 0.6f) + 0.01f * float(i)) << i;
    const float reference = readPreference("VUreference", -1000.0f);
    EXPECT_TRUE(reference == 0.0f || reference == 1.0f);
}

#endif

} // namespace
