#include "cli/CliSession.h"

#include <cstdio>

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

CliSession::CliSession(int charset) : sett(QString()), locale(sett, dialogs), doc(locale, dialogs)
{
    sett.loadDflt();
    sett.settlocFile = charset;
    locale.initLocale();
}

bool CliSession::open(const QString &folder, const QString &file)
{
    return doc.openFolder(folder, file);
}

std::optional<QString> firstUnwritableLine(const CliSession &session)
{
    const int codePage = session.locale.writeCodePage(session.doc.form());
    for (const auto &entry : session.doc.clcOto()) {
        const QString line = entry->fileStr();
        if (modLocale::bytes2str(modLocale::str2bytes(line, codePage), codePage) != line)
            return line;
    }
    return std::nullopt;
}

bool refusesBadLines(const CliSession &session, const QString &path)
{
    if (session.doc.lastBadLines() == 0)
        return false;
    printErr(QStringLiteral("lirra-oto: %1 has %2 bad lines that saving would drop; nothing was changed")
                 .arg(path)
                 .arg(session.doc.lastBadLines()));
    return true;
}

bool refusesUnwritable(const CliSession &session)
{
    const auto lost = firstUnwritableLine(session);
    if (!lost)
        return false;
    printErr(QStringLiteral("lirra-oto: the file's encoding cannot hold every character of this line, "
                            "nothing was changed:\n%1")
                 .arg(*lost));
    return true;
}
