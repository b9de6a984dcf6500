#include "ConsoleDialogs.h"

#include <cstdio>

MsgAnswer ConsoleDialogs::message(const MessageRequest &request)
{
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return request.defaultButton;
}

std::optional<QString> ConsoleDialogs::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}
