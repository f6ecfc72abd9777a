#include "sim/ExchangeTiming.h"
#include "sim/SerialLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvex::sim::test {
namespace {

using std::chrono::microseconds;
using std::chrono::nanoseconds;
using Clock = std::chrono::steady_clock;

TEST(LatencyHistogramTest, PercentilesAreExactToTheMicrosecondBelow64AndWithin4PercentAbove)
{
    LatencyHistogram small;
    for (int us = 1; us <= 50; ++us)
        small.record(microseconds(us));
    EXPECT_EQ(small.percentile(0.5), microseconds(26)) << "the top of the bucket of 25 us";
    EXPECT_EQ(small.percentile(1.0), microseconds(51));

    for (const long long us : {100LL, 777LL, 5'000LL, 123'456LL, 3'600'000'000LL}) {
        LatencyHistogram one;
        one.record(microseconds(us));
        const auto top = one.percentile(0.99).count();
        EXPECT_GT(top, us);
        EXPECT_LE(top, us + us / 25) << us;
    }
}

TEST(LatencyHistogramTest, KeepsCountTotalAndLongestAndCountsNegativeAsZero)
{
    LatencyHistogram histogram;
    EXPECT_EQ(histogram.percentile(0.5), microseconds(0)) << "empty";

    histogram.record(microseconds(-5));
    histogram.record(microseconds(10));
    histogram.record(std::chrono::hours(5)); // past the last bucket

    EXPECT_EQ(histogram.count(), 3u);
    EXPECT_EQ(histogram.total(), microseconds(10) + std::chrono::hours(5));
    EXPECT_EQ(histogram.longest(), std::chrono::hours(5));
    EXPECT_EQ(histogram.percentile(0.3), microseconds(1));
    EXPECT_GT(histogram.percentile(1.0), std::chrono::hours(1));
}

// The turnaround runs from a reply's end to the first bytes after it only:
// the rest of a request written in pieces is no new turnaround.
TEST(ExchangeTimingTest, TimesThePcFromAReplyToTheFirstBytesAfterIt)
{
    ExchangeTiming timing;
    const auto t0 = Clock::now();
    timing.bytesReceived(t0, 5); // before any reply: nothing to time
    timing.replyDelivered(t0 + microseconds(900), t0 + microseconds(1000), 6);
    timing.bytesReceived(t0 + microseconds(1040), 7);
    timing.bytesReceived(t0 + microseconds(5000), 6);
    timing.replyDelivered(t0 + microseconds(9000), t0 + microseconds(9010), 77);

    EXPECT_EQ(timing.turnaround().count(), 1u);
    EXPECT_EQ(timing.turnaround().longest(), microseconds(40));
    EXPECT_EQ(timing.lateness().total(), microseconds(110));
    EXPECT_EQ(timing.bytesReceived(), 18u);
    EXPECT_EQ(timing.bytesSent(), 83u);

    // Scripts read the report by these names.
    std::istringstream report(timing.summary());
    std::string name;
    std::uint64_t replies = 0;
    report >> name >> replies;
    EXPECT_EQ(name, "replies");
    EXPECT_EQ(replies, 2u);
    EXPECT_NE(timing.summary().find(
                  "\nbytes-received 18\nbytes-sent 83\npc-turnaround-us median 41 p99 41 max 40 total 40\n"),
              std::string::npos)
        << timing.summary();
    EXPECT_NE(timing.summary().find("unit-lateness-us median 11 p99 102 max 100 total 110\n"), std::string::npos);
}

// Pacing writes what bytesCarried says is off the wire; it must agree with
// the wire time to the byte, also hours into a session.
TEST(SerialLineTest, BytesCarriedAgreesWithWireTimeToTheByte)
{
    for (const int rate : {300, 9600, 115200, 1'000'000}) {
        const SerialLine line(rate);
        const auto start = Clock::time_point(std::chrono::hours(1000));
        for (std::size_t count : {std::size_t{1}, std::size_t{77}, std::size_t{4099}, std::size_t{1} << 30}) {
            EXPECT_EQ(line.bytesCarried(start, start + line.wireTime(count)), count) << rate << " bps";
            EXPECT_EQ(line.bytesCarried(start, start + line.wireTime(count) - nanoseconds(1)), count - 1)
                << rate << " bps";
        }
    }
}

} // namespace
} // namespace orvex::sim::test
