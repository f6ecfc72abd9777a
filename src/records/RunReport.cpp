#include "records/RunReport.h"

#include "records/RecordFields.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <map>
#include <tuple>

namespace orvex {

namespace {

using GroupKey = std::tuple<std::string, std::string, std::string, std::string>;

struct Group {
    std::vector<double> seconds;
    std::vector<std::string> failingSteps;
    YieldRow row;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string mostFrequent(const std::vector<std::string>& names)
{
    std::string best;
    long bestCount = 0;
    for (const std::string& name : names) {
        const long count = std::count(names.begin(), names.end(), name);
        if (count > bestCount) {
            best = name;
            bestCount = count;
        }
    }
    return best;
}

QString csvField(const QString& text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    return '"' + QString(text).replace("\"", "\"\"") + '"';
}

void printLine(std::FILE* out, const QString& line)
{
    std::fputs((line + '\n').toUtf8().constData(), out);
}

QString fieldText(const std::string& value)
{
    return QString::fromStdString(value);
}

QString fieldText(bool value)
{
    return value ? "1" : "0";
}

QString fieldText(double value)
{
    return QString::number(value, 'f', 3);
}

QString fieldText(std::int64_t value)
{
    return QString::number(value);
}

template <typename T>
QString fieldText(const std::optional<T>& value)
{
    return value ? fieldText(*value) : QString();
}

QJsonValue fieldJson(const std::string& value)
{
    return QString::fromStdString(value);
}

QJsonValue fieldJson(bool value)
{
    return value;
}

QJsonValue fieldJson(double value)
{
    return value;
}

QJsonValue fieldJson(std::int64_t value)
{
    return static_cast<qint64>(value);
}

template <typename T>
QJsonValue fieldJson(const std::optional<T>& value)
{
    return value ? fieldJson(*value) : QJsonValue();
}

QStringList rowTexts(const YieldRow& row)
{
    return {fieldText(row.day),           fieldText(row.job),
            fieldText(row.firmware),      fieldText(row.port),
            QString::number(row.units),   QString::number(row.passed),
            QString::number(row.failed),  QString::number(row.yieldPercent, 'f', 1),
            fieldText(row.medianSeconds), fieldText(row.topFailingStep)};
}

const QStringList kReportColumns{"day",    "job",    "firmware",  "port",           "units",
                                 "passed", "failed", "yield_pct", "median_seconds", "top_failing_step"};

} // namespace

std::vector<YieldRow> yieldReport(const std::vector<RunRecord>& records)
{
    std::map<GroupKey, Group> groups;
    for (const RunRecord& record : records) {
        const GroupKey key{record.startedAt.substr(0, 10), record.job.value_or(""),
                           record.firmwareSha256.value_or("").substr(0, 12), record.port};
        Group& group = groups[key];
        ++group.row.units;
        if (record.result == "ok")
            ++group.row.passed;
        if (record.result == "failed")
            ++group.row.failed;
        if (record.seconds)
            group.seconds.push_back(*record.seconds);
        if (record.failedStep)
            group.failingSteps.push_back(*record.failedStep);
    }
    std::vector<YieldRow> rows;
    for (auto& [key, group] : groups) {
        YieldRow& row = group.row;
        std::tie(row.day, row.job, row.firmware, row.port) = key;
        row.yieldPercent = 100.0 * row.passed / row.units;
        row.medianSeconds = median(group.seconds);
        row.topFailingStep = mostFrequent(group.failingSteps);
        rows.push_back(row);
    }
    return rows;
}

void printYieldReport(std::FILE* out, const std::vector<YieldRow>& rows, OutputFormat format)
{
    if (format == OutputFormat::Json) {
        for (const YieldRow& row : rows) {
            const QStringList texts = rowTexts(row);
            QJsonObject object;
            for (qsizetype i = 0; i < kReportColumns.size(); ++i)
                object[kReportColumns[i]] = texts[i];
            for (const char* number : {"units", "passed", "failed"})
                object[number] = object[number].toString().toInt();
            object["yield_pct"] = row.yieldPercent;
            object["median_seconds"] = row.medianSeconds;
            printLine(out, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        }
        return;
    }
    if (format == OutputFormat::Csv) {
        printLine(out, kReportColumns.join(','));
        for (const YieldRow& row : rows) {
            QStringList fields;
            for (const QString& text : rowTexts(row))
                fields << csvField(text);
            printLine(out, fields.join(','));
        }
        return;
    }
    std::fprintf(out, "%-10s  %-16s  %-12s  %-14s  %5s  %6s  %6s  %7s  %8s  %s\n", "day", "job", "firmware", "port",
                 "units", "passed", "failed", "yield %", "median s", "most failing step");
    for (const YieldRow& row : rows)
        std::fprintf(out, "%-10s  %-16s  %-12s  %-14s  %5d  %6d  %6d  %7.1f  %8.3f  %s\n", row.day.c_str(),
                     row.job.c_str(), row.firmware.c_str(), row.port.c_str(), row.units, row.passed, row.failed,
                     row.yieldPercent, row.medianSeconds,
                     row.topFailingStep.empty() ? "-" : row.topFailingStep.c_str());
}

void exportRecords(std::FILE* out, const std::vector<RunRecord>& records, OutputFormat format)
{
    if (format == OutputFormat::Csv) {
        QStringList header;
        RunRecord unused;
        visitRecordFields(unused, [&](const char* name, const auto&) { header << name; });
        printLine(out, header.join(','));
    }
    for (const RunRecord& record : records) {
        QStringList fields;
        QJsonObject object;
        visitRecordFields(record, [&](const char* name, const auto& field) {
            fields << csvField(fieldText(field));
            object[name] = fieldJson(field);
        });
        printLine(out, format == OutputFormat::Csv
                           ? fields.join(',')
                           : QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    }
}

} // namespace orvex
