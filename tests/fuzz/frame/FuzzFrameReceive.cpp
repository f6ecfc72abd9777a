// Feeds arbitrary bytes, cut into arbitrary pieces, to the link's frame
// receive, until the line has nothing more to give. Every frame it accepts
// must carry a good CRC, must be the bytes the line carried right before the
// read position, and the outcomes must not depend on how the bytes were cut.
//
// Input: one byte n (taken modulo 16), then n piece lengths of one byte each
// (0 reads as 256), then the bytes on the line; what the pieces leave over
// comes in one last piece.

#include "link/Crc8Maxim.h"
#include "link/FrameLink.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <span>
#include <vector>

namespace {

using orvex::Frame;
using orvex::FrameLink;
using orvex::PortInput;
using orvex::ReceiveOutcome;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A line that offers its bytes one piece at a time: each piece shows up only
// after a wait that found nothing, as bytes do that arrive late. Once all are
// read the line is gone, so no receive waits for its deadline.
class PiecewisePort : public orvex::BytePort {
public:
    PiecewisePort(std::span<const std::uint8_t> line, std::deque<std::size_t> pieces)
        : line_(line), pieces_(std::move(pieces))
    {
    }

    std::size_t position() const { return position_; }
    bool exhausted() const { return position_ == line_.size(); }

    int send(const std::uint8_t*, int count) override { return count > 0 ? count : 0; }
    int bytesAvailable() override { return static_cast<int>(arrived_ - position_); }

    int read(std::uint8_t* buffer, int max) override
    {
        const auto count = std::min<std::size_t>(arrived_ - position_, static_cast<std::size_t>(std::max(max, 0)));
        std::copy_n(line_.begin() + static_cast<std::ptrdiff_t>(position_), count, buffer);
        position_ += count;
        return static_cast<int>(count);
    }

    PortInput waitForInput(int) override
    {
        if (bytesAvailable() > 0)
            return PortInput::Waiting;
        if (exhausted())
            return PortInput::Closed;
        arrived_ = std::min(line_.size(), arrived_ + nextPiece());
        return PortInput::TimedOut;
    }

private:
    std::size_t nextPiece()
    {
        if (pieces_.empty())
            return line_.size();
        const std::size_t piece = pieces_.front();
        pieces_.pop_front();
        return piece;
    }

    std::span<const std::uint8_t> line_;
    std::deque<std::size_t> pieces_;
    std::size_t arrived_ = 0;
    std::size_t position_ = 0;
};

struct Outcome {
    bool accepted;
    std::size_t endPosition;
    bool operator==(const Outcome&) const = default;
};

void checkAcceptedFrame(const Frame& rx, std::span<const std::uint8_t> line, std::size_t endPosition)
{
    const auto wire = rx.wireBytes();
    check(wire[0] == Frame::kSync1 && wire[1] == Frame::kSync2);
    check(orvex::Crc8Maxim::compute(wire.subspan(1)) == 0);
    check(endPosition >= wire.size());
    check(std::equal(wire.begin(), wire.end(), line.begin() + static_cast<std::ptrdiff_t>(endPosition - wire.size())));
}

std::vector<Outcome> receiveAll(std::span<const std::uint8_t> line, std::deque<std::size_t> pieces)
{
    PiecewisePort port(line, std::move(pieces));
    FrameLink link(port);
    std::vector<Outcome> outcomes;
    Frame rx;
    while (!port.exhausted()) {
        const bool accepted = link.receiveFrame(rx) == ReceiveOutcome::Good;
        if (accepted)
            checkAcceptedFrame(rx, line, port.position());
        outcomes.push_back({accepted, port.position()});
    }
    check(link.receiveFrame(rx) != ReceiveOutcome::Good); // a line that is gone gives nothing more
    return outcomes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t pieceCount = std::min<std::size_t>(data[0] % 16, size - 1);
    std::deque<std::size_t> pieces;
    for (std::size_t i = 1; i <= pieceCount; ++i)
        pieces.push_back(data[i] == 0 ? 256 : data[i]);
    const std::span<const std::uint8_t> line(data + 1 + pieceCount, size - 1 - pieceCount);

    check(receiveAll(line, pieces) == receiveAll(line, {}));
    return 0;
}
