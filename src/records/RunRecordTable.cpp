#include "records/RunRecordTable.h"

#include "records/RecordFields.h"
#include "records/RecordsConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace orvex {

namespace {

QVariant toVariant(const std::string& value)
{
    return QString::fromStdString(value);
}

QVariant toVariant(bool value)
{
    return value ? 1 : 0;
}

QVariant toVariant(double value)
{
    return value;
}

QVariant toVariant(std::int64_t value)
{
    return static_cast<qlonglong>(value);
}

template <typename T>
QVariant toVariant(const std::optional<T>& value)
{
    return value ? toVariant(*value) : QVariant();
}

void fromVariant(const QVariant& value, std::string& field)
{
    field = value.toString().toStdString();
}

void fromVariant(const QVariant& value, bool& field)
{
    field = value.toInt() != 0;
}

void fromVariant(const QVariant& value, double& field)
{
    field = value.toDouble();
}

void fromVariant(const QVariant& value, std::int64_t& field)
{
    field = value.toLongLong();
}

template <typename T>
void fromVariant(const QVariant& value, std::optional<T>& field)
{
    if (value.isNull()) {
        field.reset();
        return;
    }
    T inner{};
    fromVariant(value, inner);
    field = inner;
}

QStringList columnNames()
{
    QStringList names;
    RunRecord unused;
    visitRecordFields(unused, [&](const char* name, const auto&) { names << name; });
    return names;
}

QString upsertStatement()
{
    const QStringList names = columnNames();
    QStringList placeholders;
    QStringList updates;
    for (const QString& name : names) {
        placeholders << "?";
        if (name != "run_id")
            updates << name + " = excluded." + name;
    }
    return "INSERT INTO runs (" + names.join(", ") + ") VALUES (" + placeholders.join(", ")
           + ") ON CONFLICT (run_id) DO UPDATE SET " + updates.join(", ") + " WHERE runs.result = 'incomplete'";
}

} // namespace

std::optional<std::string> saveRecord(RecordsConnection& connection, const RunRecord& record)
{
    static const QString statement = upsertStatement();
    QSqlQuery query(connection.database());
    query.prepare(statement);
    visitRecordFields(record, [&](const char*, const auto& field) { query.addBindValue(toVariant(field)); });
    if (!query.exec())
        return "cannot write the record of run " + record.runId + ": " + describeSqlError(query.lastError());
    return std::nullopt;
}

std::optional<std::vector<RunRecord>> loadRecords(RecordsConnection& connection, const RecordFilter& filter,
                                                  std::string& failure)
{
    QString statement = "SELECT " + columnNames().join(", ") + " FROM runs WHERE 1 = 1";
    if (filter.since)
        statement += " AND started_at >= ?";
    if (filter.job)
        statement += " AND job = ?";
    statement += " ORDER BY started_at, run_id";
    if (filter.limit)
        statement += " LIMIT " + QString::number(*filter.limit);
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    query.prepare(statement);
    if (filter.since)
        query.addBindValue(QString::fromStdString(*filter.since));
    if (filter.job)
        query.addBindValue(QString::fromStdString(*filter.job));
    if (!query.exec()) {
        failure = "cannot read the records: " + describeSqlError(query.lastError());
        return std::nullopt;
    }
    std::vector<RunRecord> records;
    while (query.next()) {
        RunRecord& record = records.emplace_back();
        int column = 0;
        visitRecordFields(record, [&](const char*, auto& field) { fromVariant(query.value(column++), field); });
    }
    return records;
}

std::optional<std::string> deleteRecordAsRead(RecordsConnection& connection, const RunRecord& record)
{
    QSqlQuery query(connection.database());
    query.prepare("DELETE FROM runs WHERE run_id = ? AND result = ?");
    query.addBindValue(QString::fromStdString(record.runId));
    query.addBindValue(QString::fromStdString(record.result));
    if (!query.exec())
        return "cannot take run " + record.runId + " out of the spool: " + describeSqlError(query.lastError());
    return std::nullopt;
}

} // namespace orvex
