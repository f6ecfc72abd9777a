#include "ui/ProgrammerApp.h"

#include "lang/Language.h"
#include "settings/ProgramDirectory.h"
#include "ui/MainDialog.h"
#include "ui/QtOperatorDialogs.h"

namespace orvex::ui {

ProgrammerApp::ProgrammerApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Names the user's configuration folder, where the settings go when the
    // program's own directory cannot be written.
    setApplicationName(QStringLiteral("Orvex"));
}

int ProgrammerApp::initInstance()
{
    // Before the window: it reads its settings files from there at once.
    deriveProgramDirectory();
    lang::useLanguage(lang::configuredLanguage());
    QtOperatorDialogs dialogs;
    MainDialog window(dialogs);
    window.exec();
    return 0;
}

} // namespace orvex::ui
