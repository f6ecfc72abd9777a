#pragma once

#include <QApplication>

namespace orvex::ui {

// The program: it runs the main window modally and ends when it closes.
class ProgrammerApp : public QApplication {
    Q_OBJECT

public:
    ProgrammerApp(int& argc, char** argv);

    // Finds the program directory, runs the main window and returns the
    // process's exit status once the window has closed.
    int initInstance();
};

} // namespace orvex::ui
