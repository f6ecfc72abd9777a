#include "settings/SettingsFile.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include "support/ChildProcess.h"

#include <csignal>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace orvex {
namespace {

class SettingsFileLockTest : public testing::Test {
protected:
#ifndef _WIN32
    // What another process gets when it opens the file now.
    std::string openInAnotherProcess()
    {
        return test::runInChild([this] { return SettingsFile().open(path) ? "opened" : "refused"; });
    }
#endif

    test::ScratchDir files;
    std::string path = files.pathOf("config.cfg");
};

#ifndef _WIN32

TEST_F(SettingsFileLockTest, AnotherProcessCannotOpenTheFileUntilItIsClosed)
{
    SettingsFile holder;
    ASSERT_TRUE(holder.open(path));
    EXPECT_EQ(openInAnotherProcess(), "refused");
    holder.setInt("COM", 2);
    ASSERT_TRUE(holder.saveAndFlush());
    EXPECT_EQ(openInAnotherProcess(), "refused") << "the saved file is held as the old one was";
    ASSERT_TRUE(holder.saveAndClose());
    EXPECT_EQ(openInAnotherProcess(), "opened");
}

// A save that cannot be completed (here the file size limit stands in for a
// full disk) must leave the old file whole: a half-written config.cfg would
// lose the port settings for good.
TEST_F(SettingsFileLockTest, FailedSaveLeavesTheOldFileWholeAndHeld)
{
    const std::string old = "READ=1\n\rCOM=3\n\r";
    test::ScratchDir::writeFile(path, old);
    const std::string outcome = test::runInChild([this] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SettingsFile file;
        if (!file.open(path))
            return std::string("not opened");
        file.setString("OPERATOR", std::string(200, 'x'));
        const bool saved = file.saveAndFlush();
        return std::string(saved ? "saved" : "failed") + (file.isOpen() ? ", held" : ", let go") + ", others "
               + openInAnotherProcess();
    });
    EXPECT_EQ(outcome, "failed, held, others refused");
    EXPECT_EQ(test::ScratchDir::readFile(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.directory()), {}), 1) << "nothing left beside it";
}

TEST_F(SettingsFileLockTest, SaveThroughASymbolicLinkReplacesItsTargetAndKeepsThePermissions)
{
    const std::string target = files.write("real.cfg", "a=1\n\r");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink(target, path);
    SettingsFile file;
    ASSERT_TRUE(file.open(path));
    file.setInt("a", 2);
    ASSERT_TRUE(file.saveAndClose());
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(test::ScratchDir::readFile(target), "a=2\n\r");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

#endif

#ifdef _WIN32

// Another program's handle on the file; invalid when the open was refused.
HANDLE openedElsewhere(const std::string& path, DWORD sharing)
{
    return CreateFileW(test::ScratchDir::fromUtf8(path).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Another program holds the file open for reading and shares only reading, as
// a backup tool or an editor may: the settings cannot be held, but read. Once
// held, the file shares nothing, not even reading.
TEST_F(SettingsFileLockTest, FileHeldByAnotherHandleIsRefusedButReadsUntilItIsLetGo)
{
    test::ScratchDir::writeFile(path, "a=1\n");
    const HANDLE other = openedElsewhere(path, FILE_SHARE_READ);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    SettingsFile file;
    EXPECT_FALSE(file.open(path));
    EXPECT_TRUE(file.loadReadOnly(path));
    EXPECT_EQ(file.getInt("a"), 1);
    CloseHandle(other);

    ASSERT_TRUE(file.open(path));
    const HANDLE reader = openedElsewhere(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE)
        CloseHandle(reader);
}

TEST_F(SettingsFileLockTest, DeviceNamesAreNoSettingsFiles)
{
    SettingsFile file;
    EXPECT_FALSE(file.open("NUL"));
    EXPECT_FALSE(file.loadReadOnly("NUL"));
}

#endif

TEST_F(SettingsFileLockTest, SecondOpenInTheSameProcessFailsAndLeavesTheFileAlone)
{
    test::ScratchDir::writeFile(path, "a=1\n");
    {
        SettingsFile holder;
        ASSERT_TRUE(holder.open(path));
        SettingsFile second;
        EXPECT_FALSE(second.open(path));
        EXPECT_FALSE(second.saveAndClose());
    }
    // Read once the holder has let go: on Windows nobody may read it before.
    EXPECT_EQ(test::ScratchDir::readFile(path), "a=1\n");
}

TEST_F(SettingsFileLockTest, DestructionReleasesTheFile)
{
    {
        SettingsFile holder;
        ASSERT_TRUE(holder.open(path));
    }
    SettingsFile next;
    EXPECT_TRUE(next.open(path));
}

} // namespace
} // namespace orvex
