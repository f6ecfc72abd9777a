#pragma once

#include "device/ProgrammerDevice.h"
#include "engine/PortKeeper.h"
#include "engine/ProcedureExecutor.h"
#include "engine/RequestMailbox.h"
#include "engine/RunReporter.h"
#include "engine/WorkerThread.h"
#include "link/FrameTrace.h"
#include "link/SerialPort.h"
#include "notify/PortObserver.h"
#include "notify/ReadBackPrompt.h"
#include "notify/RunEvents.h"

#include <string>

namespace orvex {

// One programmer unit as a front end sees it: the serial port, the device
// that talks through it, the executor and the worker thread that uses them.
// A front end chooses the port, starts runs with their steps and image, and
// learns what happens from the events its observers get, on the worker's
// thread. Nothing here waits for the front end's thread, and only stop()
// waits for the worker.
class ProgrammerEngine {
public:
    ProgrammerEngine(ReadBackPrompt& readBackPrompt, PortObserver& portObserver,
                     int receiveTimeoutMs = FrameLink::kReceiveTimeoutMs);
    ProgrammerEngine(const ProgrammerEngine&) = delete;
    ProgrammerEngine& operator=(const ProgrammerEngine&) = delete;

    // Before start(): who sees the runs' events, in this order; the frame
    // trace, if any; the devices "COM<n>" stands for; the port opened first.
    void addObserver(RunObserver& observer) { reporter_.addObserver(observer); }
    void setTrace(FrameTrace* trace);
    void setPortDevices(PortDeviceMap devices);
    void setPortNumber(int portNumber) { mailbox_.setPortNumber(portNumber); }
    // A port given by its device path instead of a COM number.
    void setPortDevice(const std::string& devicePath);

    void start() { worker_.start(); }
    // Waits for any run under way to end and for the thread; the caller must
    // not be needed by the worker meanwhile (its save dialog, say).
    void stop() { worker_.stop(); }

    void requestPortChange(int portNumber) { mailbox_.requestPortChange(portNumber); }
    // The worker wakes and starts the run at once, on the port open by then.
    void requestRun(RunRequest request) { mailbox_.requestRun(std::move(request)); }

    // The device "COM<portNumber>" stands for here.
    std::string portDevice(int portNumber) const { return portDeviceName(portNumber, portDevices_); }

private:
    PortDeviceMap portDevices_;
    RunReporter reporter_;
    PortKeeper port_;
    ProgrammerDevice device_;
    ProcedureExecutor executor_;
    RequestMailbox mailbox_;
    WorkerThread worker_;
};

} // namespace orvex
