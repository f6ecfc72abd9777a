#pragma once

#include "link/BytePort.h"

#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <span>
#include <thread>
#include <vector>

namespace orvex::test {

// An in-memory byte pipe: what the test queues is what the link reads, and
// what the link sends is kept for inspection. A far end may answer each
// request (each send() is one) in place of queued bytes.
class MemoryPort : public BytePort {
public:
    // What the far end sends back for one request. The pieces arrive one after
    // another, each once the receiver has taken all before it and waits again,
    // as a reply the line cut up would. No pieces: the far end stays silent.
    // closesPort: the line goes away instead (an adapter pulled out).
    struct Answer {
        std::vector<std::vector<std::uint8_t>> pieces;
        bool closesPort = false;
    };
    using FarEnd = std::function<Answer(std::span<const std::uint8_t> request)>;

    void answerWith(FarEnd farEnd) { farEnd_ = std::move(farEnd); }
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
        if (farEnd_)
            awaitAnswer(farEnd_({bytes, static_cast<std::size_t>(count)}));
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
        if (input_.empty() && !arriving_.empty()) {
            queue(arriving_.front());
            arriving_.pop_front();
        }
        if (bytesAvailable() > 0)
            return PortInput::Waiting;
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return PortInput::TimedOut;
    }

private:
    void awaitAnswer(Answer answer)
    {
        if (answer.closesPort)
            open_ = false;
        else
            arriving_.insert(arriving_.end(), answer.pieces.begin(), answer.pieces.end());
    }

    bool open_ = true;
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> sent_;
    FarEnd farEnd_;
    std::deque<std::vector<std::uint8_t>> arriving_;
};

} // namespace orvex::test
