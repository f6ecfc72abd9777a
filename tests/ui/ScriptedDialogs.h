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
    // Answers to the open-file dialog and to the questions in turn; once
    // they run out, cancel and No.
    std::deque<std::optional<std::string>> firmwareAnswers;
    std::deque<bool> yesNoAnswers;
    // Answers to the save dialog in turn; once they run out, readBackAnswer
    // every time.
    std::deque<std::optional<std::string>> readBackAnswers;
    std::optional<std::string> readBackAnswer;

    std::vector<std::string> firmwareStartDirectories;
    std::vector<std::string> readBackStartDirectories;
    std::vector<QString> messages;
    std::vector<QString> questions;
    int aboutBoxes = 0;

    std::optional<std::string> chooseFirmwareFile(QWidget*, const std::string& startDirectory) override
    {
        firmwareStartDirectories.push_back(startDirectory);
        return nextAnswer(firmwareAnswers, std::optional<std::string>());
    }

    std::optional<std::string> chooseReadBackFile(QWidget*, const std::string& startDirectory) override
    {
        readBackStartDirectories.push_back(startDirectory);
        return nextAnswer(readBackAnswers, readBackAnswer);
    }

    void showMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    bool askYesNo(QWidget*, const QString& question) override
    {
        questions.push_back(question);
        return nextAnswer(yesNoAnswers, false);
    }
    void showAbout(QWidget*) override { ++aboutBoxes; }

private:
    template <typename Answer>
    static Answer nextAnswer(std::deque<Answer>& answers, Answer whenNoneLeft)
    {
        if (answers.empty())
            return whenNoneLeft;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

} // namespace orvex::test
