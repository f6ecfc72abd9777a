#include "settings/ProcedureSettings.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>

namespace orvex {
namespace {

class ProcedureSettingsTest : public testing::Test {
protected:
    void TearDown() override { setOpenFailureHandler(nullptr); }

    ProcedureSettings loadFrom(const std::string& bytes)
    {
        test::ScratchDir::writeFile(path, bytes);
        return loadProcedureSettings(file, path);
    }

    test::ScratchDir files;
    std::string path = files.pathOf("config.cfg");
    SettingsFile file;
};

TEST_F(ProcedureSettingsTest, MissingFileIsCreatedEmptyAndShutDownWritesTheEightKeysInOrder)
{
    const ProcedureSettings settings = loadProcedureSettings(file, path);
    EXPECT_EQ(test::ScratchDir::readFile(path), "");
    EXPECT_EQ(settings.toggles, (std::array<int, kProcedureStepCount>{}));
    EXPECT_EQ(settings.comIndex, 0);
    EXPECT_EQ(settings.portNumber(), 1);
    EXPECT_TRUE(settings.portDevices.empty());

    saveProcedureSettings(file, path, settings);
    EXPECT_EQ(test::ScratchDir::readFile(path),
              "READ=0\n\rPROGRAM=0\n\rRELOAD=0\n\rERASE=0\n\rTEST FF=0\n\rVERIFY=0\n\rDETECT=0\n\rCOM=1\n\r");
}

TEST_F(ProcedureSettingsTest, EachKeyFillsItsOwnStep)
{
    const ProcedureSettings settings =
        loadFrom("READ=7\nPROGRAM=6\nRELOAD=5\nERASE=4\nTEST FF=3\nVERIFY=2\nDETECT=1\n");
    EXPECT_EQ(settings.toggle(ProcedureStep::Read), 7);
    EXPECT_EQ(settings.toggle(ProcedureStep::Program), 6);
    EXPECT_EQ(settings.toggle(ProcedureStep::Reload), 5);
    EXPECT_EQ(settings.toggle(ProcedureStep::Erase), 4);
    EXPECT_EQ(settings.toggle(ProcedureStep::TestFF), 3);
    EXPECT_EQ(settings.toggle(ProcedureStep::Verify), 2);
    EXPECT_EQ(settings.toggle(ProcedureStep::Detect), 1);
}

TEST_F(ProcedureSettingsTest, ComValueSelectsThePortAndZeroOrNothingSelectsCom1)
{
    struct Case {
        const char* bytes;
        int comIndex;
    };
    for (const Case& c :
         {Case{"COM=3\n", 2}, Case{"COM=0\n", 0}, Case{"COM=\n", 0}, Case{"", 0}, Case{"COM=abc\n", 0},
          Case{"COM=7\n", 6}, Case{"COM=-2\n", -3}, Case{"COM=-99999999999\n", std::numeric_limits<int>::min()}}) {
        const ProcedureSettings settings = loadFrom(c.bytes);
        EXPECT_EQ(settings.comIndex, c.comIndex) << c.bytes;
        EXPECT_EQ(settings.portNumber(), c.comIndex + 1) << c.bytes;
    }
}

TEST_F(ProcedureSettingsTest, NoSelectedPortIsWrittenAsZeroAndReadsBackAsCom1)
{
    ProcedureSettings settings;
    settings.comIndex = -1;
    saveProcedureSettings(file, path, settings);
    EXPECT_NE(test::ScratchDir::readFile(path).find("COM=0\n\r"), std::string::npos);
    EXPECT_EQ(loadProcedureSettings(file, path).portNumber(), 1);
}

TEST_F(ProcedureSettingsTest, LoadRewritesTheFileInWrittenFormWithItsOwnLines)
{
    loadFrom("read = 1\r\n\r\n  com=2 \r\nnote\r\n");
    EXPECT_EQ(test::ScratchDir::readFile(path), "read = 1\n\rcom=2\n\rnote\n\r");
}

TEST_F(ProcedureSettingsTest, DeviceKeysAreReadAndSavingKeepsEveryOtherLineInPlace)
{
    ProcedureSettings settings = loadFrom("# bench 2\r\nread = 1\r\nCOM2 DEVICE = /dev/ttyUSB0\r\n  com=2\r\nCOM3 "
                                          "DEVICE=\r\nTest ff=1\r\ncom4 device=/dev/ttyACM0\r\n");
    EXPECT_EQ(settings.portDevices, (std::map<int, std::string>{{2, "/dev/ttyUSB0"}, {4, "/dev/ttyACM0"}}));
    EXPECT_EQ(settings.toggle(ProcedureStep::Read), 1);
    EXPECT_EQ(settings.toggle(ProcedureStep::TestFF), 1);
    EXPECT_EQ(settings.comIndex, 1);

    settings.toggle(ProcedureStep::Read) = 0;
    settings.toggle(ProcedureStep::Program) = 1;
    settings.comIndex = 3;
    saveProcedureSettings(file, path, settings);
    EXPECT_EQ(test::ScratchDir::readFile(path),
              "# bench 2\n\rREAD=0\n\rCOM2 DEVICE = /dev/ttyUSB0\n\rCOM=4\n\rCOM3 DEVICE=\n\rTEST FF=1\n\r"
              "com4 device=/dev/ttyACM0\n\rPROGRAM=1\n\rRELOAD=0\n\rERASE=0\n\rVERIFY=0\n\rDETECT=0\n\r");
}

TEST_F(ProcedureSettingsTest, PortDevicesAreReadWithoutCreatingRewritingOrLockingTheFile)
{
    int failures = 0;
    setOpenFailureHandler([&](const std::string&) { ++failures; });
    EXPECT_TRUE(readPortDevices(path).empty());
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string bytes = "COM=2\r\ncom2 device =  /dev/ttyUSB1 \r\n";
    test::ScratchDir::writeFile(path, bytes);
#ifndef _WIN32
    // The window holds its copy meanwhile. (On Windows that open shares
    // nothing, not even reading, and the COM ports need no device keys.)
    SettingsFile windowCopy(path);
#endif
    EXPECT_EQ(readPortDevices(path), (std::map<int, std::string>{{2, "/dev/ttyUSB1"}}));
    EXPECT_EQ(test::ScratchDir::readFile(path), bytes);

    std::filesystem::resize_file(path, std::uintmax_t{64} << 30);
    EXPECT_TRUE(readPortDevices(path).empty());
    EXPECT_EQ(failures, 0);
}

TEST_F(ProcedureSettingsTest, UnopenableFileGivesDefaultsAndIsNotWrittenAtShutDown)
{
    int failures = 0;
    setOpenFailureHandler([&](const std::string&) { ++failures; });
    const std::string bytes = "COM=3\nERASE=1\nCOM1 DEVICE=/dev/ttyUSB0\n";
    test::ScratchDir::writeFile(path, bytes);
#ifdef _WIN32
    // What the user may read but not write: a holder there would deny even
    // reading.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
#else
    SettingsFile otherCopy(path);
#endif

    const ProcedureSettings settings = loadProcedureSettings(file, path);
    EXPECT_EQ(settings.toggle(ProcedureStep::Erase), 0);
    EXPECT_EQ(settings.portNumber(), 1);
    // A file that is only readable still names the devices, or COM1 would
    // fall back to the machine's first serial port.
    EXPECT_EQ(settings.portDevices, (std::map<int, std::string>{{1, "/dev/ttyUSB0"}}));
    saveProcedureSettings(file, path, settings);
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(test::ScratchDir::readFile(path), bytes);
}

} // namespace
} // namespace orvex
