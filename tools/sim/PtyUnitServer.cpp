#include "sim/PtyUnitServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <pthread.h>

namespace orvex::sim {

namespace {

// Large enough for any burst the PC writes between two polls.
constexpr std::size_t kReadChunk = 4096;

// A real unit answers in its own time, whatever else the PC is busy with; on a
// loaded machine only a real-time thread comes close. Where the system does
// not grant it (no privilege), the thread keeps the ordinary scheduling.
void preferRealTimeScheduling()
{
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    [[maybe_unused]] const int refused = pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
}

} // namespace

PtyUnitServer::PtyUnitServer(SimulatedUnit& unit, Options options)
    : unit_(unit), options_(options), inbound_(options.lineRateBps), outbound_(options.lineRateBps),
      thread_([this] { serve(); })
{
}

PtyUnitServer::~PtyUnitServer()
{
    stop();
}

const std::string& PtyUnitServer::devicePath() const
{
    return pty_.slavePath();
}

void PtyUnitServer::injectBytes(std::span<const std::uint8_t> bytes)
{
    writeToLine(bytes);
}

void PtyUnitServer::stop()
{
    if (!thread_.joinable())
        return;
    sleeper_.stop();
    thread_.join();
}

ExchangeTiming PtyUnitServer::timing() const
{
    std::lock_guard lock(timingMutex_);
    return timing_;
}

void PtyUnitServer::serve()
{
    // Named, so that a program hosting a unit can tell its own threads' work
    // from the unit's.
    pthread_setname_np(pthread_self(), kThreadName);
    if (!outbound_.instant())
        preferRealTimeScheduling();
    std::array<std::uint8_t, kReadChunk> buffer;
    while (sleeper_.waitReadable(pty_.master())) {
        // Everything waiting is taken in one read, however the PC wrote it.
        const auto count = ::read(pty_.master(), buffer.data(), buffer.size());
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return; // the pty is gone; cannot happen while it holds its slave
        if (count <= 0)
            continue;
        const auto seen = Clock::now();
        {
            std::lock_guard lock(timingMutex_);
            timing_.bytesReceived(seen, static_cast<std::size_t>(count));
        }
        const auto firstByteStart = inbound_.occupy(seen, static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            if (parser_.feed(buffer[i]) && !serveRequest(firstByteStart + inbound_.wireTime(i + 1)))
                return;
        }
    }
}

// A request's last byte lands at arrival. The reply is timed from that
// moment, not from when this thread woke up, so a late wake-up costs the line
// nothing.
bool PtyUnitServer::serveRequest(Clock::time_point arrival)
{
    if (!sleeper_.sleepUntil(arrival))
        return false;
    const UnitReply reply = unit_.handleRequest(parser_.command(), parser_.payload());
    return sendReply(reply.bytes, arrival + reply.workTime + options_.replyLatency);
}

bool PtyUnitServer::sendReply(std::span<const std::uint8_t> bytes, Clock::time_point earliest)
{
    if (bytes.empty())
        return sleeper_.sleepUntil(earliest); // the unit is busy all the same
    const auto start = outbound_.occupy(earliest, bytes.size());
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto stepEnd = std::min(bytes.size(), sent + outbound_.bytesPerPacingStep());
        const bool last = stepEnd == bytes.size();
        // Only the last byte's moment is worth spinning for: the PC acts on it.
        const auto due = start + outbound_.wireTime(stepEnd);
        if (!(last ? sleeper_.sleepUntilExactly(due) : sleeper_.sleepUntil(due)))
            return false;
        // After a late wake-up, everything due by now goes in this one write.
        const auto carried = std::clamp(outbound_.bytesCarried(start, Clock::now()), stepEnd, bytes.size());
        writeToLine(bytes.subspan(sent, carried - sent));
        sent = carried;
    }
    const auto delivered = Clock::now();
    std::lock_guard lock(timingMutex_);
    timing_.replyDelivered(start + outbound_.wireTime(bytes.size()), delivered, bytes.size());
    return true;
}

void PtyUnitServer::writeToLine(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(writeMutex_);
    while (!bytes.empty()) {
        const auto written = ::write(pty_.master(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        // A full tty means nobody reads the port; like a real line, the unit
        // does not wait for its receiver and the bytes are lost.
        if (written <= 0)
            return;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

} // namespace orvex::sim
