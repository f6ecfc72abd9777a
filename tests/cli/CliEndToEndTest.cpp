#include "sim/PtyUnitServer.h"
#include "support/ScratchDir.h"
#include "sim/SimulatedUnit.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace orvex;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

// Four records of 16 bytes from 0x0100 and one from 0x0200 after an extended
// linear address of 0; the gap between them reads 0xFF.
constexpr const char* kSmallHex = ":020000040000FA\n"
                                  ":10010000000102030405060708090A0B0C0D0E0F77\n"
                                  ":10011000101112131415161718191A1B1C1D1E1F67\n"
                                  ":10012000202122232425262728292A2B2C2D2E2F57\n"
                                  ":10013000303132333435363738393A3B3C3D3E3F47\n"
                                  ":04020000DEADBEEFC2\n"
                                  ":00000001FF\n";

} // namespace

class Cli : public ::testing::Test {
protected:
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server{unit};
    test::ScratchDir scratch;

    void SetUp() override { scratch.write("firmware.hex", kSmallHex); }

    CliResult runCli(QStringList arguments, const QString& program = ORVEX_CLI_PATH)
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    QString port() const { return QString::fromStdString(server.devicePath()); }
    QString inDir(const char* name) const { return QString::fromStdString(scratch.pathOf(name)); }
};

TEST_F(Cli, FullProcedureProgramsVerifiesAndSavesTheWholeFlash)
{
    const CliResult r = runCli({"-p", port(), "-d", "-e", "-b", "-w", "-v", "-r", inDir("out.bin"), inDir("firmware.hex")});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;

    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 7u) << r.out;
    EXPECT_EQ(out[0], "Prog ver.: 1.2.0 ONLINE");
    EXPECT_EQ(out[1], "Kasowanie FLASH... OK");
    EXPECT_EQ(out[2], "Test czystości... OK");
    EXPECT_EQ(out[3], "Programowanie ... OK");
    EXPECT_EQ(out[4], "Weryfikacja ... OK");
    EXPECT_EQ(out[5], "Odczyt ... OK");
    EXPECT_TRUE(out[6].starts_with("PROGRAM OK. Czas: ")) << out[6];
    EXPECT_TRUE(r.err.empty()) << "no progress bar when standard error is no terminal: " << r.err;

    const Bytes saved = test::ScratchDir::readBytes(scratch.pathOf("out.bin"));
    ASSERT_EQ(saved.size(), 131072u);
    EXPECT_EQ(saved, unit.flash());
    EXPECT_EQ(saved[0x0100], 0x00);
    EXPECT_EQ(saved[0x013F], 0x3F);
    EXPECT_EQ(saved[0x0140], 0xFF);
    EXPECT_EQ(saved[0x0203], 0xEF);
}

TEST_F(Cli, FailingStepGivesItsMessageAndStatusOne)
{
    unit.addFault({0x07, 1, sim::FaultAction::Refuse, 0x02});
    const CliResult r = runCli({"--port", port(), "--erase", "--program", inDir("firmware.hex")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"Kasowanie FLASH... ERROR", "Blad podczas kasowania ukladu"}));
    EXPECT_TRUE(unit.powered()) << "power stays on after a failure";
}

TEST_F(Cli, ReadBackWriteFailingAfterTheRunGivesStatusThreeAndKeepsTheOldFile)
{
    const std::string old = scratch.write("out.bin", "the previous read-back");
    QProcess process;
    // A 4 KiB file-size limit makes the 128 KiB write fail after a good run.
    process.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(ORVEX_CLI_PATH, {"-p", port(), "-r", inDir("out.bin")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const std::string out = process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_TRUE(lines(out).back().starts_with("PROGRAM OK")) << out;
    EXPECT_NE(process.readAllStandardError().toStdString().find(old), std::string::npos);
    EXPECT_EQ(test::ScratchDir::readFile(old), "the previous read-back");
}

TEST_F(Cli, UsageErrorsGiveStatusTwoAndTouchNothing)
{
    EXPECT_EQ(runCli({"-p", port(), "-w"}).exitCode, 2) << "program needs a firmware file";
    EXPECT_EQ(runCli({"-p", port(), "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({"-p", port(), inDir("a.hex"), inDir("b.hex")}).exitCode, 2);
    const CliResult missing = runCli({"-p", port(), "-w", inDir("no-such.hex")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("no-such.hex"), std::string::npos);
    EXPECT_TRUE(unit.requests().empty());
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
}

TEST_F(Cli, PortThatCannotBeOpenedFailsAtOnce)
{
    const CliResult r = runCli({"-p", inDir("no-such-tty"), "-d"});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("cannot open serial port"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such device"), std::string::npos) << "the reason is named: " << r.err;
}

TEST_F(Cli, ComNameFollowsTheDeviceKeysOfConfigBesideTheProgram)
{
    const std::string copy = scratch.pathOf("orvex-cli");
    fs::copy_file(ORVEX_CLI_PATH, copy);
    const std::string config = scratch.write("config.cfg", "COM3 DEVICE=" + server.devicePath() + "\n\r");
    const CliResult r = runCli({"-p", "com3", "-d"}, QString::fromStdString(copy));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(lines(r.out).front(), "Prog ver.: 1.2.0 ONLINE");
    EXPECT_EQ(test::ScratchDir::readFile(config), "COM3 DEVICE=" + server.devicePath() + "\n\r") << "config.cfg is only read";
}

// Every refusal comes before the first byte goes to the unit: with -e in the
// same run, a refused file must not cost the chip its content.
TEST_F(Cli, RefusedFirmwareSendsNothingAndSaysWhy)
{
    ASSERT_EQ(::mkfifo(scratch.pathOf("fifo.hex").c_str(), 0600), 0) << "a fifo without a writer would block an open";
    fs::create_directory(scratch.pathOf("folder.hex"));
    scratch.write("empty.bin", "");
    scratch.write("only-end.hex", ":00000001FF\n");
    scratch.write("junk.hex", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0", 20));
    scratch.write("bad-line.hex", ":020000040000FA\n"
                                  ":10010000000102030405060708090A0B0C0D0E0F77\n"
                                  ":10011000101112131415161718191A1B1C1D1E1F68\n" // checksum off by one
                                  ":00000001FF\n");
    scratch.write("no-end.hex", ":10010000000102030405060708090A0B0C0D0E0F77\n");
    scratch.write("too-big.bin", std::string(131073, '\x5A'));

    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"fifo.hex", "fifo"},          {"folder.hex", "directory"},        {"empty.bin", "no data"},
        {"only-end.hex", "no data"},   {"junk.hex", "line 1: "},           {"bad-line.hex", "line 3: bad checksum"},
        {"no-end.hex", "end-of-file"}, {"too-big.bin", "larger than the"}, {"missing.hex", "No such file"},
    };
    for (const auto& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        const CliResult r = runCli({"-p", port(), "-e", "-w", "-v", inDir(c.file)});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << c.file;
        EXPECT_EQ(r.exitCode, 2) << c.file << ": " << r.out << r.err;
        EXPECT_NE(r.err.find(scratch.pathOf(c.file)), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.file << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_TRUE(unit.requests().empty()) << c.file << ": nothing may be sent, no erase above all";
    }
}

TEST_F(Cli, LenientLoadsAsTheWindowDoesButNeverPastTheFlash)
{
    scratch.write("bad-line.hex", ":10010000000102030405060708090A0B0C0D0E0F77\n"
                                  ":10011000101112131415161718191A1B1C1D1E1F68\n"
                                  ":10012000202122232425262728292A2B2C2D2E2F57\n");
    const CliResult skipped = runCli({"-p", port(), "--lenient", "-w", "-v", inDir("bad-line.hex")});
    ASSERT_EQ(skipped.exitCode, 0) << skipped.out << skipped.err;
    EXPECT_EQ(unit.flash()[0x0100], 0x00);
    EXPECT_EQ(unit.flash()[0x0110], 0xFF) << "the rejected line is skipped";
    EXPECT_EQ(unit.flash()[0x0120], 0x20);

    scratch.write("only-end.hex", ":00000001FF\n");
    const CliResult empty = runCli({"-p", port(), "--lenient", "-w", inDir("only-end.hex")});
    EXPECT_EQ(empty.exitCode, 0) << empty.out << empty.err;
    EXPECT_TRUE(lines(empty.out).back().starts_with("PROGRAM OK")) << empty.out;

    unit.clearRequests();
    scratch.write("too-big.bin", std::string(131073, '\x5A'));
    EXPECT_EQ(runCli({"-p", port(), "--lenient", "-e", "-w", inDir("too-big.bin")}).exitCode, 2);
    EXPECT_TRUE(unit.requests().empty());
}

TEST_F(Cli, ReadBackTargetIsCheckedBeforeTheRun)
{
    fs::create_directory(scratch.pathOf("folder"));
    for (const char* target : {"folder", "missing-dir/out.bin"}) {
        const CliResult r = runCli({"-p", port(), "-e", "-r", inDir(target)});
        EXPECT_EQ(r.exitCode, 3) << target << ": " << r.out << r.err;
        EXPECT_NE(r.err.find(scratch.pathOf(target)), std::string::npos) << r.err;
        EXPECT_TRUE(unit.requests().empty()) << target;
    }
}

TEST_F(Cli, ReadBackToStandardOutputMovesTheStatusLinesAside)
{
    const CliResult r = runCli({"-p", port(), "-r", "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Bytes(r.out.begin(), r.out.end()), unit.flash());
    const auto status = lines(r.err);
    ASSERT_EQ(status.size(), 2u) << r.err;
    EXPECT_EQ(status[0], "Odczyt ... OK");
    EXPECT_TRUE(status[1].starts_with("PROGRAM OK. Czas: ")) << status[1];
}

// A file name need not be valid UTF-8; it must reach the file system as given.
TEST_F(Cli, FileNamesThatAreNotUtf8ReachTheFileSystemUnchanged)
{
    const std::string firmware = scratch.write("fw-\xff\xfe.hex", kSmallHex);
    const std::string readBack = scratch.pathOf("out-\xe9.bin");
    QProcess shell;
    shell.setProgram("/bin/sh");
    // The shell builds the byte strings itself: QProcess would pass them through UTF-8.
    shell.setArguments({"-c", "exec \"$0\" -p \"$1\" -w -r \"$2/out-$(printf '\\351').bin\" \"$2/fw-$(printf '\\377\\376').hex\"",
                        ORVEX_CLI_PATH, port(), QString::fromStdString(scratch.directory())});
    shell.start();
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    EXPECT_EQ(test::ScratchDir::readBytes(readBack), unit.flash());
    EXPECT_EQ(unit.flash()[0x0203], 0xEF);
    EXPECT_TRUE(fs::exists(firmware));
}

TEST_F(Cli, InformationalOptionsNeverRunAProcedure)
{
    for (const char* option : {"--help", "--help-all", "-h"}) {
        const CliResult r = runCli({"-p", port(), option});
        EXPECT_EQ(r.exitCode, 0) << option;
        EXPECT_NE(r.out.find("--list-ports"), std::string::npos) << option << ": " << r.out;
    }
    const CliResult version = runCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.starts_with("orvex-cli ")) << version.out;

    const CliResult noStep = runCli({"-p", port()});
    EXPECT_EQ(noStep.exitCode, 2) << "a run without a step would only power-cycle the target";
    EXPECT_NE(noStep.err.find("no step"), std::string::npos) << noStep.err;
    EXPECT_TRUE(unit.requests().empty());
}

TEST_F(Cli, ListPortsShowsWhatEachComNameStandsFor)
{
    const std::string copy = scratch.pathOf("orvex-cli");
    fs::copy_file(ORVEX_CLI_PATH, copy);
    scratch.write("config.cfg", "COM2 DEVICE=" + server.devicePath() + "\n\r");
    const CliResult r = runCli({"--list-ports"}, QString::fromStdString(copy));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("COM2 = " + server.devicePath() + " (config.cfg)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("COM1 = /dev/ttyS0"), std::string::npos) << r.out;
    EXPECT_TRUE(unit.requests().empty());
}
