#pragma once

#include "link/BytePort.h"

#include <chrono>
#include <deque>
#include <initializer_list>
#include <thread>
#include <vector>

namespace orvex::test {

// An in-memory byte pipe: what the test queues is what the link reads, and
// what the link sends is kept for inspection.
class MemoryPort : public BytePort {
public:
    void queue(std::initializer_list<std::uint8_t> bytes) { input_.insert(input_.end(), bytes); }
    void queue(const std::vector<std::uint8_t>& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    void setOpen(bool open) { open_ = open; }
    const std::vector<std::uint8_t>& sent() const { return sent_; }
    std::size_t queued() const { return input_.size(); }

    int send(const std::uint8_t* bytes, int count) override
    {
        if (!open_ || count <= 0)
            return 0;
        sent_.insert(sent_.end(), bytes, bytes + count);
        return count;
    }

    int bytesAvailable() override { return open_ ? static_cast<int>(input_.size()) : 0; }

    int read(std::uint8_t* buffer, int max) override
    {
        int taken = 0;
        while (open_ && taken < max && !input_.empty()) {
            buffer[taken++] = input_.front();
            input_.pop_front();
        }
        return taken;
    }

    PortInput waitForInput(int timeoutMs) override
    {
        if (!open_)
            return PortInput::Closed;
        if (bytesAvailable() > 0)
            return PortInput::Waiting;
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return PortInput::TimedOut;
    }

private:
    bool open_ = true;
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> sent_;
};

} // namespace orvex::test
