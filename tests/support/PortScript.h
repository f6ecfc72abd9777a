#pragma once

#include "link/MemoryPort.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace orvex::test {

// The far end of a MemoryPort as a script: each request must be, byte for
// byte, the one expected next, and gets the answer written beside it. A
// request off the script gets silence and spoils the script.
class PortScript {
public:
    void expect(std::vector<std::uint8_t> request, MemoryPort::Answer answer = {})
    {
        exchanges_.push_back({std::move(request), std::move(answer)});
    }

    MemoryPort::FarEnd farEnd()
    {
        return [this](std::span<const std::uint8_t> request) {
            if (next_ < exchanges_.size() && std::ranges::equal(request, exchanges_[next_].request))
                return exchanges_[next_++].answer;
            offScript_ = true;
            return MemoryPort::Answer{};
        };
    }

    // Every expected request came, in order, and no other.
    bool played() const { return next_ == exchanges_.size() && !offScript_; }

private:
    struct Exchange {
        std::vector<std::uint8_t> request;
        MemoryPort::Answer answer;
    };

    std::vector<Exchange> exchanges_;
    std::size_t next_ = 0;
    bool offScript_ = false;
};

} // namespace orvex::test
