#include "records/SerialCounter.h"

#include "records/RecordsConnection.h"
#include "records/SerialNumber.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>

namespace orvex {

namespace {

class SerialTransaction {
public:
    SerialTransaction(RecordsConnection& connection, const std::string& job)
        : connection_(connection), query_(connection.database()), job_(QString::fromStdString(job))
    {
    }

    std::variant<std::int64_t, std::string> take(const SerialNumbering& numbering)
    {
        if (!connection_.beginExclusive())
            return failed(connection_.database().lastError());
        auto number = reusedNumber(numbering);
        if (!number && !failure_)
            number = newNumber(numbering);
        if (failure_ || !number) {
            connection_.rollback();
            return failure_ ? *failure_ : usedUp(numbering);
        }
        if (!connection_.commit())
            return failed(connection_.database().lastError());
        return *number;
    }

private:
    std::string failed(const QSqlError& error)
    {
        connection_.rollback();
        return "cannot take a serial number: " + describeSqlError(error);
    }

    std::string usedUp(const SerialNumbering& numbering) const
    {
        return "the serial numbers of job " + job_.toStdString() + " are used up (SERIAL_LAST "
               + std::to_string(numbering.lastNumber()) + ")";
    }

    bool run(const QString& statement, const QVariantList& values)
    {
        query_.prepare(statement);
        for (const QVariant& value : values)
            query_.addBindValue(value);
        if (query_.exec())
            return true;
        failure_ = "cannot take a serial number: " + describeSqlError(query_.lastError());
        return false;
    }

    QString lockSuffix() const { return connection_.isPostgres() ? " FOR UPDATE" : QString(); }

    // A failed run's number, taken back from its record so that no other
    // unit gets it too.
    std::optional<std::int64_t> reusedNumber(const SerialNumbering& numbering)
    {
        if (!numbering.reuseOnFailure)
            return std::nullopt;
        if (!lockCounter(numbering)
            || !run("SELECT run_id, serial FROM runs WHERE job = ? AND result = 'failed' AND serial_reusable = 1"
                    " AND serial IS NOT NULL ORDER BY serial LIMIT 1"
                        + lockSuffix(),
                    {job_})
            || !query_.next())
            return std::nullopt;
        const QVariant runId = query_.value(0);
        const std::int64_t number = query_.value(1).toLongLong();
        if (!run("UPDATE runs SET serial_reusable = 0 WHERE run_id = ?", {runId}))
            return std::nullopt;
        return number;
    }

    // Every taker of a number for this job queues on this row.
    bool lockCounter(const SerialNumbering& numbering)
    {
        return run("INSERT INTO serial_counters (job, next_serial) VALUES (?, ?) ON CONFLICT (job) DO NOTHING",
                   {job_, static_cast<qlonglong>(numbering.first)})
               && run("SELECT next_serial FROM serial_counters WHERE job = ?" + lockSuffix(), {job_});
    }

    std::optional<std::int64_t> newNumber(const SerialNumbering& numbering)
    {
        if (!lockCounter(numbering) || !query_.next())
            return std::nullopt;
        const std::int64_t number = std::max<std::int64_t>(query_.value(0).toLongLong(), numbering.first);
        if (number > numbering.lastNumber())
            return std::nullopt;
        if (!run("UPDATE serial_counters SET next_serial = ? WHERE job = ?",
                 {static_cast<qlonglong>(number) + 1, job_}))
            return std::nullopt;
        return number;
    }

    RecordsConnection& connection_;
    QSqlQuery query_;
    QString job_;
    std::optional<std::string> failure_;
};

} // namespace

std::variant<std::int64_t, std::string> takeSerial(RecordsConnection& connection, const std::string& job,
                                                   const SerialNumbering& numbering)
{
    if (connection.failure())
        return "cannot take a serial number: " + *connection.failure();
    return SerialTransaction(connection, job).take(numbering);
}

} // namespace orvex
