#include "bench/BenchSession.h"

#include "core/modUtils.h"

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

WindowSession::WindowSession(const QString &scratch, const QString &settName, const QString &folder)
    : sett(joinPath(scratch, settName)), locale(sett, dialogs), window(sett, locale, dialogs)
{
    sett.loadDflt();
    window.show();
    window.document().openFolder(folder);
}

}  // namespace bench
