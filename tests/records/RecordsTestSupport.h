#pragma once

#include "support/RecordRows.h"
#include "support/ScratchDir.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <filesystem>
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

inline std::vector<Row> serverRows(const std::string& uri, const std::string& sql)
{
    return queryRows("QPSQL", uri, sql);
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
