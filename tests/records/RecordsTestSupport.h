#pragma once

#include "support/ScratchDir.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvex::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// orvex-cli copied into a scratch folder, so that its config.cfg, its
// runs.sqlite and its spool are the test's own.
class StationFolder {
public:
    StationFolder() { std::filesystem::copy_file(ORVEX_CLI_PATH, program()); }

    std::string program() const { return scratch.pathOf("orvex-cli"); }
    std::string records() const { return scratch.pathOf("runs.sqlite"); }
    std::string spool() const { return scratch.pathOf("runs-spool.sqlite"); }
    QString inDir(const std::string& name) const { return QString::fromStdString(scratch.pathOf(name)); }

    CliResult run(const QStringList& arguments) const
    {
        QProcess process;
        process.start(QString::fromStdString(program()), arguments);
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    ScratchDir scratch;
};

using Row = std::map<std::string, QVariant>;

// Every row a query gives, by column name; an SQLite file is opened read
// only through a connection of the test's own.
inline std::vector<Row> queryRows(const QString& driver, const std::string& where, const std::string& sql)
{
    std::vector<Row> rows;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(driver, "orvex-test-reader");
        if (driver == "QPSQL") {
            const std::size_t hostAt = where.find("?host=");
            database.setHostName(QString::fromStdString(where.substr(hostAt + 6)));
            database.setUserName("postgres");
            database.setDatabaseName(QString::fromStdString(where.substr(where.find("@/") + 2, hostAt - where.find("@/") - 2)));
        } else {
            database.setDatabaseName(QString::fromStdString(where));
        }
        if (!database.open())
            throw std::runtime_error("cannot open " + where + ": " + database.lastError().text().toStdString());
        QSqlQuery query(database);
        if (!query.exec(QString::fromStdString(sql)))
            throw std::runtime_error(sql + ": " + query.lastError().text().toStdString());
        while (query.next()) {
            Row& row = rows.emplace_back();
            for (int i = 0; i < query.record().count(); ++i)
                row[query.record().fieldName(i).toStdString()] = query.value(i);
        }
    }
    QSqlDatabase::removeDatabase("orvex-test-reader");
    return rows;
}

inline std::vector<Row> sqliteRows(const std::string& file, const std::string& sql)
{
    return queryRows("QSQLITE", file, sql);
}

inline std::vector<Row> serverRows(const std::string& uri, const std::string& sql)
{
    return queryRows("QPSQL", uri, sql);
}

inline std::string text(const Row& row, const char* column)
{
    return row.at(column).toString().toStdString();
}

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

} // namespace orvex::test
