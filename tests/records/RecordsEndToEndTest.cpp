#include "records/RecordsTestSupport.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <set>

using namespace orvex;
using test::CliResult;
using test::linesOf;
using test::sqliteRows;
using test::text;

namespace {

// 32 bytes at 0x0100; the serial area at 0x0200 lies beyond the image's end.
constexpr const char* kFirmware = ":10010000000102030405060708090A0B0C0D0E0F77\n"
                                  ":10011000101112131415161718191A1B1C1D1E1F67\n"
                                  ":00000001FF\n";

std::string sha256Of(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

} // namespace

class Records : public ::testing::Test {
protected:
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server{unit};
    test::StationFolder station;

    void SetUp() override { station.scratch.write("firmware.hex", kFirmware); }

    QString port() const { return QString::fromStdString(server.devicePath()); }

    // A job written by orvex-cli itself, with serial keys added by hand.
    std::string writeJob(const std::string& serialKeys, const QStringList& steps = {"-e", "-w", "-v"})
    {
        const std::string job = station.scratch.pathOf("line.job");
        std::filesystem::remove(job);
        const CliResult written =
            station.run(QStringList{"--write-job", QString::fromStdString(job), "--job-name", "TV-A"} + steps
                        + QStringList{station.inDir("firmware.hex")});
        EXPECT_EQ(written.exitCode, 0) << written.err;
        std::ofstream(job, std::ios::app) << serialKeys;
        return job;
    }

    CliResult runJob(const std::string& job, const QStringList& more = {})
    {
        return station.run(QStringList{"--job", QString::fromStdString(job), "-p", port()} + more);
    }
};

TEST_F(Records, EveryRunLeavesOneRowWithWhatItDidAndHowItEnded)
{
    const CliResult passed = station.run(
        {"-p", port(), "-d", "-e", "-w", "-v", "-r", station.inDir("out.bin"), station.inDir("firmware.hex")});
    ASSERT_EQ(passed.exitCode, 0) << passed.err;
    sim::SimulatedUnit faulty;
    faulty.addFault({0x05, 1, sim::FaultAction::Refuse, 1});
    sim::PtyUnitServer faultyServer(faulty);
    const CliResult failed = station.run(
        {"-p", QString::fromStdString(faultyServer.devicePath()), "-e", "-w", station.inDir("firmware.hex")});
    ASSERT_EQ(failed.exitCode, 1) << failed.err;

    const auto rows = sqliteRows(station.records(), "SELECT * FROM runs ORDER BY started_at");
    ASSERT_EQ(rows.size(), 2u);
    const test::Row& ok = rows[0];
    EXPECT_EQ(text(ok, "result"), "ok");
    EXPECT_EQ(text(ok, "program"), "orvex-cli");
    EXPECT_EQ(text(ok, "port"), server.devicePath());
    EXPECT_EQ(text(ok, "device"), server.devicePath());
    EXPECT_EQ(text(ok, "unit_version"), "120");
    EXPECT_EQ(text(ok, "steps"), "detect,erase,program,verify,read");
    EXPECT_EQ(text(ok, "firmware_sha256"), sha256Of(kFirmware));
    EXPECT_EQ(ok.at("image_size").toInt(), 0x120);
    const auto flash = unit.flash();
    EXPECT_EQ(text(ok, "readback_sha256"), sha256Of(std::string(flash.begin(), flash.end())));
    EXPECT_EQ(text(ok, "readback_path"), station.inDir("out.bin").toStdString());
    EXPECT_EQ(text(ok, "message"), linesOf(passed.out).back());
    EXPECT_EQ(QUuid::fromString(ok.at("run_id").toString()).isNull(), false);
    EXPECT_TRUE(ok.at("failed_step").isNull());
    EXPECT_EQ(text(ok, "started_at").size(), 24u) << "UTC with milliseconds: " << text(ok, "started_at");
    EXPECT_TRUE(text(ok, "finished_at").ends_with('Z'));
    const QJsonArray steps = QJsonDocument::fromJson(ok.at("step_results").toByteArray()).array();
    ASSERT_EQ(steps.size(), 7) << "the five steps and both power steps";
    EXPECT_EQ(steps[0].toObject()["name"], "detect");
    EXPECT_EQ(steps[0].toObject()["text"], "Prog ver.: 1.2.0 ONLINE");

    const test::Row& bad = rows[1];
    EXPECT_EQ(text(bad, "result"), "failed");
    EXPECT_EQ(text(bad, "failed_step"), "program");
    EXPECT_EQ(text(bad, "message"), "Blad podczas programowania ukladu");
    const QJsonArray badSteps = QJsonDocument::fromJson(bad.at("step_results").toByteArray()).array();
    EXPECT_EQ(badSteps.last().toObject()["outcome"], "block_refused");
    EXPECT_FALSE(badSteps.last().toObject()["ok"].toBool());

    EXPECT_EQ(text(sqliteRows(station.records(), "PRAGMA journal_mode").front(), "journal_mode"), "wal");
}

TEST_F(Records, ReportAndExportReadWhatTheRunsWrote)
{
    const std::string job = writeJob("");
    ASSERT_EQ(runJob(job).exitCode, 0);
    ASSERT_EQ(runJob(job).exitCode, 0);
    unit.addFault({0x07, 3, sim::FaultAction::Refuse, 1});
    ASSERT_EQ(runJob(job).exitCode, 1);

    const CliResult csv = station.run({"--report", "--csv", "--job", "TV-A", "--since", "2000-01-01"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    const auto lines = linesOf(csv.out);
    ASSERT_EQ(lines.size(), 2u) << csv.out;
    EXPECT_EQ(lines[0], "day,job,firmware,port,units,passed,failed,yield_pct,median_seconds,top_failing_step");
    EXPECT_NE(lines[1].find(",TV-A," + sha256Of(kFirmware).substr(0, 12) + "," + server.devicePath() + ",3,2,1,66.7,"),
              std::string::npos)
        << lines[1];
    EXPECT_TRUE(lines[1].ends_with(",erase")) << lines[1];

    const CliResult json = station.run({"--report", "--json"});
    const QJsonObject row = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(row["units"].toInt(), 3) << json.out;
    EXPECT_EQ(station.run({"--report", "--since", "2999-01-01"}).out.find("TV-A"), std::string::npos);
    EXPECT_EQ(station.run({"--report", "--since", "yesterday"}).exitCode, 2);

    const CliResult jsonl = station.run({"--export-records", "jsonl"});
    ASSERT_EQ(linesOf(jsonl.out).size(), 3u) << jsonl.out;
    const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(linesOf(jsonl.out)[0])).object();
    EXPECT_EQ(first["job"], "TV-A");
    EXPECT_EQ(first["steps"], "erase,program,verify");
    const CliResult exported = station.run({"--export-records", "csv"});
    ASSERT_EQ(linesOf(exported.out).size(), 4u) << "a header and three rows";
    EXPECT_TRUE(linesOf(exported.out)[0].starts_with("run_id,started_at,finished_at,station,operator,"));
}

TEST_F(Records, JobNumbersEachUnitInItsFlashAndKeepsTheNumberInItsRecord)
{
    const std::string job = writeJob("SERIAL_ADDRESS=0x200\nSERIAL_LENGTH=6\nSERIAL_FORMAT=dec\nSERIAL_FIRST=41\n"
                                     "SERIAL_ON_FAILURE=reuse\n",
                                     {"-e", "-w", "-v", "-r", "unit-{serial}.bin"});
    const CliResult first = runJob(job);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(linesOf(first.out).front(), "Job TV-A, firmware " + sha256Of(kFirmware).substr(0, 12) + ", serial 41");
    auto flash = unit.flash();
    EXPECT_EQ(std::string(flash.begin() + 0x200, flash.begin() + 0x206), "000041");
    EXPECT_EQ(flash[0x1FF], 0xFF) << "the image was extended with 0xFF up to the serial area";
    EXPECT_TRUE(std::filesystem::exists(station.scratch.pathOf("unit-41.bin")));

    sim::SimulatedUnit faulty;
    faulty.addFault({0x05, 1, sim::FaultAction::Refuse, 1});
    sim::PtyUnitServer faultyServer(faulty);
    EXPECT_EQ(
        station.run({"--job", QString::fromStdString(job), "-p", QString::fromStdString(faultyServer.devicePath())})
            .exitCode,
        1);
    const CliResult third = runJob(job);
    ASSERT_EQ(third.exitCode, 0) << third.err;
    flash = unit.flash();
    EXPECT_EQ(std::string(flash.begin() + 0x200, flash.begin() + 0x206), "000042")
        << "the failed run's number is reused";

    const auto rows =
        sqliteRows(station.records(), "SELECT serial, result, image_sha256, image_size FROM runs ORDER BY started_at");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].at("serial").toInt(), 41);
    EXPECT_EQ(rows[1].at("serial").toInt(), 42);
    EXPECT_EQ(text(rows[1], "result"), "failed");
    EXPECT_EQ(rows[2].at("serial").toInt(), 42);
    EXPECT_EQ(rows[2].at("image_size").toInt(), 0x206);
    EXPECT_EQ(text(rows[2], "image_sha256"), sha256Of(std::string(flash.begin(), flash.begin() + 0x206)))
        << "the digest is the numbered copy's";
    EXPECT_EQ(runJob(job).exitCode, 0);
    EXPECT_EQ(sqliteRows(station.records(), "SELECT MAX(serial) AS top FROM runs").front().at("top").toInt(), 43);
}

TEST_F(Records, JobOnEveryPortAtOnceGivesEachUnitItsOwnNumberAndRecord)
{
    sim::SimulatedUnit second;
    sim::PtyUnitServer secondServer(second);
    sim::SimulatedUnit third;
    sim::PtyUnitServer thirdServer(third);
    const std::vector<const sim::SimulatedUnit*> units{&unit, &second, &third};
    // The ports the job is written with are the job's line of units.
    const std::string job = writeJob("SERIAL_ADDRESS=0x200\nSERIAL_LENGTH=6\nSERIAL_FORMAT=dec\nSERIAL_FIRST=7\n",
                                     {"-e", "-w", "-v", "-r", "unit-{port}-{serial}.bin", "-p", port(), "-p",
                                      QString::fromStdString(secondServer.devicePath()), "-p",
                                      QString::fromStdString(thirdServer.devicePath())});
    const CliResult r = station.run({"--job", QString::fromStdString(job)});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(linesOf(r.out).back(), "3 of 3 units OK");

    std::set<std::string> numbers;
    for (const sim::SimulatedUnit* each : units) {
        const auto flash = each->flash();
        numbers.insert(std::string(flash.begin() + 0x200, flash.begin() + 0x206));
    }
    EXPECT_EQ(numbers, (std::set<std::string>{"000007", "000008", "000009"}));
    const auto rows = sqliteRows(station.records(), "SELECT port, serial, result FROM runs ORDER BY serial");
    ASSERT_EQ(rows.size(), 3u);
    std::set<std::string> recordedPorts;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].at("serial").toInt(), 7 + static_cast<int>(i));
        EXPECT_EQ(text(rows[i], "result"), "ok");
        recordedPorts.insert(text(rows[i], "port"));
        const std::string port = text(rows[i], "port");
        const std::string readBack = "unit-" + port.substr(port.rfind('/') + 1) + "-" + std::to_string(7 + i) + ".bin";
        EXPECT_TRUE(std::filesystem::exists(station.scratch.pathOf(readBack))) << readBack;
    }
    EXPECT_EQ(recordedPorts,
              (std::set<std::string>{server.devicePath(), secondServer.devicePath(), thirdServer.devicePath()}));
}

TEST_F(Records, BadJobsAndRecordSettingsAreRefusedBeforeAnythingIsSent)
{
    const std::string good =
        writeJob("SERIAL_ADDRESS=0x200\nSERIAL_LENGTH=2\nSERIAL_FORMAT=hex\nSERIAL_FIRST=254\nSERIAL_LAST=255\n");
    ASSERT_EQ(runJob(good).exitCode, 0);
    ASSERT_EQ(runJob(good).exitCode, 0);
    unit.clearRequests();
    const std::string content = test::ScratchDir::readFile(good);
    const auto variant = [&](const std::string& name, const std::string& from, const std::string& to) {
        std::string changed = content;
        changed.replace(changed.find(from), from.size(), to);
        return station.scratch.write(name, changed);
    };
    const struct {
        QStringList arguments;
        int exitStatus;
        const char* reason;
    } cases[] = {
        {{"--job", QString::fromStdString(good), "-p", port()}, 5, "used up"},
        {{"--job", QString::fromStdString(variant("unknown.job", "STEPS", "COLOUR=red\nSTEPS")), "-p", port()},
         2,
         "unknown key \"COLOUR\""},
        {{"--job", QString::fromStdString(variant("missing.job", "FIRMWARE=firmware.hex", "FIRMWARE=gone.hex")), "-p",
          port()},
         2,
         "gone.hex"},
        {{"--job", QString::fromStdString(variant("narrow.job", "SERIAL_LAST=255", "SERIAL_LAST=256")), "-p", port()},
         5,
         "SERIAL_LAST 256 does not fit"},
        {{"--job", QString::fromStdString(variant("outside.job", "SERIAL_ADDRESS=0x200", "SERIAL_ADDRESS=0x1FFFF")),
          "-p", port()},
         5,
         "outside the 131072-byte flash"},
        {{"--job", QString::fromStdString(good), "-p", port(), "--records", "off"}, 5, "records are off"},
        {{"--job", QString::fromStdString(good), "-p", port(), "-e"}, 2, "a job fixes the procedure"},
        {{"--job", QString::fromStdString(good), "-p", port(), station.inDir("firmware.hex")},
         2,
         "a job fixes the procedure"},
        {{"-p", port(), "-e", "--records", "mysql://somewhere/db"}, 2, "cannot be used"},
        {{"-p", port(), "-e", "--records", "postgresql://host"}, 2, "names no database"},
    };
    for (const auto& c : cases) {
        const CliResult r = station.run(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitStatus) << c.reason << ": " << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_TRUE(unit.requests().empty()) << c.reason;
    }
    std::ofstream(station.scratch.pathOf("firmware.hex"), std::ios::app) << ":00000001FF\n";
    const CliResult changed = runJob(good);
    EXPECT_EQ(changed.exitCode, 2);
    EXPECT_NE(changed.err.find(sha256Of(kFirmware)), std::string::npos) << "both digests are named: " << changed.err;
    EXPECT_NE(changed.err.find(sha256Of(std::string(kFirmware) + ":00000001FF\n")), std::string::npos) << changed.err;
    EXPECT_TRUE(unit.requests().empty());
    EXPECT_EQ(sqliteRows(station.records(), "SELECT COUNT(*) AS n FROM runs").front().at("n").toInt(), 2);
}

// The power may go at any moment of a run: what was written stays readable,
// the run shows as incomplete, and its number is never handed out again.
TEST_F(Records, ARunKilledAtAnyPointLeavesTheDatabaseWhole)
{
    sim::UnitOptions slow;
    slow.blockTime = std::chrono::milliseconds(2);
    sim::SimulatedUnit slowUnit(slow);
    sim::PtyUnitServer slowServer(slowUnit);
    const std::string job =
        writeJob("SERIAL_ADDRESS=0x200\nSERIAL_LENGTH=4\nSERIAL_FORMAT=le\n", {"-e", "-w", "-v", "-r", "out.bin"});
    std::set<std::int64_t> seen;
    for (const int delayMs : {0, 40, 80, 150, 250, 400}) {
        QProcess process;
        process.start(
            QString::fromStdString(station.program()),
            {"--job", QString::fromStdString(job), "-p", QString::fromStdString(slowServer.devicePath()), "--json"});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(delayMs));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished();
        const auto integrity = sqliteRows(station.records(), "PRAGMA integrity_check");
        ASSERT_EQ(text(integrity.front(), "integrity_check"), "ok") << delayMs;
    }
    const CliResult after =
        station.run({"--job", QString::fromStdString(job), "-p", QString::fromStdString(slowServer.devicePath())});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    const auto rows = sqliteRows(station.records(), "SELECT serial, result FROM runs");
    for (const test::Row& row : rows) {
        EXPECT_TRUE(seen.insert(row.at("serial").toLongLong()).second)
            << "number " << row.at("serial").toLongLong() << " twice";
        EXPECT_TRUE(text(row, "result") == "incomplete" || text(row, "result") == "ok") << text(row, "result");
    }
    EXPECT_GE(rows.size(), 2u) << "killed runs that had started left their row";
}
