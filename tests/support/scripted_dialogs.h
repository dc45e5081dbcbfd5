#pragma once
// Answers the client's message boxes and dialogs in a test: queued answers
// are given in order and every box shown is recorded. A box nobody expected
// fails the test and is answered with its escape button, so nothing waits for
// a human.

#include <gtest/gtest.h>

#include <QDialog>

#include <deque>
#include <functional>
#include <vector>

#include "dialog_seam.h"

namespace dalvero::test {

class ScriptedDialogs {
public:
    ScriptedDialogs() {
        SetDialogResponder({
            [this](const MessageBoxRequest& request) {
                shown.push_back(request);
                if (answers_.empty()) {
                    ADD_FAILURE() << "unexpected message box: " << request.caption << ": " << request.text;
                    return request.buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                           : request.buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                                         : QMessageBox::Ok;
                }
                const Answered answer = std::move(answers_.front());
                answers_.pop_front();
                return answer();
            },
            [this](QDialog& dialog) {
                if (dialogSteps_.empty()) {
                    ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                    return;
                }
                auto step = std::move(dialogSteps_.front());
                dialogSteps_.pop_front();
                step(dialog);
            },
        });
    }
    ~ScriptedDialogs() {
        SetDialogResponder({});
        EXPECT_TRUE(answers_.empty()) << answers_.size() << " message box answers were never asked for";
        EXPECT_TRUE(dialogSteps_.empty()) << dialogSteps_.size() << " dialogs were never shown";
    }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    void Answer(QMessageBox::StandardButton button) {
        answers_.push_back([button] { return button; });
    }
    // Does what the user's world does while the box is on view (a server
    // coming back), then answers.
    void AnswerAfter(std::function<void()> meanwhile, QMessageBox::StandardButton button) {
        answers_.push_back([meanwhile = std::move(meanwhile), button] {
            meanwhile();
            return button;
        });
    }
    // What the user does in the next dialog.
    void InDialog(std::function<void(QDialog&)> step) { dialogSteps_.push_back(std::move(step)); }

    std::vector<MessageBoxRequest> shown;

private:
    using Answered = std::function<QMessageBox::StandardButton()>;
    std::deque<Answered> answers_;
    std::deque<std::function<void(QDialog&)>> dialogSteps_;
};

}  // namespace dalvero::test
