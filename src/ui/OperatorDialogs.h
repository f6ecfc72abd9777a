#pragma once

#include <optional>
#include <string>

class QString;
class QWidget;

namespace orvex::ui {

// Every modal dialog the window shows goes through this interface, so that
// tests can answer them without a modal loop. All calls come on the window's
// thread; paths are UTF-8.
class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // The firmware file to load; no value when the operator cancels.
    virtual std::optional<std::string> chooseFirmwareFile(QWidget* parent, const std::string& startDirectory) = 0;
    // Where to save the data read back from the chip; no value on cancel.
    virtual std::optional<std::string> chooseReadBackFile(QWidget* parent, const std::string& startDirectory) = 0;
    // A message with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No; true for Yes. No is the answer Enter gives,
    // so that a hasty operator does not send the unit what was doubted.
    virtual bool askYesNo(QWidget* parent, const QString& question) = 0;
    virtual void showAbout(QWidget* parent) = 0;
};

} // namespace orvex::ui
