#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace orvex::test {

// A real PostgreSQL server of Debian's for one test: its own cluster in a
// temporary folder, no TCP, its socket in that folder, trust for local users.
// The cluster is copied from a template made once per machine (initdb is
// slow), and the server runs as the postgres user when the test runs as root,
// since the server refuses root.
class PostgresServer {
public:
    static constexpr const char* kBin = "/usr/lib/postgresql/15/bin/";

    PostgresServer()
    {
        char pattern[] = "/tmp/orvex-pg-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("no folder for the PostgreSQL server");
        folder_ = pattern;
        asServerUser("cp", {"-a", QString::fromStdString(templateCluster()), dataFolder()}, true);
        start();
    }

    ~PostgresServer()
    {
        stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    void start()
    {
        asServerUser(
            QString(kBin) + "pg_ctl",
            {"-w", "-D", dataFolder(), "-l", QString::fromStdString(folder_ + "/log"), "-o",
             "-c fsync=off -c listen_addresses='' -c unix_socket_directories=" + QString::fromStdString(folder_),
             "start"});
        running_ = true;
    }

    void stop()
    {
        if (running_)
            asServerUser(QString(kBin) + "pg_ctl", {"-w", "-D", dataFolder(), "-m", "fast", "stop"});
        running_ = false;
    }

    // The URI of a database on this server, for --records and RECORDS.
    std::string uri(const std::string& database) const
    {
        return "postgresql://postgres@/" + database + "?host=" + folder_;
    }

    // Creates an empty database and returns its URI.
    std::string createDatabase(const std::string& name)
    {
        psql("postgres", "CREATE DATABASE " + name);
        return uri(name);
    }

    // Runs SQL through psql and returns its unaligned output.
    std::string psql(const std::string& database, const std::string& sql) const
    {
        QProcess process;
        process.start("psql", {QString::fromStdString(uri(database)), "-X", "-qtA", "-v", "ON_ERROR_STOP=1", "-c",
                               QString::fromStdString(sql)});
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            throw std::runtime_error("psql failed: " + process.readAllStandardError().toStdString());
        return process.readAllStandardOutput().trimmed().toStdString();
    }

private:
    QString dataFolder() const { return QString::fromStdString(folder_ + "/data"); }

    static bool isRoot() { return ::geteuid() == 0; }

    void asServerUser(const QString& program, QStringList arguments, bool chownFirst = false) const
    {
        if (isRoot() && chownFirst)
            run("chown", {"postgres", QString::fromStdString(folder_)});
        if (isRoot()) {
            arguments.prepend(program);
            arguments = QStringList{"-u", "postgres", "--"} + arguments;
            run("runuser", arguments);
        } else {
            run(program, arguments);
        }
    }

    static void run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            throw std::runtime_error((program + " " + arguments.join(' ')).toStdString()
                                     + " failed: " + process.readAll().toStdString());
    }

    // initdb once into a folder of its own, then renamed into place, so that
    // tests starting at the same time never see half a template.
    static std::string templateCluster()
    {
        const std::string path = "/tmp/orvex-pg-template-" + std::to_string(::geteuid()) + "/data";
        if (std::filesystem::exists(path + "/PG_VERSION"))
            return path;
        char pattern[] = "/tmp/orvex-pg-new-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("no folder for the PostgreSQL template");
        const std::string fresh = pattern;
        if (isRoot())
            run("chown", {"postgres", QString::fromStdString(fresh)});
        const QStringList initdb{"--auth=trust", "-U", "postgres", "-D", QString::fromStdString(fresh + "/data")};
        if (isRoot())
            run("runuser", QStringList{"-u", "postgres", "--", QString(kBin) + "initdb"} + initdb);
        else
            run(QString(kBin) + "initdb", initdb);
        std::error_code error;
        std::filesystem::rename(fresh, path.substr(0, path.size() - 5), error);
        if (error) // another test was quicker
            std::filesystem::remove_all(fresh, error);
        return path;
    }

    std::string folder_;
    bool running_ = false;
};

} // namespace orvex::test
