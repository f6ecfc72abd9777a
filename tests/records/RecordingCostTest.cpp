#include "records/RecordKeeping.h"
#include "records/RecordsConnection.h"
#include "records/SerialCounter.h"
#include "records/SerialNumber.h"
#include "support/PostgresServer.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <variant>

using namespace orvex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 15;
constexpr double kBudgetMs = 20.0;

struct Spread {
    double medianMs = 0;
    double longestMs = 0;
};

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Spread spreadOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

Spread timeEach(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(millisecondsOf(work));
    return spreadOf(times);
}

// What the recorder does in a run: the row at its start, the steps, the row
// at its end; all of it outside the exchanges, on the worker's thread.
void recordOneRun(RunRecorder& recorder)
{
    auto image = std::make_shared<RunImage>();
    image->bytes.assign(4096, 0x5A);
    recorder.onRunEvent(RunStarted{{RunStep::Erase, RunStep::Program}, image});
    for (const RunStep step : {RunStep::PowerOn, RunStep::Erase, RunStep::Program, RunStep::PowerOff})
        recorder.onRunEvent(StepFinished(step));
    recorder.onRunEvent(RunFinished{std::nullopt, "PROGRAM OK. Czas: 1.000 s", 1.0, std::nullopt});
}

RecordsTarget sqliteAt(const std::string& path)
{
    return std::get<RecordsTarget>(parseRecordsUrl("sqlite:" + path));
}

} // namespace

// The time a record adds to a run, on SQLite (the records file, or the
// spool in front of a server: the run writes the same local file either
// way) and for a serial number on SQLite and PostgreSQL, taken before the
// first request.
TEST(RecordingCost, ARecordAndASerialNumberCostARunLittle)
{
    test::ScratchDir scratch;
    RecordKeeping records(sqliteAt(scratch.pathOf("runs.sqlite")), "orvex-cli", "test");
    RunRecorder& recorder = records.recorder();
    // On a worker thread, as in a run.
    std::vector<double> times;
    std::thread([&] {
        for (int i = 0; i < kRuns; ++i)
            times.push_back(millisecondsOf([&] { recordOneRun(recorder); }));
    }).join();
    const Spread record = spreadOf(times);
    ASSERT_FALSE(recorder.lastOutcome()->failure) << *recorder.lastOutcome()->failure;

    SerialNumbering numbering;
    numbering.address = 0x1000;
    numbering.length = 4;
    numbering.format = SerialFormat::LittleEndian;
    const auto numberOn = [&](const RecordsTarget& target) {
        return timeEach([&] {
            RecordsConnection connection(target);
            ASSERT_TRUE(std::holds_alternative<std::int64_t>(takeSerial(connection, "cost", numbering)));
        });
    };
    const Spread sqliteSerial = numberOn(sqliteAt(scratch.pathOf("runs.sqlite")));
    test::PostgresServer postgres;
    const auto server = std::get<RecordsTarget>(parseRecordsUrl(postgres.createDatabase("cost")));
    const Spread serverSerial = numberOn(server);

    std::printf("record per run (SQLite, WAL, synchronous=FULL): median %.2f ms, longest %.2f ms\n", record.medianMs,
                record.longestMs);
    std::printf("serial number before a run: SQLite median %.2f ms (longest %.2f), PostgreSQL median %.2f ms "
                "(longest %.2f)\n",
                sqliteSerial.medianMs, sqliteSerial.longestMs, serverSerial.medianMs, serverSerial.longestMs);
    EXPECT_LT(record.medianMs, kBudgetMs);
    EXPECT_LT(sqliteSerial.medianMs, kBudgetMs);
    EXPECT_LT(serverSerial.medianMs, kBudgetMs);
}

TEST(SerialNumbers, EachFormatWritesTheNumberAsItsNameSays)
{
    const auto encoded = [](SerialFormat format, std::uint64_t length, std::int64_t number) {
        SerialNumbering numbering;
        numbering.format = format;
        numbering.length = length;
        return encodeSerial(numbering, number);
    };
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(encoded(SerialFormat::Decimal, 5, 42), (Bytes{'0', '0', '0', '4', '2'}));
    EXPECT_EQ(encoded(SerialFormat::Hex, 4, 0xBEEF), (Bytes{'B', 'E', 'E', 'F'}));
    EXPECT_EQ(encoded(SerialFormat::LittleEndian, 3, 0x010203), (Bytes{0x03, 0x02, 0x01}));
    EXPECT_EQ(encoded(SerialFormat::BigEndian, 3, 0x010203), (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(largestSerial(SerialFormat::Decimal, 3), 999);
    EXPECT_EQ(largestSerial(SerialFormat::Hex, 2), 0xFF);
    EXPECT_EQ(largestSerial(SerialFormat::BigEndian, 2), 0xFFFF);
}
