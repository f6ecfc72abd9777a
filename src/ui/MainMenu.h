#pragma once

class QAction;
class QMenuBar;
class QWidget;

namespace orvex::ui {

// The main window's menu bar and the commands the window handles.
struct MainMenu {
    QMenuBar* bar = nullptr;
    QAction* open = nullptr;
    QAction* reload = nullptr;
    QAction* close = nullptr;
    QAction* about = nullptr;
};

// "Plik": "Otwórz", "Przeładuj", separator, "Zamknij"; "Pomoc": "Pomoc"
// (which does nothing), separator, "O Programie".
MainMenu buildMainMenu(QWidget& parent);

} // namespace orvex::ui
