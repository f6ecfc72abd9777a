#include "link/PortDeviceName.h"

#include <gtest/gtest.h>

using namespace orvex;

#ifdef _WIN32

// Windows names its serial ports itself; a device key in config.cfg changes
// nothing there.
TEST(PortDeviceName, ComNumberIsTheWindowsNameWhateverIsConfigured)
{
    const PortDeviceMap configured{{2, "/dev/ttyUSB0"}, {3, ""}};
    EXPECT_EQ(portDeviceName(1, configured), "COM1");
    EXPECT_EQ(portDeviceName(2, configured), "COM2");
    EXPECT_EQ(portDeviceName(12, {}), "COM12");
    EXPECT_EQ(portDeviceName(0, configured), "");
    EXPECT_EQ(portDeviceName(-3, configured), "");
}

#else

TEST(PortDeviceName, ConfiguredDeviceWinsOverTheDefault)
{
    const PortDeviceMap configured{{2, "/dev/ttyUSB0"}, {3, ""}};
    EXPECT_EQ(portDeviceName(2, configured), "/dev/ttyUSB0");
    EXPECT_EQ(portDeviceName(1, configured), "/dev/ttyS0");
    EXPECT_EQ(portDeviceName(3, configured), "/dev/ttyS2") << "an empty entry configures nothing";
    EXPECT_EQ(portDeviceName(4, {}), "/dev/ttyS3");
    EXPECT_EQ(portDeviceName(0, configured), "");
    EXPECT_EQ(portDeviceName(-3, configured), "");
}

#endif
