#pragma once

#include "notify/RunEvents.h"

#include <QJsonObject>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace orvex::cli {

// Writes a run's events as JSON Lines, one compact object per event, each
// flushed as it happens. The fields are a promise to scripts (see
// docs/json-events.md): they are only ever added, never renamed.
class JsonEventWriter final : public RunObserver {
public:
    static constexpr int kSchema = 1;
    // At most 20 progress objects a second per transfer; the last one always.
    static constexpr std::chrono::milliseconds kProgressSpacing{55};

    struct Context {
        std::string port;   // as given with -p
        std::string device; // the device opened
        std::function<int(const RunFinished&)> exitStatusOf;
    };

    JsonEventWriter(std::FILE* out, Context context);

    void onRunEvent(const RunEvent& event) override;

    // The one object a run refused before it started gets.
    static void writeRefusal(std::FILE* out, const std::string& port, const std::string& reason, int exitStatus);

private:
    QJsonObject describe(const RunStarted& started) const;
    QJsonObject describe(const StepStarted& started) const;
    std::optional<QJsonObject> describe(const StepProgress& progress);
    QJsonObject describe(const StepFinished& finished) const;
    QJsonObject describe(const RunFinished& finished) const;
    QJsonObject eventObject(const char* name) const;

    std::FILE* out_;
    Context context_;
    std::chrono::steady_clock::time_point lastProgress_{};
};

} // namespace orvex::cli
