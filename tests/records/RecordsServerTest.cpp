#include "records/RecordsTestSupport.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "records/RecordsConnection.h"
#include "records/SerialCounter.h"
#include "records/SerialNumber.h"
#include "support/PostgresServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <variant>

using namespace orvex;
using test::CliResult;
using test::serverRows;
using test::text;

namespace {

constexpr const char* kStationFirmware = ":10010000000102030405060708090A0B0C0D0E0F77\n:00000001FF\n";

// A station of the line: its own folder, its config.cfg naming the server,
// and its own unit.
struct Station {
    explicit Station(const std::string& records)
    {
        folder.scratch.write("config.cfg", "RECORDS=" + records + "\n");
        folder.scratch.write("firmware.hex", kStationFirmware);
    }

    CliResult run(const QStringList& arguments) const
    {
        return folder.run(QStringList{"-p", QString::fromStdString(server.devicePath())} + arguments);
    }

    std::string writeJob(const std::string& serialKeys) const
    {
        const std::string job = folder.scratch.pathOf("line.job");
        const CliResult written = folder.run({"--write-job", QString::fromStdString(job), "--job-name", "TV-B", "-e",
                                              "-w", "-v", folder.inDir("firmware.hex")});
        EXPECT_EQ(written.exitCode, 0) << written.err;
        std::ofstream(job, std::ios::app) << serialKeys;
        return job;
    }

    test::StationFolder folder;
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server{unit};
};

int count(const std::string& uri, const std::string& sql)
{
    return serverRows(uri, sql).front().begin()->second.toInt();
}

} // namespace

// Two stations number units from one job on one server at the same time:
// every unit gets a number of its own, and the empty database got its tables
// from whichever came first.
TEST(RecordsServer, TwoStationsNumberingFromOneJobNeverShareANumber)
{
    test::PostgresServer postgres;
    const std::string uri = postgres.createDatabase("line");
    Station a(uri);
    Station b(uri);
    const std::string keys = "SERIAL_ADDRESS=0x1000\nSERIAL_LENGTH=4\nSERIAL_FORMAT=be\nSERIAL_FIRST=1000\n";
    const std::string jobA = a.writeJob(keys);
    const std::string jobB = b.writeJob(keys);
    constexpr int kUnitsEach = 50;
    const auto series = [](const Station& station, const std::string& job) {
        int failures = 0;
        for (int unit = 0; unit < kUnitsEach; ++unit)
            failures += station.run({"--job", QString::fromStdString(job)}).exitCode != 0;
        return failures;
    };
    auto second = std::async(std::launch::async, series, std::cref(b), jobB);
    EXPECT_EQ(series(a, jobA), 0);
    EXPECT_EQ(second.get(), 0);

    const auto rows = serverRows(uri, "SELECT serial, result FROM runs");
    ASSERT_EQ(rows.size(), 2u * kUnitsEach);
    std::set<std::int64_t> numbers;
    for (const test::Row& row : rows) {
        numbers.insert(row.at("serial").toLongLong());
        EXPECT_EQ(text(row, "result"), "ok");
    }
    EXPECT_EQ(numbers.size(), 2u * kUnitsEach) << "no number twice";
    EXPECT_EQ(*numbers.begin(), 1000);
    EXPECT_EQ(*numbers.rbegin(), 1000 + 2 * kUnitsEach - 1) << "none skipped";
    EXPECT_EQ(count(uri, "SELECT version FROM orvex_schema"), 1);
    std::printf("numbers handed out: %zu, distinct: %zu\n", rows.size(), numbers.size());
}

// Runs go on while the server is away; their records wait in the station's
// spool and reach the server once, each, when it is back.
TEST(RecordsServer, ServerAwayInTheMiddleOfASeriesLosesAndDoublesNoRecord)
{
    test::PostgresServer postgres;
    const std::string uri = postgres.createDatabase("line");
    Station station(uri);
    const QStringList steps{"-e", "-w", station.folder.inDir("firmware.hex")};
    for (int run = 0; run < 3; ++run)
        ASSERT_EQ(station.run(steps).exitCode, 0);
    ASSERT_EQ(count(uri, "SELECT COUNT(*) FROM runs"), 3);

    postgres.stop();
    for (int run = 0; run < 3; ++run) {
        const CliResult away = station.run(steps);
        EXPECT_EQ(away.exitCode, 0) << "a run never waits for the server: " << away.err;
    }
    const std::string job = station.writeJob("SERIAL_ADDRESS=0x1000\nSERIAL_LENGTH=4\nSERIAL_FORMAT=le\n");
    station.unit.clearRequests();
    const CliResult numbering = station.run({"--job", QString::fromStdString(job)});
    EXPECT_EQ(numbering.exitCode, 5) << numbering.err;
    EXPECT_NE(numbering.err.find("serial"), std::string::npos) << numbering.err;
    EXPECT_TRUE(station.unit.requests().empty()) << "no number, nothing sent";
    EXPECT_EQ(test::sqliteRows(station.folder.spool(), "SELECT COUNT(*) AS n FROM runs").front().at("n").toInt(), 3);

    postgres.start();
    ASSERT_EQ(station.run(steps).exitCode, 0);
    EXPECT_EQ(count(uri, "SELECT COUNT(*) FROM runs"), 7);
    EXPECT_EQ(count(uri, "SELECT COUNT(DISTINCT run_id) FROM runs WHERE result = 'ok'"), 7);
    EXPECT_EQ(test::sqliteRows(station.folder.spool(), "SELECT COUNT(*) AS n FROM runs").front().at("n").toInt(), 0);
    const CliResult report = station.folder.run({"--report", "--csv"});
    EXPECT_NE(report.out.find(",7,7,0,100.0,"), std::string::npos) << report.out;
}

// Whole runs seldom take their numbers at the same instant; here four
// connections take theirs as fast as they can, on the server and on SQLite.
TEST(RecordsServer, NumbersTakenAtOnceThroughManyConnectionsAreAllDifferent)
{
    test::PostgresServer postgres;
    test::ScratchDir scratch;
    const RecordsTarget targets[] = {
        std::get<RecordsTarget>(parseRecordsUrl(postgres.createDatabase("numbers"))),
        std::get<RecordsTarget>(parseRecordsUrl("sqlite:" + scratch.pathOf("runs.sqlite"))),
    };
    SerialNumbering numbering;
    numbering.length = 4;
    numbering.format = SerialFormat::LittleEndian;
    for (const RecordsTarget& target : targets) {
        {
            const RecordsConnection tables(target);
        } // made before the race
        std::mutex mutex;
        std::multiset<std::int64_t> numbers;
        std::vector<std::thread> takers;
        for (int taker = 0; taker < 4; ++taker)
            takers.emplace_back([&] {
                RecordsConnection connection(target);
                for (int i = 0; i < 40; ++i) {
                    const auto taken = takeSerial(connection, "race", numbering);
                    ASSERT_TRUE(std::holds_alternative<std::int64_t>(taken)) << std::get<std::string>(taken);
                    std::lock_guard lock(mutex);
                    numbers.insert(std::get<std::int64_t>(taken));
                }
            });
        for (std::thread& taker : takers)
            taker.join();
        EXPECT_EQ(numbers.size(), 160u) << target.describe();
        EXPECT_EQ(std::set<std::int64_t>(numbers.begin(), numbers.end()).size(), 160u)
            << target.describe() << ": a number twice";
    }
}
