#include "sim/PtyUnitServer.h"
#include "support/ScratchDir.h"
#include "sim/SimulatedUnit.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

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
    const CliResult r =
        runCli({"-p", port(), "-d", "-e", "-b", "-w", "-v", "-r", inDir("out.bin"), inDir("firmware.hex")});
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
    EXPECT_EQ(test::ScratchDir::readFile(config), "COM3 DEVICE=" + server.devicePath() + "\n\r")
        << "config.cfg is only read";
}

// Every refusal comes before the first byte goes to the unit: with -e in the
// same run, a refused file must not cost the chip its content.
TEST_F(Cli, RefusedFirmwareSendsNothingAndSaysWhy)
{
    ASSERT_EQ(::mkfifo(scratch.pathOf("fifo.hex").c_str(), 0600), 0) << "a fifo without a writer would block an open";
    fs::create_directory(scratch.pathOf("folder.hex"));
    scratch.write("empty.bin", "");
    scratch.write("only-end.hex", ":00000001FF\n");
    scratch.write("junk.hex", std::string("\x7f"
                                          "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                                          20));
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
    shell.setArguments(
        {"-c", "exec \"$0\" -p \"$1\" -w -r \"$2/out-$(printf '\\351').bin\" \"$2/fw-$(printf '\\377\\376').hex\"",
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

namespace {

std::vector<QJsonObject> jsonLines(const std::string& text)
{
    std::vector<QJsonObject> objects;
    for (const std::string& line : lines(text)) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
        objects.push_back(document.object());
    }
    return objects;
}

std::string sha256Of(const Bytes& bytes)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().toStdString();
}

std::string stringOf(const QJsonValue& value)
{
    return value.toString().toStdString();
}

} // namespace

TEST_F(Cli, JsonRunReportsEveryEventInOrderWithTheDigestsAndTheTextsOfAPlainRun)
{
    const QStringList steps{"-d", "-e", "-b", "-w", "-v", "-r", inDir("out.bin"), inDir("firmware.hex")};
    const CliResult plain = runCli(QStringList{"-p", port()} + steps);
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const CliResult r = runCli(QStringList{"-p", port(), "--json", "--trace", inDir("trace.txt")} + steps);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    const auto events = jsonLines(r.out);
    std::vector<std::string> sequence;
    std::vector<std::string> texts;
    for (const QJsonObject& e : events) {
        EXPECT_EQ(e["port"].toString(), port());
        const std::string name = stringOf(e["event"]);
        if (name == "progress") {
            EXPECT_LE(e["done"].toInt(), e["total"].toInt());
            if (sequence.back() == "progress " + stringOf(e["step"]))
                continue;
            sequence.push_back("progress " + stringOf(e["step"]));
        } else {
            sequence.push_back(name + (e.contains("step") ? " " + stringOf(e["step"]) : std::string()));
        }
        if (name == "step_finished" && !stringOf(e["text"]).empty())
            texts.push_back(stringOf(e["text"]));
    }
    EXPECT_EQ(sequence, (std::vector<std::string>{"run_started",
                                                  "step_started detect",
                                                  "step_finished detect",
                                                  "step_started power_on",
                                                  "step_finished power_on",
                                                  "step_started erase",
                                                  "step_finished erase",
                                                  "step_started blank_test",
                                                  "step_finished blank_test",
                                                  "step_started program",
                                                  "progress program",
                                                  "step_finished program",
                                                  "step_started verify",
                                                  "progress verify",
                                                  "step_finished verify",
                                                  "step_started read",
                                                  "progress read",
                                                  "step_finished read",
                                                  "step_started power_off",
                                                  "step_finished power_off",
                                                  "run_finished"}));
    auto plainLines = lines(plain.out);
    plainLines.pop_back(); // the result line, whose time differs
    EXPECT_EQ(texts, plainLines);

    const QJsonObject& started = events.front();
    EXPECT_EQ(started["schema"].toInt(), 1);
    EXPECT_EQ(started["program"].toString(), "orvex-cli");
    EXPECT_EQ(started["steps"].toArray(), (QJsonArray{"detect", "erase", "blank_test", "program", "verify", "read"}));
    const std::string hex = kSmallHex;
    EXPECT_EQ(stringOf(started["firmware"]["sha256"]), sha256Of(Bytes(hex.begin(), hex.end())));
    EXPECT_EQ(started["firmware"]["size"].toInt(), static_cast<int>(hex.size()));
    const Bytes flash = unit.flash();
    const Bytes image(flash.begin(), flash.begin() + 0x0204);
    EXPECT_EQ(started["image"]["size"].toInt(), 0x0204);
    EXPECT_EQ(stringOf(started["image"]["sha256"]), sha256Of(image));

    const QJsonObject& finished = events.back();
    EXPECT_TRUE(finished["ok"].toBool());
    EXPECT_TRUE(finished["failed_step"].isNull());
    EXPECT_TRUE(stringOf(finished["message"]).starts_with("PROGRAM OK. Czas: ")) << stringOf(finished["message"]);
    EXPECT_EQ(finished["exit"].toInt(), 0);
    EXPECT_EQ(finished["readback"]["path"].toString(), inDir("out.bin"));
    EXPECT_EQ(finished["readback"]["size"].toInt(), 131072);
    EXPECT_EQ(stringOf(finished["readback"]["sha256"]), sha256Of(flash));
    for (const QJsonObject& e : events)
        if (e["event"] == "progress" && e["step"] == "read" && e["done"].toInt() == 131072)
            return;
    ADD_FAILURE() << "the last progress of a transfer is always given";
}

TEST_F(Cli, TraceHasEveryFrameBothWaysAsItHappened)
{
    sim::UnitOptions noisy;
    noisy.noiseBytes = 2;
    sim::SimulatedUnit noisyUnit(noisy);
    sim::PtyUnitServer noisyServer(noisyUnit);
    const CliResult r =
        runCli({"-p", QString::fromStdString(noisyServer.devicePath()), "--trace", inDir("trace.txt"), "-d", "-e"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto trace = lines(test::ScratchDir::readFile(scratch.pathOf("trace.txt")));
    std::vector<std::string> kinds;
    double previous = 0;
    for (const std::string& line : trace) {
        double seconds = -1;
        char kind = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %c", &seconds, &kind), 2) << line;
        EXPECT_GE(seconds, previous) << line;
        previous = seconds;
        kinds.push_back(std::string(1, kind));
    }
    // Version, power on, erase, power off: each request, the noise, its reply.
    const std::vector<std::string> exchange{">", "?", "<"};
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), exchange.begin(), exchange.end());
    EXPECT_EQ(kinds, expected);
    ASSERT_FALSE(trace.empty());
    EXPECT_TRUE(trace.front().ends_with(" > AA 55 00 00 4E")) << trace.front();
    EXPECT_TRUE(trace[2].ends_with(" < AA 55 03 00 31 32 30 FC")) << trace[2];
}

TEST_F(Cli, JsonNamesTheOutcomeOfEachWayTheUnitCanFail)
{
    struct Case {
        sim::FaultRule fault;
        QStringList steps;
        const char* step;
        const char* outcome;
        std::optional<int> address;
    };
    const Case cases[] = {
        {{0x0D, 0, sim::FaultAction::Refuse, 1}, {"-d"}, "power_on", "refused", {}},
        {{0x07, 0, sim::FaultAction::Refuse, 1}, {"-e"}, "erase", "refused", {}},
        {{0x08, 0, sim::FaultAction::Refuse, 1}, {"-b"}, "blank_test", "not_blank", {}},
        {{0x04, 0, sim::FaultAction::Refuse, 1}, {"-w", inDir("firmware.hex")}, "program", "init_refused", {}},
        {{0x05, 0, sim::FaultAction::Refuse, 1}, {"-w", inDir("firmware.hex")}, "program", "block_refused", 0},
        {{0x0A, 0, sim::FaultAction::Refuse, 1}, {"-v", inDir("firmware.hex")}, "verify", "mismatch", 0},
        {{0x06, 0, sim::FaultAction::Refuse, 1}, {"-w", inDir("firmware.hex")}, "program", "end_refused", {}},
        {{0x02, 0, sim::FaultAction::WrongCommand, 0x05}, {"-r", inDir("out.bin")}, "read", "bad_read_reply", {}},
        {{0x08, 0, sim::FaultAction::BadCrc, 1}, {"-b"}, "blank_test", "bad_crc", {}},
        {{0x07, 0, sim::FaultAction::Silent, 1}, {"-e"}, "erase", "no_reply", {}},
    };
    for (const Case& c : cases) {
        sim::SimulatedUnit faulty;
        faulty.addFault(c.fault);
        sim::PtyUnitServer faultyServer(faulty);
        const CliResult r =
            runCli(QStringList{"-p", QString::fromStdString(faultyServer.devicePath()), "--json"} + c.steps);
        EXPECT_EQ(r.exitCode, 1) << c.outcome;
        const auto events = jsonLines(r.out);
        ASSERT_FALSE(events.empty()) << c.outcome;
        const auto failed = std::find_if(events.begin(), events.end(), [](const QJsonObject& e) {
            return e["event"] == "step_finished" && !e["ok"].toBool();
        });
        ASSERT_NE(failed, events.end()) << c.outcome << ": " << r.out;
        EXPECT_EQ(stringOf((*failed)["step"]), c.step);
        EXPECT_EQ(stringOf((*failed)["outcome"]), c.outcome);
        EXPECT_EQ((*failed)["address"].isUndefined(), !c.address.has_value()) << c.outcome;
        if (c.address) {
            EXPECT_EQ((*failed)["address"].toInt(), *c.address) << c.outcome;
        }
        EXPECT_EQ(stringOf(events.back()["failed_step"]), c.step);
        EXPECT_EQ(events.back()["exit"].toInt(), 1);
        EXPECT_EQ(
            stringOf(events.back()["message"]),
            lines(runCli(QStringList{"-p", QString::fromStdString(faultyServer.devicePath())} + c.steps).out).back())
            << "the message is the plain run's result line";
    }
}

TEST_F(Cli, JsonRefusalIsOneObjectAndNothingIsSent)
{
    const struct {
        QStringList arguments;
        int exitStatus;
    } refusals[] = {
        {{"-p", port(), "--json", "--bogus"}, 2},
        {{"-p", port(), "--json", "-w", inDir("no-such.hex")}, 2},
        {{"-p", port(), "--json", "-r", "-"}, 2},
        {{"-p", port(), "--json", "-d", "--trace", inDir("no-such-dir/trace.txt")}, 2},
        {{"-p", inDir("no-such-tty"), "--json", "-d"}, 4},
    };
    for (const auto& refusal : refusals) {
        const CliResult r = runCli(refusal.arguments);
        EXPECT_EQ(r.exitCode, refusal.exitStatus) << refusal.arguments.join(' ').toStdString();
        const auto events = jsonLines(r.out);
        ASSERT_EQ(events.size(), 1u) << r.out;
        EXPECT_EQ(events[0]["event"], "refused");
        EXPECT_FALSE(events[0]["reason"].toString().isEmpty());
        EXPECT_EQ(events[0]["exit"].toInt(), refusal.exitStatus);
        EXPECT_TRUE(events[0].contains("port"));
    }
    EXPECT_TRUE(unit.requests().empty());
}

// English changes what an operator reads and nothing a script reads: the
// step names, outcomes and fields of --json stay as they are.
TEST_F(Cli, EnglishTranslatesTheTextsButNeitherTheJsonNamesNorTheOutcomes)
{
    const QStringList steps{"--lang", "en", "--records", "off", "-p", port(),
                            "-d",     "-e", "-b",        "-w",  "-v", inDir("firmware.hex")};
    const CliResult r = runCli(steps);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto shown = lines(r.out);
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown.back().starts_with("PROGRAM OK. Time: ")) << shown.back();
    shown.pop_back();
    EXPECT_EQ(shown, (std::vector<std::string>{"Prog ver.: 1.2.0 ONLINE", "Erasing FLASH... OK", "Blank test... OK",
                                               "Programming ... OK", "Verifying ... OK"}));

    unit.addFault({0x07, 2, sim::FaultAction::Refuse, 0x02}); // the erase of this second run
    const CliResult failed = runCli(QStringList{"--json"} + steps);
    EXPECT_EQ(failed.exitCode, 1);
    const auto events = jsonLines(failed.out);
    ASSERT_FALSE(events.empty());
    const auto erase = std::find_if(events.begin(), events.end(), [](const QJsonObject& e) {
        return e["event"] == "step_finished" && e["step"] == "erase";
    });
    ASSERT_NE(erase, events.end()) << failed.out;
    EXPECT_EQ(erase->keys(), (QStringList{"event", "ok", "outcome", "port", "step", "text"}));
    EXPECT_EQ(stringOf((*erase)["outcome"]), "refused");
    EXPECT_EQ(stringOf((*erase)["text"]), "Erasing FLASH... ERROR");
    const QJsonObject& finished = events.back();
    EXPECT_EQ(stringOf(finished["event"]), "run_finished");
    EXPECT_EQ(stringOf(finished["failed_step"]), "erase");
    EXPECT_EQ(stringOf(finished["message"]), "Error erasing the chip");

    const CliResult unknown = runCli({"--lang", "de", "-p", port(), "-d"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--lang takes pl or en"), std::string::npos) << unknown.err;
}

// LANGUAGE in config.cfg chooses for the command line too, --lang overrides
// it, and a language there is none of leaves Polish, saying so.
TEST_F(Cli, LanguageOfConfigBesideTheProgramYieldsToLangAndFallsBackToPolish)
{
    const std::string copy = scratch.pathOf("orvex-cli");
    fs::copy_file(ORVEX_CLI_PATH, copy);
    const auto eraseWith = [&](const std::string& config, QStringList arguments) {
        scratch.write("config.cfg", config + "\nCOM3 DEVICE=" + server.devicePath() + "\n");
        return runCli(arguments + QStringList{"--records", "off", "-p", "com3", "-e"}, QString::fromStdString(copy));
    };
    EXPECT_EQ(lines(eraseWith("LANGUAGE=en", {}).out).front(), "Erasing FLASH... OK");
    EXPECT_EQ(lines(eraseWith("LANGUAGE=en", {"--lang", "pl"}).out).front(), "Kasowanie FLASH... OK");
    const CliResult unknown = eraseWith("LANGUAGE=xx", {});
    EXPECT_EQ(unknown.exitCode, 0);
    EXPECT_EQ(lines(unknown.out).front(), "Kasowanie FLASH... OK");
    EXPECT_NE(unknown.err.find("LANGUAGE=xx"), std::string::npos) << unknown.err;
}

// Several units at once, each behind its own pty: whatever one of them does
// must stay in its own lines, and the others finish as if it were not there.
class CliUnits : public Cli {
protected:
    struct Unit {
        std::unique_ptr<sim::SimulatedUnit> unit;
        std::unique_ptr<sim::PtyUnitServer> server;
        std::string path;
    };

    Unit& addUnit(const char* name, sim::UnitOptions options = {})
    {
        Unit& added = units.emplace_back();
        added.unit = std::make_unique<sim::SimulatedUnit>(std::move(options));
        added.server = std::make_unique<sim::PtyUnitServer>(*added.unit);
        added.path = scratch.pathOf(name);
        fs::create_symlink(added.server->devicePath(), added.path);
        return added;
    }

    static std::size_t requestsOf(const sim::SimulatedUnit& unit, std::uint8_t command)
    {
        const auto requests = unit.requests();
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const sim::ReceivedRequest& r) { return r.command == command; }));
    }

    static std::vector<std::string> linesOf(const std::vector<std::string>& all, const std::string& port)
    {
        std::vector<std::string> own;
        for (const std::string& line : all)
            if (line.starts_with(port + ": "))
                own.push_back(line.substr(port.size() + 2));
        return own;
    }

    std::deque<Unit> units;
};

TEST_F(CliUnits, FaultsOfOneUnitStayInItsLinesAndTheOthersPass)
{
    constexpr std::uint8_t kProgramBlock = 0x05;
    Bytes firmware(2048);
    for (std::size_t i = 0; i < firmware.size(); ++i)
        firmware[i] = static_cast<std::uint8_t>(i * 7 + 3);
    scratch.write("firmware.bin", std::string(firmware.begin(), firmware.end()));
    sim::UnitOptions slowBlocks;
    slowBlocks.blockTime = std::chrono::milliseconds(30); // 32 blocks: pulled out in the middle of them
    sim::UnitOptions silent;
    silent.faults = {{kProgramBlock, 2, sim::FaultAction::Silent}};
    sim::UnitOptions refusing;
    refusing.faults = {{kProgramBlock, 3, sim::FaultAction::Refuse, 0x02}};
    Unit& good = addUnit("good");
    Unit& pulled = addUnit("pulled", slowBlocks);
    Unit& quiet = addUnit("quiet", silent);
    Unit& refuser = addUnit("refuser", refusing);
    Unit& second = addUnit("second");

    QProcess process;
    QStringList arguments{"--records", "off", "-p", inDir("unplugged")};
    for (const Unit& added : units)
        arguments << "-p" << QString::fromStdString(added.path);
    arguments << "-e"
              << "-w"
              << "-v"
              << "-r" << inDir("read-{port}.bin") << inDir("firmware.bin");
    process.start(ORVEX_CLI_PATH, arguments);
    while (requestsOf(*pulled.unit, kProgramBlock) < 3 && !process.waitForFinished(5))
        ;
    pulled.server.reset();
    ASSERT_TRUE(process.waitForFinished(60000));
    const std::string out = process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitCode(), 4) << "the largest of the units' statuses: " << out;

    const auto all = lines(out);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), "2 of 6 units OK");
    for (const Unit* passed : {&good, &second}) {
        const auto own = linesOf(all, passed->path);
        ASSERT_EQ(own.size(), 5u) << out;
        EXPECT_EQ(own[0], "Kasowanie FLASH... OK");
        EXPECT_EQ(own[3], "Odczyt ... OK");
        // The silent unit keeps its run waiting 5 s for a reply; no other waits with it.
        ASSERT_TRUE(own[4].starts_with("PROGRAM OK. Czas: ")) << own[4];
        EXPECT_LT(std::stod(own[4].substr(18)), 3.0) << own[4];
        const Bytes flash = passed->unit->flash();
        EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), flash.begin()));
        const std::string readBack = "read-" + fs::path(passed->path).filename().string() + ".bin";
        EXPECT_EQ(test::ScratchDir::readBytes(scratch.pathOf(readBack)), flash);
    }
    EXPECT_EQ(linesOf(all, pulled.path),
              (std::vector<std::string>{"Kasowanie FLASH... OK", "Programowanie ERR komunikacji",
                                        "Blad podczas programowania ukladu"}));
    EXPECT_EQ(linesOf(all, quiet.path),
              (std::vector<std::string>{"Kasowanie FLASH... OK", "Programowanie ERR komunikacji",
                                        "Blad podczas programowania ukladu"}));
    EXPECT_EQ(linesOf(all, refuser.path),
              (std::vector<std::string>{"Kasowanie FLASH... OK", "Programowanie ERROR at 128",
                                        "Blad podczas programowania ukladu"}));
    const Bytes refused = refuser.unit->flash();
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.begin() + 128, refused.begin()))
        << "blocks before the refused one";
    EXPECT_TRUE(std::all_of(refused.begin() + 128, refused.end(), [](std::uint8_t b) { return b == 0xFF; }));
    const auto lineOf = [&](const Unit& channel, const std::string& text) {
        return std::find(all.begin(), all.end(), channel.path + ": " + text) - all.begin();
    };
    EXPECT_LT(lineOf(second, "Odczyt ... OK"), lineOf(quiet, "Blad podczas programowania ukladu"))
        << "the last unit named ends long before the silent one, named earlier: " << out;
    const auto unplugged = linesOf(all, inDir("unplugged").toStdString());
    ASSERT_EQ(unplugged.size(), 1u) << out;
    EXPECT_NE(unplugged[0].find("cannot open serial port"), std::string::npos) << unplugged[0];
    EXPECT_FALSE(fs::exists(scratch.pathOf("read-unplugged.bin")));
    EXPECT_FALSE(fs::exists(scratch.pathOf("read-pulled.bin")));
}

TEST_F(CliUnits, SeveralPortsNeedTheirOwnFilesAndJsonLinesCarryTheirPort)
{
    Unit& first = addUnit("first");
    Unit& other = addUnit("other");
    const QString a = QString::fromStdString(first.path);
    const QString b = QString::fromStdString(other.path);
    EXPECT_EQ(runCli({"--records", "off", "-p", a, "-p", b, "-r", inDir("one.bin")}).exitCode, 2);
    EXPECT_EQ(runCli({"--records", "off", "-p", a, "-p", a, "-d"}).exitCode, 2);
    EXPECT_EQ(runCli({"--records", "off", "-p", a, "-p", b, "-d", "--trace", inDir("t.txt")}).exitCode, 2);
    EXPECT_TRUE(first.unit->requests().empty());
    const CliResult usb = runCli({"--records", "off", "-p", "usb:NO-SUCH-ADAPTER", "-d"});
    EXPECT_EQ(usb.exitCode, 4);
    EXPECT_NE(usb.err.find("no USB adapter with serial number NO-SUCH-ADAPTER"), std::string::npos) << usb.err;

    const CliResult r = runCli({"--records", "off", "--json", "-p", a, "-p", b, "-r", inDir("r-{port}.bin")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::map<std::string, int> finished;
    for (const std::string& line : lines(r.out)) {
        const QJsonObject event = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        ASSERT_FALSE(event.isEmpty()) << "a whole object on each line: " << line;
        if (event["event"] == "run_finished")
            ++finished[event["port"].toString().toStdString()];
    }
    EXPECT_EQ(finished, (std::map<std::string, int>{{first.path, 1}, {other.path, 1}}));
    EXPECT_EQ(test::ScratchDir::readBytes(scratch.pathOf("r-other.bin")), other.unit->flash());
}
