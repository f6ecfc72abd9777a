#include "records/RecordsSchema.h"

#include "records/RecordsConnection.h"

#include <QSqlError>
#include <QSqlQuery>

#include <array>
#include <vector>

namespace orvex {

namespace {

// The statements that take a database from one version to the next; the
// first entry makes version 1 from nothing. An upgrade appends an entry and
// never changes one that is already out there.
const std::array<std::vector<const char*>, kRecordsSchemaVersion> kUpgrades{{
    {
        "CREATE TABLE runs ("
        " run_id TEXT PRIMARY KEY,"
        " started_at TEXT NOT NULL,"
        " finished_at TEXT,"
        " station TEXT, operator TEXT, program TEXT, program_version TEXT,"
        " port TEXT, device TEXT, adapter_serial TEXT, unit_version TEXT,"
        " job TEXT, firmware_path TEXT, firmware_sha256 TEXT, image_sha256 TEXT, image_size BIGINT,"
        " steps TEXT, step_results TEXT,"
        " result TEXT NOT NULL, failed_step TEXT, message TEXT, seconds DOUBLE PRECISION,"
        " readback_path TEXT, readback_sha256 TEXT,"
        " serial BIGINT, serial_reusable INTEGER NOT NULL DEFAULT 0)",
        "CREATE INDEX runs_started_at ON runs (started_at)",
        "CREATE INDEX runs_job_serial ON runs (job, serial)",
        // The next number of each job; a number is taken by raising it.
        "CREATE TABLE serial_counters (job TEXT PRIMARY KEY, next_serial BIGINT NOT NULL)",
    },
}};

// An arbitrary key for PostgreSQL's advisory lock: the one schema change at a time.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(5051414)";

std::optional<int> storedVersion(QSqlDatabase& database)
{
    if (!database.tables().contains("orvex_schema"))
        return 0;
    QSqlQuery query(database);
    if (!query.exec("SELECT version FROM orvex_schema") || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

std::optional<std::string> fail(QSqlDatabase& database, const QSqlError& error)
{
    const std::string reason = "cannot set up the records tables: " + describeSqlError(error);
    QSqlQuery(database).exec("ROLLBACK");
    return reason;
}

std::optional<std::string> upgrade(RecordsConnection& connection, int from)
{
    QSqlDatabase& database = connection.database();
    QSqlQuery query(database);
    if (from == 0 && !query.exec("CREATE TABLE orvex_schema (version INTEGER NOT NULL)"))
        return fail(database, query.lastError());
    for (std::size_t step = static_cast<std::size_t>(from); step < kUpgrades.size(); ++step)
        for (const char* statement : kUpgrades[step])
            if (!query.exec(statement))
                return fail(database, query.lastError());
    const char* store =
        from == 0 ? "INSERT INTO orvex_schema (version) VALUES (?)" : "UPDATE orvex_schema SET version = ?";
    query.prepare(store);
    query.addBindValue(kRecordsSchemaVersion);
    if (!query.exec() || !connection.commit())
        return fail(database, query.lastError());
    return std::nullopt;
}

} // namespace

std::optional<std::string> ensureCurrentSchema(RecordsConnection& connection)
{
    QSqlDatabase& database = connection.database();
    if (storedVersion(database) == kRecordsSchemaVersion)
        return std::nullopt;
    if (!connection.beginExclusive())
        return fail(database, database.lastError());
    QSqlQuery lock(database);
    if (connection.isPostgres() && !lock.exec(kSchemaLock))
        return fail(database, lock.lastError());
    // Read again under the lock: another program may have just done it.
    const std::optional<int> version = storedVersion(database);
    if (!version)
        return fail(database, database.lastError());
    if (*version > kRecordsSchemaVersion) {
        connection.rollback();
        return "the records database has tables of version " + std::to_string(*version)
               + ", made by a newer program; this one knows up to " + std::to_string(kRecordsSchemaVersion);
    }
    if (*version == kRecordsSchemaVersion) {
        connection.rollback();
        return std::nullopt;
    }
    return upgrade(connection, *version);
}

} // namespace orvex
