#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "plugin/AutoComp.h"
#include "presets/PreferenceStore.h"
#include "presets/SettingsFile.h"

namespace fs = std::filesystem;

namespace
{

// Each case gets an empty folder of its own; the preference functions find
// it through AMBERLIT_CONFIG_DIR.
class SettingsStoreTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("amberlit-settings-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        const char* previous = std::getenv("AMBERLIT_CONFIG_DIR");
        savedDir = previous ? previous : "";
        ::setenv("AMBERLIT_CONFIG_DIR", dir.c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("AMBERLIT_CONFIG_DIR", savedDir.c_str(), 1);
        fs::remove_all(dir);
    }
    SettingsFile store() const { return SettingsFile(dir / "settings.ini"); }
    void writeFile(const std::string& text) const
    {
        std::ofstream(dir / "settings.ini", std::ios::binary) << text;
    }
    std::string readFile() const
    {
        std::ifstream in(dir / "settings.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::string savedDir;
};

const char* const kKey = "SOFTWARE\\TRV-sonikwerk\\TRVAL1\\MemoA";

TEST_F(SettingsStoreTest, ValuesSurviveARoundTripInReadableText)
{
    const float value = -14.0f;
    const std::string awkward =
        std::string("quote \" backslash \\ tab\t newline\n high \xe9 zero ") + '\0' + "end";
    ASSERT_EQ(store().write(kKey, {{"param  0", SettingValue::binaryOf(&value, 4)},
                                   {"name", SettingValue::stringOf("Kick")},
                                   {"odd \"name\"", SettingValue::stringOf(awkward)}}),
              0);
    ASSERT_EQ(store().write(kPreferencesKey, "VUreference", SettingValue::binaryOf(&value, 4)), 0);

    const SettingsFile again = store();
    EXPECT_EQ(again.read(kKey, "param  0"), SettingValue::binaryOf(&value, 4));
    EXPECT_EQ(again.read(kKey, "name"), SettingValue::stringOf("Kick"));
    EXPECT_EQ(again.read(kKey, "odd \"name\""), SettingValue::stringOf(awkward));
    EXPECT_FALSE(again.read(kKey, "VUreference"));
    EXPECT_TRUE(again.hasKey(kPreferencesKey));
    EXPECT_FALSE(again.hasKey("SOFTWARE\\TRV-sonikwerk\\TRVAL1\\MemoB"));

    const std::string text = readFile();
    EXPECT_NE(
        text.find("[SOFTWARE\\TRV-sonikwerk\\TRVAL1\\Preferences]\n\"VUreference\" = binary 000060c1\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\"name\" = string \"Kick\"\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, QueriesFollowRegistrySizeRules)
{
    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    store().write(kKey, {{"four", SettingValue::binaryOf(eight, 4)},
                         {"eight", SettingValue::binaryOf(eight, 8)},
                         {"name", SettingValue::stringOf("Kick")},
                         {"long", SettingValue::stringOf(std::string(64, 'x'))}});
    const struct
    {
        const char* name;
        std::size_t capacity;
        SettingsStore::QueryStatus status;
        std::size_t size;
    } cases[] = {
        {"four", 4, SettingsStore::QueryStatus::ok, 4},
        {"eight", 4, SettingsStore::QueryStatus::tooLarge, 8},
        {"name", 64, SettingsStore::QueryStatus::ok, 5},
        {"name", 4, SettingsStore::QueryStatus::tooLarge, 5},
        {"long", 64, SettingsStore::QueryStatus::tooLarge, 65},
        {"missing", 64, SettingsStore::QueryStatus::notFound, 0},
    };
    for (const auto& c : cases)
    {
        char buffer[80] = {};
        std::size_t size = 0;
        EXPECT_EQ(store().query(kKey, c.name, buffer, c.capacity, &size), c.status) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
    }
    char name[64];
    store().query(kKey, "name", name, sizeof name);
    EXPECT_STREQ(name, "Kick");
}

TEST_F(SettingsStoreTest, DamagedFilesReadAsMissingValues)
{
    const std::string valid = "[" + std::string(kKey) + "]\n\"good\" = binary 0a0b\n";
    const std::string damaged[] = {
        std::string("\x00\xff\x13garbage\n", 12), "\"orphan\" = binary 00\n" + valid,
        valid + "\"bad hex\" = binary 0g\n",      valid + "\"odd digits\" = binary 012\n",
        valid + "\"open quote = string \"x\"\n",  valid + "\"unterminated\" = string \"x\n",
        valid + "\"escape\" = string \"\\q\"\n",  valid + "\"type\" = number 4\n",
        valid + "[]\n\"type\" = binary 00\n",     valid + "[" + kKey + "\n\"type\" = binary 00\n",
        valid.substr(0, valid.size() - 5),
    };
    for (const std::string& text : damaged)
    {
        writeFile(text);
        const SettingsFile s = store();
        for (const char* name :
             {"orphan", "bad hex", "odd digits", "open quote", "unterminated", "escape", "type"})
        {
            EXPECT_FALSE(s.read(kKey, name)) << name;
        }
        if (text.rfind(valid) != std::string::npos)
        {
            EXPECT_EQ(s.read(kKey, "good"), SettingValue::binaryOf("\x0a\x0b", 2));
        }
        // Writing over a damaged file works and keeps what could be read.
        EXPECT_EQ(store().write(kKey, "new", SettingValue::stringOf("ok")), 0);
        EXPECT_EQ(store().read(kKey, "new"), SettingValue::stringOf("ok"));
    }

    fs::remove(dir / "settings.ini");
    fs::create_directory(dir / "settings.ini"); // unreadable as a file
    EXPECT_FALSE(store().read(kKey, "good"));
    EXPECT_NE(store().write(kKey, "new", SettingValue::stringOf("x")), 0);
    EXPECT_FALSE(SettingsFile(dir / "missing" / "settings.ini").read(kKey, "good"));
}

// A write never loses what the file held: one it cannot read whole stays and the write fails,
// a damaged one is kept aside, a link stays a link, the mode stays, a read-only file stays, and
// temporaries of killed writers go.
TEST_F(SettingsStoreTest, AWriteLosesNothingTheFileHeld)
{
    const SettingValue value = SettingValue::stringOf("new");
    const std::string tooBig((1 << 20) + 1, '#');
    writeFile(tooBig);
    EXPECT_NE(store().write(kKey, "n", value), 0);
    EXPECT_EQ(readFile(), tooBig);

    const std::string damaged = "[" + std::string(kKey) + "]\n\"good\" = binary 0a\ngarbage\n";
    writeFile(damaged);
    EXPECT_EQ(store().write(kKey, "n", value), 0);
    std::ifstream aside(dir / "settings.ini.damaged", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), damaged);
    EXPECT_EQ(store().read(kKey, "good"), SettingValue::binaryOf("\x0a", 1));

    fs::rename(dir / "settings.ini", dir / "real.ini");
    fs::create_symlink("real.ini", dir / "settings.ini");
    fs::permissions(dir / "real.ini", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path leftover = dir / ".real.ini.~amberlit-ab12cd34";
    std::ofstream(leftover) << "left by a killed writer";
    fs::last_write_time(leftover, fs::last_write_time(leftover) - std::chrono::hours(1));
    EXPECT_EQ(store().write(kKey, "n", SettingValue::stringOf("through")), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "settings.ini"));
    EXPECT_EQ(store().read(kKey, "n"), SettingValue::stringOf("through"));
    EXPECT_EQ(fs::status(dir / "real.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(fs::exists(leftover));

    fs::permissions(dir / "real.ini", fs::perms::owner_read);
    EXPECT_NE(store().write(kKey, "n", value), 0);
    EXPECT_EQ(store().read(kKey, "n"), SettingValue::stringOf("through"));
}

// The clean-up of killed writers' temporaries takes no file a user keeps beside the settings,
// however old.
TEST_F(SettingsStoreTest, FilesOfTheUserBesideTheSettingsSurviveAWrite)
{
    const char* const names[] = {"settings.ini.backup", "settings.ini.old123", "settings.ini.Ab12Cd",
                                 "settings.ini~",       ".settings.ini.swp",   ".settings.ini.0123abcd.tmp",
                                 "settings.ini.bak.~1~"};
    for (const char* name : names)
    {
        std::ofstream(dir / name) << "mine";
        fs::last_write_time(dir / name, fs::last_write_time(dir / name) - std::chrono::hours(1));
    }
    ASSERT_EQ(store().write(kKey, "n", SettingValue::stringOf("v")), 0);
    for (const char* name : names)
    {
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
}

TEST_F(SettingsStoreTest, ConstructionWaitsOnlyBrieflyBehindAnotherWriter)
{
    const int fd = ::open((dir / "settings.ini.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    {
        AutoComp effect(nullptr);
        EXPECT_EQ(effect.getMeterPreferences().ppmHold, 1.0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(fs::exists(dir / "settings.ini")) << "nothing is stored without the lock";
    ::close(fd);
}

TEST_F(SettingsStoreTest, ConcurrentWritersLoseNoValue)
{
    constexpr int kWriters = 4;
    constexpr int kValuesEach = 25;
    auto writeAll = [this](int writer)
    {
        for (int i = 0; i < kValuesEach; ++i)
        {
            const std::string name = "w" + std::to_string(writer) + "v" + std::to_string(i);
            if (store().write(kKey, name, SettingValue::binaryOf(&i, sizeof i)) != 0)
            {
                return false;
            }
        }
        return true;
    };
    // Two processes, each with two threads, as two hosts with two instances.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const int firstWriter = child == 0 ? 2 : 0;
    bool ok[2] = {};
    std::thread other([&] { ok[1] = writeAll(firstWriter + 1); });
    ok[0] = writeAll(firstWriter);
    other.join();
    if (child == 0)
    {
        std::_Exit(ok[0] && ok[1] ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(ok[0] && ok[1]);

    const auto values = store().readKey(kKey);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size(), static_cast<std::size_t>(kWriters * kValuesEach));
    for (const auto& entry : fs::directory_iterator(dir))
    {
        const std::string file = entry.path().filename().string();
        EXPECT_TRUE(file == "settings.ini" || file == "settings.ini.lock") << "left over " << file;
    }
}

TEST_F(SettingsStoreTest, AnUnwritableStoreLeavesTheDefaultsInUse)
{
    std::ofstream(dir / "file") << "x";
    ::setenv("AMBERLIT_CONFIG_DIR", (dir / "file" / "sub").c_str(), 1);
    EXPECT_NE(writePreference("PPMhold", 3.0f), 0);
    EXPECT_EQ(readPreference("PPMhold", 5.0f), 5.0f);
    AutoComp effect(nullptr);
    EXPECT_EQ(effect.getMeterPreferences().ppmHold, 1.0);
}

} // namespace
