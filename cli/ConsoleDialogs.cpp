#include "cli/ConsoleDialogs.h"

#include <cstdio>

MsgAnswer ConsoleDialogs::message(const MessageRequest &request)
{
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // A question gets its default answer, which is always the one that
    // changes nothing; say which, since nobody saw the buttons.
    if (request.buttons != MsgButtons::Ok) {
        static const char *const names[] = {"OK", "Cancel", "Yes", "No"};
        std::fprintf(stderr, "lirra-oto: answered %s\n", names[int(request.defaultButton)]);
    }
    return request.defaultButton;
}

std::optional<QString> ConsoleDialogs::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}
