#pragma once

#include "ui/OperatorDialogs.h"

#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace orvex::test {

// The operator's answers to the window's dialogs, given in advance, and a
// record of what was asked. Every call comes on the window's thread.
class ScriptedDialogs : public ui::OperatorDialogs {
public:
    // Answers to the open-file dialog in turn; once they run out, cancel.
    std::deque<std::optional<std::string>> firmwareAnswers;
    std::optional<std::string> readBackAnswer;

    std::vector<std::string> firmwareStartDirectories;
    std::vector<std::string> readBackStartDirectories;
    std::vector<QString> messages;
    int aboutBoxes = 0;

    std::optional<std::string> chooseFirmwareFile(QWidget*, const std::string& startDirectory) override
    {
        firmwareStartDirectories.push_back(startDirectory);
        if (firmwareAnswers.empty())
            return std::nullopt;
        auto answer = firmwareAnswers.front();
        firmwareAnswers.pop_front();
        return answer;
    }

    std::optional<std::string> chooseReadBackFile(QWidget*, const std::string& startDirectory) override
    {
        readBackStartDirectories.push_back(startDirectory);
        return readBackAnswer;
    }

    void showMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    void showAbout(QWidget*) override { ++aboutBoxes; }
};

} // namespace orvex::test
