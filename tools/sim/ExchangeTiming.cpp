#include "sim/ExchangeTiming.h"

#include <sstream>

namespace orvex::sim {

namespace {

long long wholeMicros(std::chrono::nanoseconds duration)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

void describe(std::ostream& out, const char* name, const LatencyHistogram& histogram)
{
    out << name << " median " << histogram.percentile(0.5).count() << " p99 " << histogram.percentile(0.99).count()
        << " max " << wholeMicros(histogram.longest()) << " total " << wholeMicros(histogram.total()) << '\n';
}

} // namespace

void ExchangeTiming::bytesReceived(Clock::time_point seen, std::size_t count)
{
    bytesReceived_ += count;
    if (awaitingNextRequest_)
        turnaround_.record(seen - lastDelivered_);
    awaitingNextRequest_ = false;
}

void ExchangeTiming::replyDelivered(Clock::time_point due, Clock::time_point delivered, std::size_t count)
{
    bytesSent_ += count;
    lateness_.record(delivered - due);
    lastDelivered_ = delivered;
    awaitingNextRequest_ = true;
}

std::string ExchangeTiming::summary() const
{
    std::ostringstream out;
    out << "replies " << lateness_.count() << "\nbytes-received " << bytesReceived_ << "\nbytes-sent " << bytesSent_
        << '\n';
    describe(out, "pc-turnaround-us", turnaround_);
    describe(out, "unit-lateness-us", lateness_);
    return out.str();
}

} // namespace orvex::sim
