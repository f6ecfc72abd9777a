#include "records/JobFile.h"

#include "engine/ProcedureExecutor.h"
#include "engine/Sha256.h"
#include "notify/ProcedureStep.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <map>

namespace orvex {

namespace {

constexpr std::array kKeys{"NAME",         "FIRMWARE",    "SHA256",           "STEPS",         "LENIENT",
                           "READBACK",     "PORTS",       "SERIAL_ADDRESS",   "SERIAL_LENGTH", "SERIAL_FORMAT",
                           "SERIAL_FIRST", "SERIAL_LAST", "SERIAL_ON_FAILURE"};

constexpr std::array kStepBits{StepBit::Detect,  StepBit::Erase,  StepBit::TestFF,
                               StepBit::Program, StepBit::Verify, StepBit::Read};

// "detect", "erase", ... as the events name them.
std::string stepNameOfBit(std::uint16_t bit)
{
    return stepName(chosenSteps(bit).front());
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    for (const QString& item : QString::fromStdString(text).split(',', Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty())
            items.push_back(item.trimmed().toStdString());
    return items;
}

class JobReader {
public:
    explicit JobReader(const std::string& path) : path_(path) {}

    std::variant<Job, std::string> read()
    {
        SettingsFile file;
        if (!QFileInfo(QString::fromStdString(path_)).isFile() || !file.loadReadOnly(path_))
            return problem("cannot be read");
        for (const std::string& line : file.lines())
            if (!takeLine(line))
                return *failure_;
        Job job;
        if (!required("NAME", job.name) || !required("FIRMWARE", job.firmwarePath) || !required("SHA256", job.sha256)
            || !steps(job) || !flag("LENIENT", job.lenient) || !serial(job))
            return *failure_;
        job.firmwarePath = inJobFolder(job.firmwarePath);
        // "-" is standard output, wherever the job lies.
        if (values_.contains("READBACK"))
            job.readBackPattern = values_["READBACK"] == "-" ? "-" : inJobFolder(values_["READBACK"]);
        job.ports = splitList(values_["PORTS"]);
        return job;
    }

private:
    std::string inJobFolder(const std::string& path) const
    {
        return QDir(QFileInfo(QString::fromStdString(path_)).absolutePath())
            .absoluteFilePath(QString::fromStdString(path))
            .toStdString();
    }

    std::string problem(const std::string& reason)
    {
        failure_ = "job file " + path_ + ": " + reason;
        return *failure_;
    }

    bool takeLine(const std::string& line)
    {
        if (trimmed(line).empty() || trimmed(line).starts_with('#'))
            return true;
        QString key = QString::fromStdString(std::string(keyOf(line))).toUpper();
        if (std::find(kKeys.begin(), kKeys.end(), key.toStdString()) == kKeys.end()) {
            problem("unknown key \"" + std::string(keyOf(line))
                    + "\" (known: NAME, FIRMWARE, SHA256, STEPS, "
                      "LENIENT, READBACK, PORTS, SERIAL_ADDRESS, SERIAL_LENGTH, SERIAL_FORMAT, SERIAL_FIRST, "
                      "SERIAL_LAST, SERIAL_ON_FAILURE)");
            return false;
        }
        if (!values_.emplace(key.toStdString(), std::string(trimmed(valueOf(line)))).second) {
            problem("the key " + key.toStdString() + " is given twice");
            return false;
        }
        return true;
    }

    bool required(const char* key, std::string& value)
    {
        value = values_[key];
        if (value.empty())
            problem(std::string("no ") + key + " given");
        return !value.empty();
    }

    bool steps(Job& job)
    {
        for (const std::string& name : splitList(values_["STEPS"])) {
            const auto bit = std::find_if(kStepBits.begin(), kStepBits.end(),
                                          [&](std::uint16_t b) { return stepNameOfBit(b) == name; });
            if (bit == kStepBits.end()) {
                problem("unknown step \"" + name + "\" in STEPS (detect, erase, blank_test, program, verify, read)");
                return false;
            }
            job.stepSet |= *bit;
        }
        if (job.stepSet == 0)
            problem("STEPS names no step");
        return job.stepSet != 0;
    }

    bool flag(const char* key, bool& value)
    {
        const QString text = QString::fromStdString(values_[key]).toLower();
        value = QStringList{"1", "yes", "true"}.contains(text);
        if (value || QStringList{"", "0", "no", "false"}.contains(text))
            return true;
        problem(std::string(key) + " must be 1 or 0, not " + values_[key]);
        return false;
    }

    template <typename Number>
    bool number(const char* key, Number& value, bool optional)
    {
        if (values_[key].empty()) {
            if (!optional)
                problem(std::string("no ") + key + " given");
            return optional;
        }
        bool ok = false;
        const qlonglong parsed = QString::fromStdString(values_[key]).toLongLong(&ok, 0);
        if (!ok || parsed < 0) {
            problem(std::string(key) + " is not a number: " + values_[key]);
            return false;
        }
        value = static_cast<Number>(parsed);
        return true;
    }

    bool serial(Job& job)
    {
        const bool numbered = std::any_of(values_.begin(), values_.end(),
                                          [](const auto& entry) { return entry.first.starts_with("SERIAL_"); });
        if (!numbered)
            return true;
        SerialNumbering numbering;
        std::int64_t last = -1;
        if (!number("SERIAL_ADDRESS", numbering.address, false) || !number("SERIAL_LENGTH", numbering.length, false)
            || !number("SERIAL_FIRST", numbering.first, true) || !number("SERIAL_LAST", last, true))
            return false;
        if (last >= 0)
            numbering.last = last;
        const auto format = parseSerialFormat(values_["SERIAL_FORMAT"]);
        if (!format) {
            problem("SERIAL_FORMAT must be dec, hex, le or be, not \"" + values_["SERIAL_FORMAT"] + "\"");
            return false;
        }
        numbering.format = *format;
        const std::string onFailure = values_["SERIAL_ON_FAILURE"];
        if (!onFailure.empty() && onFailure != "discard" && onFailure != "reuse") {
            problem("SERIAL_ON_FAILURE must be discard or reuse, not \"" + onFailure + "\"");
            return false;
        }
        numbering.reuseOnFailure = onFailure == "reuse";
        job.serial = numbering;
        return true;
    }

    std::string path_;
    std::map<std::string, std::string> values_;
    std::optional<std::string> failure_;
};

std::optional<std::string> fileSha256(const QString& path, std::string& digest)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "cannot read the firmware file " + path.toStdString() + ": " + file.errorString().toStdString();
    const QByteArray bytes = file.readAll();
    digest = sha256Hex(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    return std::nullopt;
}

} // namespace

std::variant<Job, std::string> readJobFile(const std::string& path)
{
    return JobReader(path).read();
}

std::optional<std::string> writeJobFile(const std::string& path, const JobDraft& draft)
{
    const QString jobPath = QString::fromStdString(path);
    if (QFileInfo::exists(jobPath))
        return "job file " + path + " exists already; a job is never overwritten";
    std::string digest;
    if (auto failure = fileSha256(QString::fromStdString(draft.firmwarePath), digest))
        return failure;
    const QDir jobFolder = QFileInfo(jobPath).absoluteDir();
    QStringList steps;
    for (const std::uint16_t bit : kStepBits)
        if ((draft.stepSet & bit) != 0)
            steps << QString::fromStdString(stepNameOfBit(bit));
    std::vector<std::string> lines{
        "NAME=" + draft.name,
        "FIRMWARE="
            + jobFolder.relativeFilePath(QFileInfo(QString::fromStdString(draft.firmwarePath)).absoluteFilePath())
                  .toStdString(),
        "SHA256=" + digest,
        "STEPS=" + steps.join(',').toStdString(),
    };
    if (draft.lenient)
        lines.push_back("LENIENT=1");
    if (draft.readBackPattern)
        lines.push_back("READBACK=" + *draft.readBackPattern);
    if (!draft.ports.empty()) {
        std::string ports;
        for (const std::string& port : draft.ports)
            ports += (ports.empty() ? "" : ",") + port;
        lines.push_back("PORTS=" + ports);
    }
    QSaveFile file(jobPath);
    const std::string content = joinLines(lines);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(content.data(), static_cast<qint64>(content.size())) != static_cast<qint64>(content.size())
        || !file.commit())
        return "cannot write the job file " + path + ": " + file.errorString().toStdString();
    return std::nullopt;
}

std::string expandReadBackPattern(const std::string& pattern, const std::string& job,
                                  const std::optional<std::int64_t>& serial, const std::string& runId)
{
    QString path = QString::fromStdString(pattern);
    path.replace("{job}", QString::fromStdString(job));
    path.replace("{serial}", serial ? QString::number(*serial) : QString());
    path.replace("{run_id}", QString::fromStdString(runId));
    return path.toStdString();
}

} // namespace orvex
