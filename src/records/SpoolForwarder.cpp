#include "records/SpoolForwarder.h"

#include "records/RecordsConnection.h"
#include "records/RunRecordTable.h"

#include <QThread>

#include <chrono>

namespace orvex {

namespace {

constexpr int kBatch = 100;
constexpr std::chrono::seconds kRetryInterval{5};

} // namespace

ForwardResult forwardSpool(const RecordsTarget& spool, const RecordsTarget& server)
{
    ForwardResult result;
    RecordsConnection local(spool);
    if (local.failure()) {
        result.failure = local.failure();
        return result;
    }
    std::unique_ptr<RecordsConnection> remote;
    for (;;) {
        std::string failure;
        const auto records = loadRecords(local, RecordFilter{{}, {}, kBatch}, failure);
        if (!records) {
            result.failure = failure;
            return result;
        }
        if (records->empty())
            return result;
        if (!remote)
            remote = std::make_unique<RecordsConnection>(server);
        if (remote->failure()) {
            result.failure = remote->failure();
            return result;
        }
        for (const RunRecord& record : *records) {
            // Each statement commits on its own: the row is on the server
            // before it leaves the spool.
            result.failure = saveRecord(*remote, record);
            if (!result.failure)
                result.failure = deleteRecordAsRead(local, record);
            if (result.failure)
                return result;
            ++result.sent;
        }
    }
}

BackgroundForwarder::BackgroundForwarder(RecordsTarget spool, RecordsTarget server)
    : spool_(std::move(spool)), server_(std::move(server))
{
}

BackgroundForwarder::~BackgroundForwarder()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeUp_.notify_all();
    if (thread_)
        thread_->wait();
}

void BackgroundForwarder::start()
{
    thread_.reset(QThread::create([this] { loop(); }));
    thread_->start();
}

void BackgroundForwarder::wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

void BackgroundForwarder::loop()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        forwardSpool(spool_, server_);
        lock.lock();
        wakeUp_.wait_for(lock, kRetryInterval, [this] { return woken_ || stopping_; });
        woken_ = false;
    }
}

} // namespace orvex
