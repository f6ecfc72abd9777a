#pragma once

#include <cstdint>
#include <span>

namespace orvex {

// Sees every frame that crosses the line, both ways, and the bytes that were
// thrown away outside a frame: for a production engineer's trace of a run.
// Called on the thread that uses the link, as each thing happens.
class FrameTrace {
public:
    // The port was opened (again): what follows is a new conversation.
    virtual void portOpened() = 0;
    virtual void request(std::span<const std::uint8_t> frame) = 0;
    virtual void reply(std::span<const std::uint8_t> frame) = 0;
    virtual void skipped(std::span<const std::uint8_t> bytes) = 0;

protected:
    ~FrameTrace() = default;
};

} // namespace orvex
