#include "ChildProcess.h"
#include "settings/ProgramDirectory.h"
#include "settings/SettingsPaths.h"
#include "support/ScratchDir.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace orvex {
namespace {

namespace fs = std::filesystem;

TEST(ProgramDirectoryFromCommandLine, CutsAtTheLastBackslashAfterTheOpeningQuote)
{
    EXPECT_EQ(programDirectoryFromCommandLine("\"C:\\Tools\\Orvex\\orvex.exe\""), "C:\\Tools\\Orvex");
    EXPECT_EQ(programDirectoryFromCommandLine("\"orvex.exe\""), "");
    EXPECT_EQ(programDirectoryFromCommandLine("\\orvex.exe"), "");
    EXPECT_EQ(programDirectoryFromCommandLine(""), "");
    // An argument with a backslash drags the cut into it.
    EXPECT_EQ(programDirectoryFromCommandLine("\"C:\\Tools\\orvex.exe\" D:\\fw\\a.hex"), "C:\\Tools\\orvex.exe\" D:\\fw");
}

class SettingsPathsTest : public testing::Test {
protected:
    void TearDown() override { setProgramDirectoryForTesting({}); }

    test::ScratchDir files;
};

TEST_F(SettingsPathsTest, DerivedDirectoryHoldsTheRunningProgram)
{
    deriveProgramDirectory();
    EXPECT_TRUE(fs::is_regular_file(fs::path(programDirectory()) / "settings_tests"));
}

TEST_F(SettingsPathsTest, WritableProgramDirectoryKeepsEverythingBesideTheProgram)
{
    setProgramDirectoryForTesting(files.directory());
    EXPECT_EQ(configFilePath(), files.directory() + "/config.cfg");
    EXPECT_EQ(recentFilesPath(), files.directory() + "/Latest.cfg");
    EXPECT_EQ(readBackSaveDirectory(), files.directory());
}

TEST_F(SettingsPathsTest, MissingProgramDirectoryIsKeptSoThatOpeningFailsVisibly)
{
    const std::string missing = files.pathOf("gone");
    setProgramDirectoryForTesting(missing);
    EXPECT_EQ(configFilePath(), missing + "/config.cfg");
}

TEST_F(SettingsPathsTest, ReadOnlyProgramDirectoryMovesTheFilesToTheUserConfiguration)
{
    const std::string installed = files.pathOf("bin");
    const std::string home = files.pathOf("home");
    fs::create_directory(installed);
    fs::create_directory(home);
    fs::permissions(installed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
    fs::permissions(home, fs::perms::all);
    fs::permissions(files.directory(), fs::perms::others_exec, fs::perm_options::add);

    const std::string seen = test::runInChild(
        [&] {
            setenv("HOME", home.c_str(), 1);
            QStandardPaths::setTestModeEnabled(true);
            setProgramDirectoryForTesting(installed);
            const bool created = fs::is_directory(settingsDirectory());
            return configFilePath() + "|" + recentFilesPath() + "|" + readBackSaveDirectory() + "|" +
                   (created ? "created" : "missing");
        },
        true);

    const std::string config = home + "/.qttest/config/settings_tests";
    EXPECT_EQ(seen, config + "/config.cfg|" + config + "/Latest.cfg|" + home + "|created");
}

} // namespace
} // namespace orvex
