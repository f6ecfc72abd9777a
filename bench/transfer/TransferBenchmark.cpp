// Programs, verifies and reads back a whole 131072-byte image against the
// simulated unit on a pty, with no line-rate limit, and prints how long the
// PC side takes per exchange: wall time, and the CPU time of the thread that
// runs the commands.

#include "device/ProgrammerDevice.h"
#include "link/SerialPort.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "support/Timing.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

using namespace orvex;

namespace {

class QuietObserver final : public RunObserver {
public:
    void onRunEvent(const RunEvent&) override {}
};

struct Phase {
    const char* name;
    std::function<bool()> operation;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server(unit);
    QuietObserver observer;
    SerialPort port;
    ProgrammerDevice device(port, observer);
    if (!port.openDevice(server.devicePath(), 115200) || !device.powerOn()) {
        std::fprintf(stderr, "cannot reach the simulated unit\n");
        return 1;
    }

    std::vector<std::uint8_t> image(ProgrammerDevice::kFlashSize);
    std::mt19937 rng(7);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());

    // Each transfer: init, 2048 blocks, end.
    constexpr int kExchangesPerTransfer = ProgrammerDevice::kFlashSize / ProgrammerDevice::kBlockSize + 2;
    const Phase phases[] = {{"program", [&] { return device.programFlash(image); }},
                            {"verify", [&] { return device.verifyFlash(image); }},
                            {"read", [&] { return device.readFlash(); }}};
    double totalWall = 0.0;
    double totalCpu = 0.0;
    bool allOk = true;
    for (const Phase& phase : phases) {
        const double cpuBefore = test::threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const bool result = phase.operation();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = test::threadCpuSeconds() - cpuBefore;
        allOk = allOk && result;
        totalWall += wall;
        totalCpu += cpu;
        std::printf("%-8s %s  %7.3f s wall  %6.1f us wall/exchange  %6.1f us PC CPU/exchange\n", phase.name,
                    result ? "ok    " : "FAILED", wall, wall * 1e6 / kExchangesPerTransfer,
                    cpu * 1e6 / kExchangesPerTransfer);
    }
    const bool sameBytes = device.readBackLength() == ProgrammerDevice::kFlashSize
                           && std::equal(image.begin(), image.end(), device.readBackData().begin());
    const int exchanges = 3 * kExchangesPerTransfer;
    std::printf("total    %7.3f s wall for %d exchanges: %.1f us wall/exchange, %.1f us PC CPU/exchange; "
                "read-back %s\n",
                totalWall, exchanges, totalWall * 1e6 / exchanges, totalCpu * 1e6 / exchanges,
                sameBytes ? "matches" : "DIFFERS");
    return allOk && sameBytes ? 0 : 1;
}
