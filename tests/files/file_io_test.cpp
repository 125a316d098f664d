// Saving replaces a file whole or not at all; reading takes regular files only.
#include "presets/FileIO.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

class FileIO : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("amberlit-fileio-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Bytes read(const fs::path& p)
    {
        Bytes out;
        EXPECT_TRUE(readFileHead(p, 1 << 16, out));
        return out;
    }
    std::size_t entries() { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }

    fs::path dir;
};

TEST_F(FileIO, SaveReplacesTheTargetKeepingItsPermissionsAndLinks)
{
    const fs::path target = dir / "real.trp";
    ASSERT_TRUE(replaceFileContents(target, Bytes{1, 2, 3}));
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir / "link.trp");
    ASSERT_TRUE(replaceFileContents(dir / "link.trp", Bytes{9, 9}));
    EXPECT_TRUE(fs::is_symlink(dir / "link.trp"));
    EXPECT_EQ(read(target), (Bytes{9, 9}));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), 2u) << "no temporary file is left behind";
}

// A save killed midway leaves its temporary beside the target; the next save to that folder
// removes it, but not one a live save holds. A dangling link is written through to its target.
TEST_F(FileIO, StaleTemporariesGoAndDanglingLinksAreWrittenThrough)
{
    const fs::path stale = dir / ".old.trb.~amberlit-0123abcd";
    const fs::path live = dir / ".new.trb.~amberlit-89abcdef";
    const fs::path user = dir / ".notes.tmp";
    for (const fs::path& p : {stale, live, user})
        ASSERT_TRUE(replaceFileContents(p, Bytes{1}));
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const fs::path& p : {stale, live, user})
        ::utimensat(AT_FDCWD, p.c_str(), anHourAgo, 0);
    const int held = ::open(live.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    fs::create_symlink("target.trp", dir / "dangling.trp");
    ASSERT_TRUE(replaceFileContents(dir / "dangling.trp", Bytes{7}));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.trp"));
    EXPECT_EQ(read(dir / "target.trp"), (Bytes{7}));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(user));
    ::close(held);
}

TEST_F(FileIO, FailedSaveLeavesTheOldFileIntact)
{
    const fs::path target = dir / "old.trb";
    const Bytes old(100, 7);
    ASSERT_TRUE(replaceFileContents(target, old));
    // A child runs out of file size half way through the write, like a full disk.
    const pid_t child = ::fork();
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(replaceFileContents(target, Bytes(1733, 1)) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the failure is reported";
    EXPECT_EQ(read(target), old);
    EXPECT_EQ(entries(), 1u);

    fs::create_directory(dir / "sub.trb");
    EXPECT_FALSE(replaceFileContents(dir / "sub.trb", Bytes{1})) << "a directory is not replaced";
}

TEST_F(FileIO, ReadingRefusesPipesAndFoldersWithoutWaiting)
{
    const fs::path pipe = dir / "pipe.trb";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Bytes bytes;
    EXPECT_FALSE(readFileHead(pipe, 100, bytes)) << "a pipe nobody writes to";
    EXPECT_FALSE(readFileHead(dir, 100, bytes));
    EXPECT_EQ(errno, EISDIR);
}

} // namespace
