#pragma once

#include "records/RecordsTarget.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QThread;

namespace orvex {

struct ForwardResult {
    int sent = 0;
    std::optional<std::string> failure; // why the rest stayed in the spool
};

// Sends the spooled records to the server, oldest first, each in a
// transaction of its own, and takes a row out of the spool only after the
// server committed it. A row sent twice (a crash between the two) changes
// nothing the second time, so each run is on the server once, by its run_id.
// Runs on the calling thread, with connections of its own.
ForwardResult forwardSpool(const RecordsTarget& spool, const RecordsTarget& server);

// Forwards the spool on a thread of its own: at once, after every run, and
// every few seconds while the server is away.
class BackgroundForwarder {
public:
    BackgroundForwarder(RecordsTarget spool, RecordsTarget server);
    ~BackgroundForwarder(); // stops the thread
    BackgroundForwarder(const BackgroundForwarder&) = delete;
    BackgroundForwarder& operator=(const BackgroundForwarder&) = delete;

    void start();
    // Any thread: send what is spooled now rather than at the next retry.
    void wake();

private:
    void loop();

    RecordsTarget spool_;
    RecordsTarget server_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool woken_ = false;
    bool stopping_ = false;
    std::unique_ptr<QThread> thread_;
};

} // namespace orvex
