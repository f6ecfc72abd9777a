#pragma once

#include "device/ProgrammerDevice.h"
#include "engine/PortKeeper.h"
#include "engine/ProcedureExecutor.h"
#include "engine/RequestMailbox.h"
#include "engine/WorkerThread.h"
#include "link/SerialPort.h"
#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <span>
#include <string>

namespace orvex::ui {

// Everything the window keeps of the engine: the serial port, the programmer
// device that talks through it, the executor, the mailbox and the worker
// thread that uses them. The window
// talks to the worker only through this.
class ProgrammerEngine {
public:
    explicit ProgrammerEngine(WorkerNotifier& notifier);
    ProgrammerEngine(const ProgrammerEngine&) = delete;
    ProgrammerEngine& operator=(const ProgrammerEngine&) = delete;

    // Before start(): the devices "COM<n>" stands for, and the port the worker
    // opens first.
    void setPortDevices(PortDeviceMap devices);
    void setPortNumber(int portNumber) { mailbox_.setPortNumber(portNumber); }
    void start() { worker_.start(); }
    // Waits for any run under way to end and for the thread; the caller must
    // not be needed by the worker meanwhile.
    void stop() { worker_.stop(); }

    // Only between runs: the bytes stay the caller's and must not change or
    // go while a run may read them.
    void setImage(std::span<const std::uint8_t> data);
    void requestPortChange(int portNumber) { mailbox_.requestPortChange(portNumber); }
    void requestRun(std::uint16_t stepSet) { mailbox_.requestRun(stepSet); }

    // Why the last open failed, in words; empty after a good open. Worker
    // thread only, like the port: the window gets it through the lamp call.
    std::string portOpenFailure() const { return port_.port().lastOpenError(); }
    // The device "COM<portNumber>" stands for here.
    std::string portDevice(int portNumber) const { return portDeviceName(portNumber, portDevices_); }

private:
    PortDeviceMap portDevices_;
    PortKeeper port_;
    ProgrammerDevice device_;
    ProcedureExecutor executor_;
    RequestMailbox mailbox_;
    WorkerThread worker_;
};

} // namespace orvex::ui
