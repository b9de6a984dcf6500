#include "modUtils.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>
#include <QStringList>

namespace {
const QChar kSep = u'/';
}

QString joinPath(const QString &folder, const QString &name)
{
    const bool folderHas = folder.endsWith(kSep);
    const bool nameHas = name.startsWith(kSep);
    if (folderHas && nameHas)
        return folder + name.mid(1);
    if (folderHas || nameHas)
        return folder + name;
    return folder + kSep + name;
}

QString appPath(const QString &name)
{
    return joinPath(programFolder(), name);
}

QString revPath(const QString &path)
{
    QStringList pieces = path.split(kSep, Qt::SkipEmptyParts);
    std::reverse(pieces.begin(), pieces.end());
    return pieces.join(u'/');
}

QString settingsFilePath(const QString &programFolder, const QString &configHome)
{
    // Asked with the effective user's rights, the ones the write will have.
    if (::faccessat(AT_FDCWD, QFile::encodeName(programFolder).constData(), W_OK, AT_EACCESS) == 0)
        return joinPath(programFolder, QStringLiteral("sett.ini"));
    return joinPath(joinPath(configHome, QStringLiteral("lirra")), QStringLiteral("sett.ini"));
}

QString settingsFilePath()
{
    return settingsFilePath(programFolder(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Without an application object (a plain tool) the kernel still knows.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(kSep, 0, -2);
}

qint16 bytesToInt(QByteArrayView bytes)
{
    quint16 v = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 2) - 1; i >= 0; --i)
        v = quint16(v << 8 | quint8(bytes[i]));
    return qint16(v);
}

qint32 bytesToLong(QByteArrayView bytes)
{
    quint32 v = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 4) - 1; i >= 0; --i)
        v = v << 8 | quint8(bytes[i]);
    return qint32(v);
}
