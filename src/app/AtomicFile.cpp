#include "AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // QSaveFile would happily create "dir/name.XXXXXX" and then fail the
    // rename with a vaguer message; say plainly what is wrong.
    if (QFileInfo(path).isDir())
        return QStringLiteral("Is a directory");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (::fsync(file.handle()) != 0) {
        QString why = QString::fromLocal8Bit(strerror(errno));
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
