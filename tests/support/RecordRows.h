#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvex::test {

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
            database.setDatabaseName(
                QString::fromStdString(where.substr(where.find("@/") + 2, hostAt - where.find("@/") - 2)));
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

inline std::string text(const Row& row, const char* column)
{
    return row.at(column).toString().toStdString();
}

} // namespace orvex::test
