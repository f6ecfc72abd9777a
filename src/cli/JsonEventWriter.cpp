#include "cli/JsonEventWriter.h"

#include "cli/OutputLock.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace orvex::cli {

namespace {

QString text(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QJsonValue nullOr(const std::optional<QJsonObject>& object)
{
    return object ? QJsonValue(*object) : QJsonValue(QJsonValue::Null);
}

void writeLine(std::FILE* out, const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    const std::lock_guard lock(outputLock());
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), out);
    std::fflush(out);
}

} // namespace

JsonEventWriter::JsonEventWriter(std::FILE* out, Context context) : out_(out), context_(std::move(context)) {}

void JsonEventWriter::onRunEvent(const RunEvent& event)
{
    std::optional<QJsonObject> object;
    std::visit([&](const auto& e) { object = describe(e); }, event);
    if (object)
        writeLine(out_, *object);
}

void JsonEventWriter::writeRefusal(std::FILE* out, const std::string& port, const std::string& reason, int exitStatus)
{
    writeLine(out,
              QJsonObject{{"event", "refused"}, {"port", text(port)}, {"reason", text(reason)}, {"exit", exitStatus}});
}

QJsonObject JsonEventWriter::eventObject(const char* name) const
{
    return QJsonObject{{"event", name}, {"port", text(context_.port)}};
}

QJsonObject JsonEventWriter::describe(const RunStarted& started) const
{
    QJsonObject object = eventObject("run_started");
    object["schema"] = kSchema;
    object["program"] = "orvex-cli";
    object["version"] = ORVEX_VERSION;
    object["device"] = text(context_.device);
    QJsonArray steps;
    for (const RunStep step : started.steps)
        steps.append(stepName(step));
    object["steps"] = steps;
    std::optional<QJsonObject> firmware;
    std::optional<QJsonObject> image;
    if (started.image) {
        const RunImage& run = *started.image;
        firmware = QJsonObject{{"path", text(run.file.path)},
                               {"size", static_cast<qint64>(run.file.size)},
                               {"sha256", text(run.file.sha256)}};
        image = QJsonObject{{"size", static_cast<qint64>(run.bytes.size())}, {"sha256", text(run.sha256)}};
    }
    object["firmware"] = nullOr(firmware);
    object["image"] = nullOr(image);
    return object;
}

QJsonObject JsonEventWriter::describe(const StepStarted& started) const
{
    QJsonObject object = eventObject("step_started");
    object["step"] = stepName(started.step);
    return object;
}

std::optional<QJsonObject> JsonEventWriter::describe(const StepProgress& progress)
{
    const auto now = std::chrono::steady_clock::now();
    const bool first = progress.done == 0;
    const bool last = progress.done == progress.total;
    if (!first && !last && now - lastProgress_ < kProgressSpacing)
        return std::nullopt;
    lastProgress_ = now;
    QJsonObject object = eventObject("progress");
    object["step"] = stepName(progress.step);
    object["done"] = progress.done;
    object["total"] = progress.total;
    return object;
}

QJsonObject JsonEventWriter::describe(const StepFinished& finished) const
{
    QJsonObject object = eventObject("step_finished");
    object["step"] = stepName(finished.step);
    object["ok"] = finished.ok();
    object["outcome"] = outcomeWord(finished.outcome);
    object["text"] = text(finished.text);
    if (finished.address)
        object["address"] = static_cast<qint64>(*finished.address);
    return object;
}

QJsonObject JsonEventWriter::describe(const RunFinished& finished) const
{
    QJsonObject object = eventObject("run_finished");
    object["ok"] = finished.ok();
    object["failed_step"] = finished.failedStep ? QJsonValue(stepName(*finished.failedStep)) : QJsonValue();
    object["message"] = text(finished.message);
    object["seconds"] = finished.seconds;
    std::optional<QJsonObject> readBack;
    if (finished.readBack) {
        const ReadBackFacts& facts = *finished.readBack;
        readBack = QJsonObject{{"path", facts.path ? QJsonValue(text(*facts.path)) : QJsonValue()},
                               {"size", static_cast<qint64>(facts.size)},
                               {"sha256", text(facts.sha256)}};
    }
    object["readback"] = nullOr(readBack);
    object["exit"] = context_.exitStatusOf(finished);
    return object;
}

} // namespace orvex::cli
