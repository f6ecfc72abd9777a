#include "station/Yield.h"

#include "records/RecordKeeping.h"
#include "lang/Language.h"
#include "records/RunReport.h"
#include "station/StationText.h"

namespace orvex::station {

namespace {

constexpr OperatorText kYield = ORVEX_TEXT("Yield", "%1: %2 dobrych, %3 złych, uzysk %4 %");
constexpr OperatorText kNoRuns = ORVEX_TEXT("Yield", "%1: brak przebiegów");

} // namespace

std::string yieldLine(const std::string& label, const Yield& yield)
{
    const int all = yield.passed + yield.failed;
    if (all == 0)
        return fillText(kNoRuns, label);
    const double percent = 100.0 * yield.passed / all;
    const QString share = lang::numberLocale().toString(percent, 'f', 1);
    return fillText(kYield, label, std::to_string(yield.passed), std::to_string(yield.failed), share.toStdString());
}

std::optional<Yield> todaysYield(RecordKeeping& records, const std::string& job)
{
    if (!records.enabled())
        return std::nullopt;
    const std::string today = utcTimestamp().substr(0, 10);
    std::string failure;
    const auto rows = records.loadRecords({today, job, std::nullopt}, failure);
    if (!rows)
        return std::nullopt;
    Yield yield;
    for (const YieldRow& row : yieldReport(*rows)) {
        yield.passed += row.passed;
        yield.failed += row.failed;
    }
    return yield;
}

} // namespace orvex::station
