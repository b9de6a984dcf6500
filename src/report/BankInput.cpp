#include "report/BankInput.h"

#include "core/modUtils.h"
#include "oto/OtoDocument.h"
#include "oto/SingerFolder.h"
#include "singer/PrefixMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// QDir reads a relative path as lying inside root; a bank named relative to
// the working folder gives paths that already start with root's own.
QString relativeTo(const QDir &root, const QString &path)
{
    return root.relativeFilePath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

QString ReportEntry::folder() const
{
    const qsizetype slash = otoPath.lastIndexOf(u'/');
    return slash < 0 ? QString() : otoPath.left(slash);
}

QString entryName(const BankInput &bank, const QString &recording)
{
    qsizetype longest = 0;
    for (const QString &folder : bank.otoFolders)
        if (!folder.isEmpty() && recording.startsWith(folder + u'/'))
            longest = std::max(longest, folder.size() + 1);
    return recording.mid(longest);
}

QStringList listRecordings(const QString &root, const QString &folder, const QSet<QString> &otherFolders)
{
    const QDir rootDir(root);
    QStringList out;
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (info.isDir()) {
                // A linked folder could lead back up the tree; banks do not need them.
                // A folder of the bank's own (with its oto.ini, or a pitch
                // folder that has none yet) lists its recordings itself.
                if (!info.isSymLink() && !QFileInfo(QDir(info.filePath()).filePath(OtoDocument::kOtoIni)).isFile()
                    && !otherFolders.contains(QDir::cleanPath(info.filePath())))
                    pending << info.filePath();
            } else if (info.suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0) {
                out << relativeTo(rootDir, info.filePath());
            }
        }
    }
    return out;
}

std::optional<BankInput> readBank(OtoDocument &doc, const QString &root, QString *why)
{
    if (!QFileInfo(root).isDir()) {
        *why = QStringLiteral("%1 is not a folder").arg(root);
        return std::nullopt;
    }
    if (findOtoFolders(root).isEmpty()) {
        *why = QStringLiteral("%1 holds no oto.ini, nor do its folders").arg(root);
        return std::nullopt;
    }
    if (!doc.openFolder(root)) {
        for (const OtoFile &file : doc.files())
            if (!file.read && !file.unwritten)
                *why = QStringLiteral("cannot read %1").arg(joinPath(doc.folderPath(file.folder), file.fileName));
        return std::nullopt;
    }
    return documentBank(doc);
}

BankInput documentBank(const OtoDocument &doc)
{
    BankInput bank;
    bank.root = doc.wrkpath();
    const singer::AffixPairs mapPairs = singer::PrefixMap::pairsIn(bank.root, doc.locale());
    const OtoEntries &all = doc.clcOto();
    // The document lists its files' folders first, in the files' order.
    const QList<OtoDocument::FolderIndexes> byFolder = doc.indexesByFolder();
    QSet<QString> folders;
    for (const OtoFile &file : doc.files())
        folders.insert(QDir::cleanPath(doc.folderPath(file.folder)));
    for (qsizetype f = 0; f < doc.files().size(); ++f) {
        const OtoFile &file = doc.files()[f];
        const QList<int> &indexes = byFolder[f].indexes;
        OtoEntries entries;
        QStringList aliases;
        for (int i : indexes) {
            entries << all[i];
            aliases << all[i]->ALS;
        }
        const QString otoPath = file.folder.isEmpty() ? OtoDocument::kOtoIni : file.folder + u'/' + OtoDocument::kOtoIni;
        const QList<int> lines = file.layout.lineNumbers(entries);
        for (qsizetype i = 0; i < entries.size(); ++i)
            bank.entries.append({*entries[i], otoPath, lines[i], indexes[i]});
        bank.otoFolders << file.folder;
        bank.affixes.insert(file.folder, singer::folderAffixes(aliases, mapPairs));
        bank.recordings += listRecordings(bank.root, doc.folderPath(file.folder), folders);
        bank.badLines += file.badLines;
    }
    return bank;
}
