#include "records/RecordsConnection.h"

#include "records/RecordsSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <sstream>
#include <thread>

namespace orvex {

namespace {

// How long an open waits for a server that does not answer, in seconds.
constexpr int kServerConnectTimeout = 3;
// How long an SQLite statement waits for another writer, in milliseconds.
constexpr int kSqliteBusyTimeoutMs = 5000;

QString uniqueConnectionName()
{
    static std::atomic<unsigned> counter{0};
    std::ostringstream name;
    name << "orvex-records-" << std::this_thread::get_id() << '-' << counter++;
    return QString::fromStdString(name.str());
}

bool execute(QSqlDatabase& database, const char* statement)
{
    QSqlQuery query(database);
    return query.exec(QString::fromLatin1(statement));
}

} // namespace

std::string describeSqlError(const QSqlError& error)
{
    QString text = error.text().simplified();
    return text.isEmpty() ? std::string("unknown database error") : text.toStdString();
}

RecordsConnection::RecordsConnection(const RecordsTarget& target) : name_(uniqueConnectionName())
{
    postgres_ = target.kind == RecordsTarget::Kind::Postgres;
    open(target);
    if (!failure_)
        failure_ = ensureCurrentSchema(*this);
}

RecordsConnection::~RecordsConnection()
{
    database_.close();
    database_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void RecordsConnection::open(const RecordsTarget& target)
{
    database_ = QSqlDatabase::addDatabase(postgres_ ? "QPSQL" : "QSQLITE", name_);
    if (!database_.isValid()) {
        failure_ = std::string("the Qt SQL driver for ") + (postgres_ ? "PostgreSQL" : "SQLite") + " is not installed";
        return;
    }
    if (postgres_) {
        const RecordsTarget::Server& server = target.server;
        database_.setHostName(QString::fromStdString(server.host));
        if (server.port != 0)
            database_.setPort(server.port);
        database_.setUserName(QString::fromStdString(server.user));
        database_.setPassword(QString::fromStdString(server.password));
        database_.setDatabaseName(QString::fromStdString(server.database));
        database_.setConnectOptions("connect_timeout=" + QString::number(kServerConnectTimeout));
    } else {
        const QString path = QString::fromStdString(target.sqlitePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        database_.setDatabaseName(path);
        database_.setConnectOptions("QSQLITE_BUSY_TIMEOUT=" + QString::number(kSqliteBusyTimeoutMs));
    }
    if (!database_.open()) {
        failure_ =
            "cannot open the records database " + target.describe() + ": " + describeSqlError(database_.lastError());
        return;
    }
    // WAL lets readers and one writer go on together; FULL syncs every
    // commit, so a record survives the power going off right after it.
    if (!postgres_
        && (!execute(database_, "PRAGMA journal_mode=WAL") || !execute(database_, "PRAGMA synchronous=FULL")))
        failure_ =
            "cannot set up the records database " + target.describe() + ": " + describeSqlError(database_.lastError());
}

bool RecordsConnection::beginExclusive()
{
    return execute(database_, postgres_ ? "BEGIN" : "BEGIN IMMEDIATE");
}

bool RecordsConnection::commit()
{
    return execute(database_, "COMMIT");
}

void RecordsConnection::rollback()
{
    execute(database_, "ROLLBACK");
}

} // namespace orvex
