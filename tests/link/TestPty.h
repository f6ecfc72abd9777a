#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::test {

// A pseudo-terminal whose master end the test holds, standing in for the far
// end of a serial line.
class TestPty {
public:
    TestPty();
    ~TestPty();
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    void write(const std::vector<std::uint8_t>& bytes);
    // Everything that arrives within timeoutMs of the last byte.
    std::vector<std::uint8_t> readAll(int timeoutMs);
    // Makes the slave side see a vanished device.
    void closeMaster();
    int masterFd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace orvex::test
