#pragma once

#include "oto/clsOto.h"
#include "singer/BaseAlias.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class OtoDocument;

// One entry as the report sees it: where its line is and what it says.
struct ReportEntry {
    clsOto entry;
    QString otoPath;  // the oto.ini it is in, relative to the bank's folder ("oto.ini", "A3/oto.ini")
    int line = 0;     // its line in that file, from 1
    int docIndex = -1;  // its position in the open document, when the report is over one

    // The folder (relative, "" for the bank's own) whose recordings the
    // entry names.
    QString folder() const;
    QString where() const { return otoPath + u':' + QString::number(line); }
};

// Everything the checks read: the entries, the recordings on disk and what
// each folder puts around its aliases. Paths are relative to root, with "/"
// between folders.
struct BankInput {
    QString root;
    QList<ReportEntry> entries;
    QStringList otoFolders;  // the folders of the oto.ini files ("" for root's own)
    QStringList recordings;  // the .wav files under the oto.ini folders, as on disk
    // Each folder's pitch or voice-colour marks (from prefix.map, or the
    // ending its aliases share), which coverage takes off an alias before
    // it compares it.
    QHash<QString, singer::Affixes> affixes;
    int badLines = 0;        // lines of the oto.ini files that are not entries

    // The entry's alias without its folder's marks.
    QString baseAlias(const ReportEntry &e) const { return singer::baseAlias(e.entry.ALS, affixes.value(e.folder())); }
};

// The name an entry of the oto.ini whose folder holds recording (a path
// relative to the bank's folder) gives it.
QString entryName(const BankInput &bank, const QString &recording);

// The recordings (.wav, any letter case) in folder and in its subfolders,
// except subfolders that hold an oto.ini of their own or are among
// otherFolders (clean paths: the bank's folders that list their own);
// relative to root.
QStringList listRecordings(const QString &root, const QString &folder, const QSet<QString> &otherFolders = {});

// Opens the bank in root into doc as the editor opens a folder (its
// oto.ini, or every oto.ini of a singer, each in its own code page) and
// takes it as documentBank does. nullopt, with why set, when root holds no
// oto.ini or one cannot be read.
std::optional<BankInput> readBank(OtoDocument &doc, const QString &root, QString *why);

// The open document as a bank: its entries as they are now, file by file
// (line = the line each would have when saved), the recordings of its
// folders.
BankInput documentBank(const OtoDocument &doc);
