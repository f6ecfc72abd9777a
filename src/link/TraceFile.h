#pragma once

#include "link/FrameTrace.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace orvex {

// A frame trace written to a text file, one line per thing seen:
//   0.012345 > AA 55 00 00 ..   a request
//   0.013012 < AA 55 04 00 ..   a reply
//   0.013050 ? 00 FF            bytes skipped outside a frame
// with the seconds since the port was last opened. Each line is on disk the
// moment it is written, so the trace of a run that hangs ends where it hung.
class TraceFile final : public FrameTrace {
public:
    // Creates or empties the file; null when that fails, with errno saying why.
    static std::unique_ptr<TraceFile> create(const std::string& path);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Lines count their seconds from here.
    void portOpened() override { zero_ = std::chrono::steady_clock::now(); }

    void request(std::span<const std::uint8_t> frame) override { writeLine('>', frame); }
    void reply(std::span<const std::uint8_t> frame) override { writeLine('<', frame); }
    void skipped(std::span<const std::uint8_t> bytes) override { writeLine('?', bytes); }

private:
    explicit TraceFile(std::FILE* file) : file_(file) {}
    void writeLine(char direction, std::span<const std::uint8_t> bytes);

    std::FILE* file_;
    std::chrono::steady_clock::time_point zero_ = std::chrono::steady_clock::now();
};

} // namespace orvex
