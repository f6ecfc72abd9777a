#include "ui/MainMenu.h"

#include <QMenuBar>

namespace orvex::ui {

namespace {

QAction* addItem(QMenu& menu, const char* text, const char* name)
{
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

MainMenu buildMainMenu(QWidget& parent)
{
    MainMenu menu;
    menu.bar = new QMenuBar(&parent);
    menu.bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* file = menu.bar->addMenu(QStringLiteral("Plik"));
    file->setObjectName(QStringLiteral("fileMenu"));
    menu.open = addItem(*file, "Otwórz", "openAction");
    menu.reload = addItem(*file, "Przeładuj", "reloadAction");
    file->addSeparator();
    menu.close = addItem(*file, "Zamknij", "closeAction");

    QMenu* help = menu.bar->addMenu(QStringLiteral("Pomoc"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addItem(*help, "Pomoc", "helpAction");
    help->addSeparator();
    menu.about = addItem(*help, "O Programie", "aboutAction");
    return menu;
}

} // namespace orvex::ui
