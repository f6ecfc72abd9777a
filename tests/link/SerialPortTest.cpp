#include "link/FrameLink.h"
#include "link/OpenFailure.h"
#include "link/SerialPort.h"
#include "sim/PseudoTerminal.h"
#include "support/ChildProcess.h"
#include "support/ScratchDir.h"
#include "support/Timing.h"
#include "support/TtyClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvex;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;
using test::Clock;
using test::millisecondsSince;
using test::threadCpuSeconds;

namespace {

constexpr int kBaud = 115200;

// Bytes written to the master reach the slave's queue after a short while.
int waitUntilQueued(SerialPort& port, int count)
{
    const auto start = Clock::now();
    while (port.bytesAvailable() < count && millisecondsSince(start) < 1000)
        port.waitForInput(50);
    return port.bytesAvailable();
}

} // namespace

class SerialPortOverPty : public ::testing::Test {
protected:
    sim::PseudoTerminal pty;
    // The far end of the line, where the unit would be.
    test::TtyClient unitEnd{pty.master()};
    SerialPort port;

    void openPort() { ASSERT_TRUE(port.openDevice(pty.slavePath(), kBaud)); }
};

TEST_F(SerialPortOverPty, OpeningAnOpenPortKeepsItAsItIs)
{
    openPort();
    EXPECT_TRUE(port.openDevice(pty.slavePath(), 9600));
    EXPECT_TRUE(port.isOpen());
    unitEnd.send(Bytes{1, 2, 3});
    EXPECT_EQ(waitUntilQueued(port, 3), 3);
}

TEST_F(SerialPortOverPty, OpenThroughTheConfiguredPortNumber)
{
    port.setDeviceMap({{4, pty.slavePath()}});
    EXPECT_TRUE(port.open(4, kBaud));
}

TEST_F(SerialPortOverPty, CloseIsAlwaysTrue)
{
    EXPECT_TRUE(port.close());
    openPort();
    EXPECT_TRUE(port.close());
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.close());
}

TEST_F(SerialPortOverPty, SendWritesEveryByteAndNothingForZero)
{
    openPort();
    const Bytes frame{0xAA, 0x55, 0x00, 0x00, 0x4E};
    EXPECT_EQ(port.send(nullptr, 0), 0);
    EXPECT_EQ(port.send(frame.data(), -1), 0);
    EXPECT_TRUE(unitEnd.receive(1, milliseconds(50)).empty());
    EXPECT_EQ(port.send(frame.data(), 5), 5);
    EXPECT_EQ(unitEnd.receive(frame.size() + 1, milliseconds(100)), frame);
}

TEST_F(SerialPortOverPty, ReadTakesAtMostMaxAndLeavesTheRest)
{
    openPort();
    std::uint8_t buffer[8]{};
    EXPECT_EQ(port.read(buffer, 8), 0) << "nothing waiting";
    unitEnd.send(Bytes{10, 11, 12, 13, 14});
    ASSERT_EQ(waitUntilQueued(port, 5), 5);
    EXPECT_EQ(port.read(buffer, 2), 2);
    EXPECT_EQ(buffer[0], 10);
    EXPECT_EQ(buffer[1], 11);
    EXPECT_EQ(port.bytesAvailable(), 3);
    EXPECT_EQ(port.read(buffer, 8), 3);
    EXPECT_EQ(buffer[2], 14);
}

TEST_F(SerialPortOverPty, ClosedPortTouchesNothing)
{
    std::uint8_t buffer[4]{1, 2, 3, 4};
    EXPECT_EQ(port.send(buffer, 4), 0);
    EXPECT_EQ(port.bytesAvailable(), 0);
    EXPECT_EQ(port.read(buffer, 4), 0);
    EXPECT_EQ(port.waitForInput(10), PortInput::Closed);
}

TEST_F(SerialPortOverPty, VanishedDeviceClosesThePort)
{
    openPort();
    pty.closeMaster();
    const auto start = Clock::now();
    while (port.isOpen() && millisecondsSince(start) < 1000)
        port.waitForInput(50);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.bytesAvailable(), 0);
}

TEST_F(SerialPortOverPty, GonePortEndsAReceiveAtOnceWithoutBurningACore)
{
    FrameLink link(port); // the full 5000 ms
    Frame rx;
    const auto receiveMs = [&] {
        const auto start = Clock::now();
        EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::PortClosed);
        return millisecondsSince(start);
    };
    const double cpuBefore = threadCpuSeconds();
    const auto neverOpenedMs = receiveMs();
    openPort();
    pty.closeMaster();
    const auto vanishedMs = receiveMs();
    const double cpuMs = (threadCpuSeconds() - cpuBefore) * 1000.0;
    std::printf("receive on a closed port: %lld ms, on a vanished one: %lld ms, %.2f ms CPU for both\n", neverOpenedMs,
                vanishedMs, cpuMs);
    EXPECT_LT(neverOpenedMs, 100);
    EXPECT_LT(vanishedMs, 100);
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(cpuMs, 50.0);
}

TEST_F(SerialPortOverPty, DrainEndsWhileTheLineNeverFallsSilent)
{
    openPort();
    std::atomic<bool> streaming = true;
    // Once the drain stops reading, the line fills up; the writer must still
    // see the flag, so it never waits on the line for long.
    std::thread chatter([&] {
        const Bytes burst(256, 0x5A);
        while (streaming)
            unitEnd.sendWithin(burst, milliseconds(10));
    });
    waitUntilQueued(port, 1);
    FrameLink link(port);
    const auto start = Clock::now();
    link.drainInput();
    const auto drainMs = millisecondsSince(start);
    streaming = false;
    chatter.join();
    EXPECT_LT(drainMs, 1000);
}

TEST_F(SerialPortOverPty, SilentUnitTimesOutAfterFiveSecondsWithoutBurningACore)
{
    openPort();
    FrameLink link(port);
    Frame rx;
    const double cpuBefore = threadCpuSeconds();
    const auto start = Clock::now();
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::NoReply);
    const auto elapsedMs = millisecondsSince(start);
    const double cpuSeconds = threadCpuSeconds() - cpuBefore;
    EXPECT_GE(elapsedMs, 5000);
    EXPECT_LT(elapsedMs, 5300);
    const double share = cpuSeconds / (static_cast<double>(elapsedMs) / 1000.0);
    RecordProperty("cpu_share_percent", std::to_string(share * 100.0));
    std::printf("receive time-out: %lld ms elapsed, %.1f ms CPU (%.3f%% of a core)\n", elapsedMs, cpuSeconds * 1000.0,
                share * 100.0);
    EXPECT_LT(share, 0.05);
}

TEST(SerialPortOpen, MissingDeviceFailsAtOnce)
{
    SerialPort port;
    const auto start = Clock::now();
    EXPECT_FALSE(port.openDevice("/nonexistent/orvex-tty", kBaud));
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(millisecondsSince(start), 500);
    EXPECT_EQ(port.lastOpenError(), "No such device: /nonexistent/orvex-tty");
    port.setDeviceMap({{1, "/nonexistent/orvex-tty"}});
    EXPECT_FALSE(port.open(1, kBaud));
    EXPECT_FALSE(port.open(0, kBaud)) << "port 0 names no device";
    EXPECT_EQ(port.lastOpenError(), "No such port number: 0");
}

TEST(SerialPortOpen, RegularFileIsNoSerialPort)
{
    const auto path = std::filesystem::temp_directory_path() / "orvex-not-a-tty.bin";
    std::ofstream(path) << "plain file";
    SerialPort port;
    EXPECT_FALSE(port.openDevice(path.string(), kBaud));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.lastOpenError(), "Not a serial device: " + path.string());
    std::filesystem::remove(path);
}

TEST(SerialPortOpen, FolderAndUnreadableFileAreNoSerialPortsEither)
{
    test::ScratchDir scratch;
    const std::string locked = scratch.write("locked.bin", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    SerialPort port;
    for (const std::string& path : {scratch.directory(), locked}) {
        EXPECT_FALSE(port.openDevice(path, kBaud));
        EXPECT_EQ(port.lastOpenError(), "Not a serial device: " + path);
    }
}

TEST(SerialPortOpen, ReasonIsForgottenOnceAnOpenSucceeds)
{
    sim::PseudoTerminal pty;
    SerialPort port;
    EXPECT_FALSE(port.openDevice("/nonexistent/orvex-tty", kBaud));
    ASSERT_TRUE(port.openDevice(pty.slavePath(), kBaud));
    EXPECT_EQ(port.lastOpenError(), "");
}

TEST(SerialPortOpen, PortHeldByAnotherProgramIsBusy)
{
    sim::PseudoTerminal pty;
    SerialPort holder;
    ASSERT_TRUE(holder.openDevice(pty.slavePath(), kBaud));
    SerialPort second;
    EXPECT_FALSE(second.openDevice(pty.slavePath(), kBaud));
    EXPECT_EQ(second.lastOpenError(), "Device busy: " + pty.slavePath() + " is in use or locked by another program");
}

TEST(SerialPortOpen, UserOutsideTheDeviceGroupIsToldWhichGroupToJoin)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to open the port as another user";
    sim::PseudoTerminal pty;
    const std::string path = pty.slavePath();
    ASSERT_EQ(chmod(path.c_str(), 0660), 0);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    const std::string group = getgrgid(status.st_gid)->gr_name;

    const std::string reason = test::runInChild(
        [&] {
            SerialPort port;
            return port.openDevice(path, kBaud) ? std::string("opened") : port.lastOpenError();
        },
        true);
    EXPECT_EQ(reason, "Permission denied: " + path + " belongs to group '" + group
                          + "'; add your user to it (sudo usermod -aG " + group + " $USER) and log in again");
}

TEST(SerialPortOpen, GroupIsSuggestedOnlyWhereItMayReadAndWrite)
{
    EXPECT_EQ(permissionDeniedText("/dev/ttyUSB0", S_IFCHR | 0660, "dialout"),
              "Permission denied: /dev/ttyUSB0 belongs to group 'dialout'; add your user to it "
              "(sudo usermod -aG dialout $USER) and log in again");
    EXPECT_EQ(permissionDeniedText("/dev/ttyUSB0", S_IFCHR | 0620, "tty"),
              "Permission denied: /dev/ttyUSB0 may be read and written by its owner only");
}
