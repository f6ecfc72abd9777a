#pragma once

#include <QDialog>

namespace orvex::ui {

// The About box: the program's icon, its name and version, and OK.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace orvex::ui
