// Bank and preset files at Windows paths: saves replace a file whole or not at
// all, reads take files on disk only, chosen paths split at backslashes.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "presets/BankFile.h"
#include "presets/FileIO.h"
#include "presets/PresetFiles.h"
#include "tests/files/PresetTestEffect.h"

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

class FileAccess : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
        dir = std::string(temp) + "amberlit-files-" + std::to_string(::GetCurrentProcessId()) + "\\";
        fs::remove_all(dir);
        ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    }
    void TearDown() override { fs::remove_all(dir); }

    Bytes read(const std::string& path)
    {
        Bytes bytes;
        EXPECT_TRUE(readFileHead(path, 1 << 16, bytes)) << path;
        return bytes;
    }
    std::size_t entries() const
    {
        return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    }

    std::string dir; // a Windows path with backslashes, ending in one
};

TEST_F(FileAccess, SaveReplacesTheWholeFileAndLeavesNothingBeside)
{
    const std::string target = dir + "bank.trb";
    ASSERT_TRUE(replaceFileContents(target, Bytes(3000, 1)));
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(replaceFileContents(target, Bytes{9, 9}));
    EXPECT_EQ(read(target), (Bytes{9, 9}));
    EXPECT_EQ(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN))
        << "the target keeps its attributes";
    EXPECT_EQ(entries(), 1u) << "no temporary file is left behind";
}

TEST_F(FileAccess, FailedSavesLeaveTheOldFileIntact)
{
    const std::string target = dir + "old.trp";
    ASSERT_TRUE(replaceFileContents(target, Bytes(77, 7)));
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(replaceFileContents(target, Bytes{1}));
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(read(target), Bytes(77, 7));
    EXPECT_FALSE(replaceFileContents(dir + "no-such-folder\\x.trp", Bytes{1}));
    EXPECT_FALSE(replaceFileContents(dir, Bytes{1})) << "a folder is not replaced";
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileAccess, ReadsTakeFilesOnDiskOnly)
{
    Bytes bytes;
    EXPECT_FALSE(readFileHead(dir, 100, bytes)) << "a folder";
    EXPECT_FALSE(readFileHead(dir + "absent.trb", 100, bytes));
    EXPECT_FALSE(readFileHead("NUL", 100, bytes)) << "a device";
    // Another program may hold the file open for writing while we read it.
    const std::string path = dir + "open.trp";
    ASSERT_TRUE(replaceFileContents(path, Bytes(10, 3)));
    const HANDLE writer =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(read(path), Bytes(10, 3));
    ::CloseHandle(writer);
}

TEST_F(FileAccess, ChosenPathsSplitAtTheLastSeparator)
{
    const struct
    {
        const char* path;
        const char* directory;
        const char* fileName;
    } cases[] = {
        {"C:\\Presets\\Drums\\kick.trp", "C:\\Presets\\Drums\\", "kick.trp"},
        {"Z:/tmp/mixed\\bank.trb", "Z:/tmp/mixed\\", "bank.trb"},
        {"C:\\bank.trb", "C:\\", "bank.trb"},
        {"bank.trb", "", "bank.trb"},
        {"C:\\Presets\\", "C:\\Presets\\", ""},
    };
    for (const auto& c : cases)
    {
        const ChosenPath parts = splitChosenPath(c.path);
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.fileName, c.fileName) << c.path;
    }
    const std::string working = currentDirectory();
    ASSERT_FALSE(working.empty());
    EXPECT_EQ(working.back(), '\\');
    EXPECT_EQ(working.find('/'), std::string::npos) << working;
}

TEST_F(FileAccess, ABankSavedAtABackslashPathLoadsBack)
{
    PresetTestEffect saver;
    saver.selectPreset(3);
    saver.renameCurrentPreset("Saved on Windows");
    ASSERT_TRUE(saveBankFile(saver, dir + "mine.trb").ok());
    EXPECT_EQ(read(dir + "mine.trb").size(), 1733u);

    PresetTestEffect loader;
    ASSERT_TRUE(loadBankFile(loader, dir + "mine.trb").ok());
    EXPECT_EQ(loader.name(3), "Saved on Windows");
}

// A file manager's drop or a dialog hands over UTF-8; the file named in any language opens.
TEST_F(FileAccess, FilesNamedInAnyLanguageLoadAndSaveAtTheirUtf8Paths)
{
    const std::wstring wideDir = fs::path(dir).wstring();
    fs::create_directories(wideDir + L"B\u00e4ss \u0411\u0430\u0441");
    const std::string folder = dir + "B\xC3\xA4ss \xD0\x91\xD0\xB0\xD1\x81\\";
    PresetTestEffect saver;
    ASSERT_TRUE(saveBankFile(saver, folder + "k\xC3\xB6r.trb").ok());
    EXPECT_TRUE(fs::exists(wideDir + L"B\u00e4ss \u0411\u0430\u0441\\k\u00f6r.trb")) << "under its real name";
    PresetTestEffect loader;
    EXPECT_TRUE(loadBankFile(loader, folder + "k\xC3\xB6r.trb").ok());
}

// The seed files were saved by the Linux build: Windows loads them and saves the same bytes.
TEST_F(FileAccess, FilesSavedOnLinuxLoadAndSaveAgainByteForByte)
{
    const std::string corpus = AMBERLIT_SOURCE_DIR "/tests/files/fuzz/corpus/";
    PresetTestEffect e;
    ASSERT_TRUE(loadBankFile(e, corpus + "factory.trb").ok());
    ASSERT_TRUE(saveBankFile(e, dir + "factory.trb").ok());
    EXPECT_EQ(read(dir + "factory.trb"), read(corpus + "factory.trb"));

    e.selectPreset(9);
    ASSERT_TRUE(loadPresetFile(e, corpus + "fastlim.trp").ok());
    ASSERT_TRUE(savePresetFile(e, dir + "fastlim.trp").ok());
    EXPECT_EQ(read(dir + "fastlim.trp"), read(corpus + "fastlim.trp"));
}

} // namespace
