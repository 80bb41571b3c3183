#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "TestFiles.h"
#include "recording/SafeFileWriter.h"

namespace varlo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class SafeFileWriterTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSafeFileFaultForTesting(SafeFileFault::None); }

    static bool Save(const std::string& path, const std::string& bytes) {
        SafeFileWriter writer(path);
        return writer.Open() && writer.Write(bytes) && writer.Commit();
    }
    TempDir dir_;
};

TEST_F(SafeFileWriterTest, CreatesAndReplacesKeepingPermissions) {
    const std::string path = dir_.File("t.txt");
    ASSERT_TRUE(Save(path, "first"));
    EXPECT_EQ(ReadFile(path), "first");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(Save(path, "second"));
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 1u);  // no temporary file left behind
}

TEST_F(SafeFileWriterTest, WritesThroughASymbolicLink) {
    const std::string target = dir_.File("target.txt");
    const std::string link = dir_.File("link.txt");
    WriteFile(target, "old");
    fs::create_symlink("target.txt", link);
    ASSERT_TRUE(Save(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "new");
}

TEST_F(SafeFileWriterTest, RefusesWhatCannotBeAFile) {
    const std::string plain = dir_.File("plain");
    WriteFile(plain, "x");
    EXPECT_FALSE(Save(plain + "/below.txt", "data"));
    EXPECT_FALSE(Save(dir_.Path().string(), "data"));
    EXPECT_FALSE(Save("", "data"));
    EXPECT_EQ(ReadFile(plain), "x");
}

TEST_F(SafeFileWriterTest, DevicesAndPipesAreWrittenThroughNotReplaced) {
    // A new file put in its place would replace the pipe itself (and, for
    // a device node such as /dev/null, the device).
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadFile(fifo); });
    const bool saved = Save(fifo, "through the pipe");
    reader.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 1u);
}

TEST_F(SafeFileWriterTest, AFailedWriteLeavesTheOldFileAsItWas) {
    const std::string path = dir_.File("t.txt");
    WriteFile(path, "precious");
    SetSafeFileFaultForTesting(SafeFileFault::WriteFails);
    EXPECT_FALSE(Save(path, "replacement"));
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 1u);
    {
        SetSafeFileFaultForTesting(SafeFileFault::None);
        SafeFileWriter abandoned(path);
        ASSERT_TRUE(abandoned.Open());
        abandoned.Write("half");
    }
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 1u);
}

TEST_F(SafeFileWriterTest, WithoutATemporaryFileTheSaveIsRefusedNotWrittenInPlace) {
    // Written in place, a file is truncated or half new for as long as the
    // write lasts, and stays so should the program be killed meanwhile.
    SetSafeFileFaultForTesting(SafeFileFault::NoTemporaryFile);
    const std::string fresh = dir_.File("fresh.txt");
    SafeFileWriter none(fresh);
    EXPECT_FALSE(none.Open());
    EXPECT_EQ(none.Refusal(), "");
    EXPECT_FALSE(fs::exists(fresh));

    const std::string path = dir_.File("t.txt");
    WriteFile(path, "precious");
    SafeFileWriter refused(path);
    EXPECT_FALSE(refused.Open());
    EXPECT_NE(refused.Refusal().find("Its folder cannot be written"), std::string::npos)
        << refused.Refusal();
    EXPECT_FALSE(refused.Write("new"));
    EXPECT_FALSE(refused.Commit());
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_EQ(testing::EntryCount(dir_.Path()), 1u);
}

}  // namespace
}  // namespace varlo
