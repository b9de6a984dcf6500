#include "oto/SingerFolder.h"

#include "core/modUtils.h"
#include "oto/modLocale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <functional>

namespace {

// Deeper than any voicebank; stops a runaway walk.
constexpr int kMaxDepth = 24;

using FolderTest = std::function<bool(const QString &folder)>;

// The subfolders of root (relative paths, down to maxDepth) that pass holds.
void walk(const QString &root, const QString &relative, const FolderTest &holds, int depth, int maxDepth,
          QSet<QString> &seen, QStringList &found)
{
    const QString folder = relative.isEmpty() ? root : joinPath(root, relative);
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical))
        return;
    seen.insert(canonical);
    if (!relative.isEmpty() && holds(folder))
        found << relative;
    if (depth >= maxDepth)
        return;
    // Without QDir::Hidden, folders starting with "." are left out.
    const QStringList subfolders = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &sub : subfolders)
        walk(root, relative.isEmpty() ? sub : relative + u'/' + sub, holds, depth + 1, maxDepth, seen, found);
}

// Root ("") when it passes holds, then its subfolders that do, in the byte
// order of their paths.
QStringList findFolders(const QString &root, const FolderTest &holds, int maxDepth)
{
    QStringList found;
    QSet<QString> seen;
    walk(root, QString(), holds, 0, maxDepth, seen, found);
    std::sort(found.begin(), found.end(), pathByteLess);
    if (holds(root))
        found.prepend(QString());
    return found;
}

}  // namespace

bool pathByteLess(const QString &a, const QString &b)
{
    return a.toUtf8() < b.toUtf8();
}

QStringList findOtoFolders(const QString &root, const QString &fileName)
{
    return findFolders(
        root, [&](const QString &folder) { return QFileInfo(joinPath(folder, fileName)).isFile(); }, kMaxDepth);
}

QStringList recordingNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.wav"), QStringLiteral("*.WAV")}, QDir::Files, QDir::Name);
}

QStringList findRecordingFolders(const QString &root)
{
    // Only the pitch folders right below: a new bank must not scatter oto.ini
    // files through takes kept deeper down (or through a whole home folder).
    return findFolders(root, [](const QString &folder) { return !recordingNames(folder).isEmpty(); }, 1);
}

bool isNewBank(const QString &folder)
{
    return isNewBank(folder, findOtoFolders(folder));
}

bool isNewBank(const QString &folder, const QStringList &files)
{
    if (files.isEmpty())
        return QFileInfo(folder).isDir();
    return files == QStringList{QString()} && QFileInfo(joinPath(folder, QStringLiteral("oto.ini"))).size() == 0;
}

QString singerName(const QString &root, const modLocale &locale)
{
    QFile file(joinPath(root, QStringLiteral("character.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(1 << 20);
    int codePage = locale.writeCodePage(TextForm{});
    if (bytes.startsWith("\xef\xbb\xbf")) {
        bytes.remove(0, 3);
        codePage = modLocale::kUtf8CodePage;
    }
    const QString text = modLocale::bytes2str(bytes, codePage);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u"name=", Qt::CaseInsensitive))
            return line.sliced(5).trimmed().toString();
    }
    return {};
}
