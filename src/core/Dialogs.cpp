#include "core/Dialogs.h"

void Dialogs::inform(const QString &text, const QString &title)
{
    message({text, title, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
}

QString Dialogs::programTitle()
{
    return QStringLiteral("Lirra");
}
