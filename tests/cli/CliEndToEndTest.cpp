#include "sim/PtyUnitServer.h"
#include "support/ScratchDir.h"
#include "sim/SimulatedUnit.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(Cli, UnwritableReadBackFileGivesStatusThree)
{
    const CliResult r = runCli({"-p", port(), "-r", inDir("missing-dir/out.bin")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(lines(r.out).back().starts_with("PROGRAM OK")) << r.out;
    EXPECT_NE(r.err.find("missing-dir/out.bin"), std::string::npos) << r.err;
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
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot open serial port"), std::string::npos) << r.err;
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
