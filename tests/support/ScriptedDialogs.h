#pragma once

#include "core/Dialogs.h"

#include <QList>
#include <QStringList>

// Records every message, input box and beep, and answers from queues that
// the test fills. With an empty queue a message box takes its default button
// and an input box is cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct InputRequest {
        QString prompt, title, defaultText;
    };

    QList<MessageRequest> messages;
    QList<InputRequest> inputs;
    int beeps = 0;

    QList<MsgAnswer> answers;
    QList<std::optional<QString>> inputAnswers;

    MsgAnswer message(const MessageRequest &request) override
    {
        messages.append(request);
        return answers.isEmpty() ? request.defaultButton : answers.takeFirst();
    }
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
    }
    void beep() override { ++beeps; }

    // The texts of the messages shown so far, in order.
    QStringList texts() const
    {
        QStringList out;
        for (const auto &m : messages)
            out << m.text;
        return out;
    }
};
