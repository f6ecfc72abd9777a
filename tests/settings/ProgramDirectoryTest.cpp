#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "settings/RecentFiles.h"
#include "settings/SettingsPaths.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "support/ChildProcess.h"

#include <QStandardPaths>
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

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
    EXPECT_EQ(programDirectoryFromCommandLine("\"C:\\Tools\\orvex.exe\" D:\\fw\\a.hex"),
              "C:\\Tools\\orvex.exe\" D:\\fw");
}

#ifdef _WIN32

// The program path at the start of the command line is quoted by Windows'
// own launchers (Explorer, cmd, CreateProcess callers that follow the rules),
// with a drive letter and backslashes.
TEST(ProgramDirectoryOnWindows, CommandLineGivesTheRunningProgramsFolderForTheSettingsFiles)
{
    deriveProgramDirectory();
    const std::string directory = programDirectory();
    setProgramDirectoryForTesting({});
    ASSERT_GE(directory.size(), 3u) << directory;
    EXPECT_EQ(directory.substr(1, 2), ":\\") << directory;
    EXPECT_TRUE(fs::is_regular_file(fs::path(directory) / "settings_tests.exe")) << directory;
    setProgramDirectoryForTesting(directory);
    EXPECT_EQ(configFilePath(), directory + "\\config.cfg");
    EXPECT_EQ(recentFilesPath(), directory + "\\Latest.cfg");
    setProgramDirectoryForTesting({});
}

#else

// POSIX permissions and a child process that runs as "nobody".
class SettingsPathsTest : public testing::Test {
protected:
    void TearDown() override { setProgramDirectoryForTesting({}); }

    // A program directory that "nobody" may read but not write, holding a
    // read-only config.cfg with these bytes when they are given.
    std::string readOnlyProgramDirectory(const std::optional<std::string>& configBytes = std::nullopt)
    {
        const std::string installed = files.pathOf("bin");
        fs::create_directory(installed);
        fs::create_directory(home);
        if (configBytes) {
            test::ScratchDir::writeFile(installed + "/config.cfg", *configBytes);
            fs::permissions(installed + "/config.cfg", fs::perms::owner_read | fs::perms::others_read);
        }
        fs::permissions(installed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                       | fs::perms::others_exec);
        fs::permissions(home, fs::perms::all);
        fs::permissions(files.directory(), fs::perms::others_exec, fs::perm_options::add);
        return installed;
    }

    // Runs work as "nobody", whose home is the scratch one, with Qt's test
    // folders so that the real user's configuration is never touched.
    std::string inChildOfNobody(const std::function<std::string()>& work) const
    {
        return test::runInChild(
            [&] {
                setenv("HOME", home.c_str(), 1);
                QStandardPaths::setTestModeEnabled(true);
                return work();
            },
            true);
    }

    std::string userConfiguration() const { return home + "/.qttest/config/settings_tests"; }

    static std::string presence(const std::string& path)
    {
        std::error_code error;
        return fs::exists(path, error) ? "present" : "missing";
    }

    test::ScratchDir files;
    std::string home = files.pathOf("home");
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

TEST_F(SettingsPathsTest, ReadOnlyProgramDirectoryMovesTheFilesToTheUserConfigurationOnlyOnceWritten)
{
    const std::string installed = readOnlyProgramDirectory();
    const std::string seen = inChildOfNobody([&] {
        setProgramDirectoryForTesting(installed);
        std::string found = configFilePath() + "|" + recentFilesPath() + "|" + readBackSaveDirectory();
        readPortDevices(configFilePath());
        found += "|" + presence(userConfiguration());
        SettingsFile procedureFile;
        loadProcedureSettings(procedureFile, configFilePath());
        RecentFiles().load(recentFilesPath());
        return found + "|" + presence(userConfiguration() + "/config.cfg") + "|"
               + presence(userConfiguration() + "/Latest.cfg");
    });
    EXPECT_EQ(seen, userConfiguration() + "/config.cfg|" + userConfiguration() + "/Latest.cfg|" + home
                        + "|missing|present|present");
}

TEST_F(SettingsPathsTest, FileAlreadyBesideAReadOnlyProgramIsReadThereAndSavesGoNowhereElse)
{
    const std::string installed = readOnlyProgramDirectory("COM1 DEVICE = /dev/ttyUSB7\r\n");
    const std::string seen = inChildOfNobody([&] {
        std::string reports;
        setOpenFailureHandler([&](const std::string& failedPath) { reports += " " + failedPath; });
        setProgramDirectoryForTesting(installed);
        std::string found = configFilePath() + "|" + recentFilesPath() + "|" + readBackSaveDirectory() + "|"
                            + readPortDevices(configFilePath())[1];
        SettingsFile procedureFile;
        saveProcedureSettings(procedureFile, configFilePath(), ProcedureSettings{});
        return found + "|" + presence(userConfiguration()) + "|refused" + reports;
    });
    EXPECT_EQ(seen, installed + "/config.cfg|" + userConfiguration() + "/Latest.cfg|" + installed
                        + "|/dev/ttyUSB7|missing|refused " + installed + "/config.cfg");
    EXPECT_EQ(test::ScratchDir::readFile(installed + "/config.cfg"), "COM1 DEVICE = /dev/ttyUSB7\r\n");
}

#endif

} // namespace
} // namespace orvex
