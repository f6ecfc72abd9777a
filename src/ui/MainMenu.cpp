#include "ui/MainMenu.h"

#include "lang/UiText.h"

#include <QMenuBar>

namespace orvex::ui {

namespace {

QAction* addItem(QMenu& menu, OperatorText text, const char* name)
{
    QAction* action = menu.addAction(lang::uiText(text));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

MainMenu buildMainMenu(QWidget& parent)
{
    MainMenu menu;
    menu.bar = new QMenuBar(&parent);
    menu.bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* file = menu.bar->addMenu(lang::uiText(ORVEX_TEXT("MainMenu", "Plik")));
    file->setObjectName(QStringLiteral("fileMenu"));
    menu.open = addItem(*file, ORVEX_TEXT("MainMenu", "Otwórz"), "openAction");
    menu.reload = addItem(*file, ORVEX_TEXT("MainMenu", "Przeładuj"), "reloadAction");
    file->addSeparator();
    menu.close = addItem(*file, ORVEX_TEXT("MainMenu", "Zamknij"), "closeAction");

    QMenu* help = menu.bar->addMenu(lang::uiText(ORVEX_TEXT("MainMenu", "Pomoc")));
    help->setObjectName(QStringLiteral("helpMenu"));
    addItem(*help, ORVEX_TEXT("MainMenu", "Pomoc"), "helpAction");
    help->addSeparator();
    menu.about = addItem(*help, ORVEX_TEXT("MainMenu", "O Programie"), "aboutAction");
    return menu;
}

} // namespace orvex::ui
