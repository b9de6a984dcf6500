#include "core/modUtils.h"

#include <QCoreApplication>
#include <QDir>
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

QString installedDataFolder(const QString &programFolder)
{
    const QString data = QDir::cleanPath(joinPath(programFolder, QStringLiteral("../share/lirra")));
    return QFileInfo(data).isDir() ? data : QString();
}

QString demoHome(const QString &programFolder)
{
    const QString demo = QStringLiteral("demo");
    if (QFileInfo(joinPath(programFolder, demo)).isDir())
        return programFolder;
    const QString data = installedDataFolder(programFolder);
    if (!data.isEmpty() && QFileInfo(joinPath(data, demo)).isDir())
        return data;
    return programFolder;
}

QString settingsFilePath(const QString &programFolder, const QString &configHome)
{
    // Asked with the effective user's rights, the ones the write will have.
    if (installedDataFolder(programFolder).isEmpty() && ::faccessat(AT_FDCWD, QFile::encodeName(programFolder).constData(), W_OK, AT_EACCESS) == 0)
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
