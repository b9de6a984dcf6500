#include "CliSession.h"

#include <cstdio>

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

int cliUsageError(const QString &problem, const QString &usageLine)
{
    printErr(QStringLiteral("lirra-oto: ") + problem);
    printErr(QStringLiteral("usage: ") + usageLine);
    return kCliFailed;
}

std::optional<int> charsetIndex(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0 || n > 3)
        return std::nullopt;
    return n;
}

CliSession::CliSession(int charset) : sett(QString()), locale(sett, dialogs), doc(locale, dialogs)
{
    sett.loadDflt();
    sett.settlocFile = charset;
    locale.initLocale();
}

bool CliSession::open(const QString &folder, const QString &file)
{
    doc.wrkpath = folder;
    return doc.openoto(folder, file);
}

std::optional<QString> firstUnwritableLine(const CliSession &session)
{
    const int codePage = session.locale.writeCodePage(session.doc.form());
    for (const auto &entry : session.doc.clcOto) {
        const QString line = entry->fileStr();
        if (modLocale::bytes2str(modLocale::str2bytes(line, codePage), codePage) != line)
            return line;
    }
    return std::nullopt;
}
