#include "lang/Language.h"
#include "settings/ProgramDirectory.h"
#include "station/StationWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The same configuration folder as the programmer's: both read config.cfg.
    QApplication::setApplicationName(QStringLiteral("Orvex"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEX_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A window for a line of Orvex programmer units, one channel per "
                                                    "port of a job."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("JOB"),
                                 QStringLiteral("The job file to open; the last job opened when none is given."));
    parser.process(app);

    orvex::deriveProgramDirectory();
    orvex::lang::useLanguage(orvex::lang::configuredLanguage());
    orvex::station::StationWindow window;
    window.show();
    const QStringList jobs = parser.positionalArguments();
    window.openFirstJob(jobs.isEmpty() ? std::nullopt : std::optional<std::string>(jobs.front().toStdString()));
    return QApplication::exec();
}
