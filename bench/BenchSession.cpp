#include "bench/BenchSession.h"

#include "core/modUtils.h"
#include "oto/OtoDocument.h"

#include <QDir>
#include <QFile>

namespace bench {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString writeBank(const QString &scratch, const QString &name, int entries, const std::function<QString(int)> &line)
{
    const QString folder = joinPath(scratch, name);
    QDir().mkpath(folder);
    QString text = QStringLiteral("#CHARSET:UTF8\r\n");
    for (int i = 0; i < entries; ++i)
        text += line(i) + QStringLiteral("\r\n");
    return writeFile(joinPath(folder, OtoDocument::kOtoIni), text.toUtf8()) ? folder : QString();
}

WindowSession::WindowSession(const QString &scratch, const QString &settName, const QString &folder)
    : sett(joinPath(scratch, settName)), locale(sett, dialogs), window(sett, locale, dialogs)
{
    sett.loadDflt();
    window.show();
    window.document().openFolder(folder);
}

}  // namespace bench
