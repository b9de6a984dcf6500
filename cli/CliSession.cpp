#include "cli/CliSession.h"

#include "core/modUtils.h"

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

bool CliSession::open(const QString &folder, const QString &file, const std::optional<QString> &only)
{
    return doc.openFolder(folder, file, only);
}

bool CliSession::open(const CliArgs &args, const QString &folder)
{
    std::optional<QString> only;
    if (args.isSet(QStringLiteral("folder")))
        only = args.value(QStringLiteral("folder"));
    return open(folder, OtoDocument::kOtoIni, only);
}

void printEntries(const OtoEntries &entries)
{
    QByteArray out;
    out.reserve(entries.size() * 48);
    for (const auto &entry : entries) {
        out += entry->pathLineStr().toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
}

QString fileLabel(const OtoFile &file)
{
    return file.folder.isEmpty() ? file.fileName : file.folder + u'/' + file.fileName;
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
