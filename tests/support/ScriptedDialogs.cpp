#include "ScriptedDialogs.h"

MsgAnswer ScriptedDialogs::message(const MessageRequest &request)
{
    messages.append(request);
    return answers.isEmpty() ? request.defaultButton : answers.takeFirst();
}

std::optional<QString> ScriptedDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    inputs.append({prompt, title, defaultText});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}
