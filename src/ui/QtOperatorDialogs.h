#pragma once

#include "ui/OperatorDialogs.h"

namespace orvex::ui {

// The real dialogs: Qt's file dialogs with the program's filters, message
// boxes, questions and the About box.
class QtOperatorDialogs : public OperatorDialogs {
public:
    std::optional<std::string> chooseFirmwareFile(QWidget* parent, const std::string& startDirectory) override;
    std::optional<std::string> chooseReadBackFile(QWidget* parent, const std::string& startDirectory) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& question) override;
    void showAbout(QWidget* parent) override;
};

} // namespace orvex::ui
