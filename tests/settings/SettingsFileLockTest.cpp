#include "support/ChildProcess.h"
#include "settings/SettingsFile.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

class SettingsFileLockTest : public testing::Test {
protected:
    // What another process gets when it opens the file now.
    std::string openInAnotherProcess()
    {
        return test::runInChild([this] { return SettingsFile().open(path) ? "opened" : "refused"; });
    }

    test::ScratchDir files;
    std::string path = files.pathOf("config.cfg");
};

TEST_F(SettingsFileLockTest, AnotherProcessCannotOpenTheFileUntilItIsClosed)
{
    SettingsFile holder;
    ASSERT_TRUE(holder.open(path));
    EXPECT_EQ(openInAnotherProcess(), "refused");
    ASSERT_TRUE(holder.saveAndClose());
    EXPECT_EQ(openInAnotherProcess(), "opened");
}

TEST_F(SettingsFileLockTest, SecondOpenInTheSameProcessFailsAndLeavesTheFileAlone)
{
    test::ScratchDir::writeFile(path, "a=1\n");
    SettingsFile holder;
    ASSERT_TRUE(holder.open(path));
    SettingsFile second;
    EXPECT_FALSE(second.open(path));
    EXPECT_FALSE(second.saveAndClose());
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
