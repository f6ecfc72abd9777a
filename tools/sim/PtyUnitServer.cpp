#include "sim/PtyUnitServer.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace orvex::sim {

namespace {

// Large enough for any burst the PC writes between two polls.
constexpr std::size_t kReadChunk = 4096;

FileDescriptor makeStopEvent()
{
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    return FileDescriptor(fd);
}

timespec toTimespec(std::chrono::nanoseconds duration)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((duration - seconds).count())};
}

} // namespace

PtyUnitServer::PtyUnitServer(SimulatedUnit& unit, Options options)
    : unit_(unit),
      stopEvent_(makeStopEvent()),
      inbound_(options.lineRateBps),
      outbound_(options.lineRateBps),
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
    const std::uint64_t wake = 1;
    [[maybe_unused]] const auto written = ::write(stopEvent_.get(), &wake, sizeof wake);
    thread_.join();
}

void PtyUnitServer::serve()
{
    std::array<std::uint8_t, kReadChunk> buffer;
    while (waitForInput()) {
        // Everything waiting is taken in one read, however the PC wrote it.
        const auto count = ::read(pty_.master(), buffer.data(), buffer.size());
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return; // the pty is gone; cannot happen while it holds its slave
        if (count <= 0)
            continue;
        const auto firstByteStart = inbound_.occupy(Clock::now(), static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            if (parser_.feed(buffer[i]) && !serveRequest(firstByteStart + inbound_.wireTime(i + 1)))
                return;
        }
    }
}

bool PtyUnitServer::waitForInput()
{
    std::array<pollfd, 2> fds{{{pty_.master(), POLLIN, 0}, {stopEvent_.get(), POLLIN, 0}}};
    while (::poll(fds.data(), fds.size(), -1) < 0) {
        if (errno != EINTR)
            return false;
    }
    return (fds[1].revents & POLLIN) == 0;
}

// A request's last byte lands at arrival; the unit answers after its work.
bool PtyUnitServer::serveRequest(Clock::time_point arrival)
{
    if (!sleepUntil(arrival))
        return false;
    const UnitReply reply = unit_.handleRequest(parser_.command(), parser_.payload());
    if (!sleepUntil(Clock::now() + reply.workTime))
        return false;
    return sendReply(reply.bytes);
}

bool PtyUnitServer::sendReply(std::span<const std::uint8_t> bytes)
{
    if (outbound_.instant()) {
        writeToLine(bytes);
        return true;
    }
    // Each step goes out when the line has carried its last byte, measured
    // from one start time so that the pauses do not add up to drift.
    const auto start = outbound_.occupy(Clock::now(), bytes.size());
    const auto step = outbound_.bytesPerPacingStep();
    for (std::size_t offset = 0; offset < bytes.size(); offset += step) {
        const auto end = std::min(bytes.size(), offset + step);
        if (!sleepUntil(start + outbound_.wireTime(end)))
            return false;
        writeToLine(bytes.subspan(offset, end - offset));
    }
    return true;
}

bool PtyUnitServer::sleepUntil(Clock::time_point deadline)
{
    pollfd stopFd{stopEvent_.get(), POLLIN, 0};
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        const timespec timeout = toTimespec(deadline - now);
        if (::ppoll(&stopFd, 1, &timeout, nullptr) > 0)
            return false;
    }
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
