#pragma once

#include "records/RecordsTarget.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <string>

namespace orvex {

// One open connection to the records database, for one operation on the
// calling thread: opened under a name of its own (a connection belongs to
// the thread that opened it), checked to hold the current schema (created
// or upgraded on first use), and closed again when the object goes.
class RecordsConnection {
public:
    // target must be Sqlite or Postgres.
    explicit RecordsConnection(const RecordsTarget& target);
    ~RecordsConnection();
    RecordsConnection(const RecordsConnection&) = delete;
    RecordsConnection& operator=(const RecordsConnection&) = delete;

    // Why the connection is not usable; none when it is.
    const std::optional<std::string>& failure() const { return failure_; }
    QSqlDatabase& database() { return database_; }
    bool isPostgres() const { return postgres_; }

    // A transaction that holds off every other writer of the numbering
    // until commit: SQLite's BEGIN IMMEDIATE, or PostgreSQL's BEGIN (its
    // row locks then do the rest).
    bool beginExclusive();
    bool commit();
    void rollback();

private:
    void open(const RecordsTarget& target);

    QString name_;
    QSqlDatabase database_;
    bool postgres_ = false;
    std::optional<std::string> failure_;
};

// The reason of the last error of a query or connection, as one line.
std::string describeSqlError(const class QSqlError& error);

} // namespace orvex
