#include "cli/ConsoleDialogs.h"

#include <cstdio>

MsgAnswer ConsoleDialogs::message(const MessageRequest &request)
{
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // A question gets its default answer, which is always the one that
    // changes nothing; say which, since nobody saw the buttons.
    const MsgAnswer answer = defaultAnswer(request);
    if (request.buttons != MsgButtons::Ok)
        std::fprintf(stderr, "lirra-oto: answered %s\n", answerName(answer).toUtf8().constData());
    return answer;
}

std::optional<QString> ConsoleDialogs::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}
