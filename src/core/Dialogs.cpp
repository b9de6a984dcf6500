#include "core/Dialogs.h"

void Dialogs::inform(const QString &text, const QString &title)
{
    message({text, title, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
}

QString Dialogs::programTitle()
{
    return QStringLiteral("Lirra");
}

QList<MsgAnswer> answersOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return {MsgAnswer::Ok};
    case MsgButtons::OkCancel: return {MsgAnswer::Ok, MsgAnswer::Cancel};
    case MsgButtons::YesNo: return {MsgAnswer::Yes, MsgAnswer::No};
    case MsgButtons::YesNoCancel: return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    case MsgButtons::AbortRetryIgnore: return {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore};
    case MsgButtons::RetryCancel: return {MsgAnswer::Retry, MsgAnswer::Cancel};
    }
    return {MsgAnswer::Ok};
}

QString answerName(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QStringLiteral("OK");
    case MsgAnswer::Cancel: return QStringLiteral("Cancel");
    case MsgAnswer::Yes: return QStringLiteral("Yes");
    case MsgAnswer::No: return QStringLiteral("No");
    case MsgAnswer::Abort: return QStringLiteral("Abort");
    case MsgAnswer::Retry: return QStringLiteral("Retry");
    case MsgAnswer::Ignore: return QStringLiteral("Ignore");
    }
    return QStringLiteral("?");
}

MsgAnswer defaultAnswer(const MessageRequest &request)
{
    const QList<MsgAnswer> answers = answersOf(request.buttons);
    Q_ASSERT(!answers.isEmpty());
    return answers.contains(request.defaultButton) ? request.defaultButton : answers.front();
}
