// The least a cycle can cost on this machine: program, verify and read back
// a firmware file through the project's frame and command code over a plain
// termios port, in one thread, with nothing else. The benchmarks measure
// orvex-cli, the window and the station against this client in the same
// run, so that a machine that wakes up slowly is not taken for a slow
// program. It holds the same fast wake-up request as they
// do while it exchanges frames.
// Usage: bench_bare_cycle DEVICE FIRMWARE.bin [READBACK.bin]

#include "TermiosPort.h"

#include "device/ProgrammerDevice.h"
#include "engine/FastWakeUpRequest.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

using namespace orvex;

namespace {

class NoObserver final : public RunObserver {
public:
    void onRunEvent(const RunEvent&) override {}
};

std::vector<std::uint8_t> readFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

double processorSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The steps of orvex-cli -w -v -r, in its order.
bool runCycle(ProgrammerDevice& device, const std::vector<std::uint8_t>& image)
{
    const FastWakeUpRequest fastWakeUp;
    device.drainInput();
    const bool ok = device.powerOn() && device.programFlash(image) && device.verifyFlash(image) && device.readFlash();
    return device.powerOff() && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_bare_cycle DEVICE FIRMWARE.bin [READBACK.bin]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::uint8_t> image = readFile(argv[2]);
    bench::TermiosPort port;
    if (const std::string failure = port.open(argv[1]); !failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    NoObserver observer;
    ProgrammerDevice device(port, observer);
    const bool ran = runCycle(device, image);
    const auto readBack = device.readBackData();
    if (argc > 3)
        std::ofstream(argv[3], std::ios::binary)
            .write(reinterpret_cast<const char*>(readBack.data()), static_cast<std::streamsize>(readBack.size()));
    // The unit reads back its whole flash; an image may be shorter.
    const bool matches =
        ran && readBack.size() >= image.size() && std::equal(image.begin(), image.end(), readBack.begin());
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processor = processorSeconds();
    std::printf("bare cycle %.3f s wall, %.3f s processor, %.2f %% of a core, %s\n", wall, processor,
                processor / wall * 100, matches ? "read-back matches" : "FAILED");
    return matches ? 0 : 1;
}
