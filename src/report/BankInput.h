#pragma once

#include "oto/clsOto.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class modLocale;
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

// The suffixes and prefixes of the bank's prefix.map (pitch or voice
// colour marks such as "A3"), which coverage takes off an alias before it
// compares it.
class PrefixMap {
public:
    // The lines "NOTE<TAB>PREFIX<TAB>SUFFIX"; anything else is skipped.
    static PrefixMap parse(QStringView text);
    static PrefixMap read(const QString &path);

    // The alias without the longest suffix and prefix the map holds.
    QString baseAlias(const QString &alias) const;
    bool isEmpty() const { return prefixes_.isEmpty() && suffixes_.isEmpty(); }

private:
    QStringList prefixes_;  // longest first
    QStringList suffixes_;
};

// Everything the checks read: the entries, the recordings on disk and the
// prefix map. Paths are relative to root, with "/" between folders.
struct BankInput {
    QString root;
    QList<ReportEntry> entries;
    QStringList otoFolders;  // the folders of the oto.ini files ("" for root's own)
    QStringList recordings;  // the .wav files under the oto.ini folders, as on disk
    PrefixMap prefixMap;
    int badLines = 0;        // lines of the oto.ini files that are not entries
};

// The name an entry of the oto.ini whose folder holds recording (a path
// relative to the bank's folder) gives it.
QString entryName(const BankInput &bank, const QString &recording);

// The recordings (.wav, any letter case) in folder and in its subfolders,
// except subfolders that hold an oto.ini of their own; relative to root.
QStringList listRecordings(const QString &root, const QString &folder);

// Reads a bank from its folder: its oto.ini, or for a singer whose pitch
// folders each hold one, every oto.ini below the folder (root's first, the
// others in name order), decoded by locale. nullopt, with why set, when
// there is none or one cannot be read.
std::optional<BankInput> readBank(const QString &root, modLocale &locale, QString *why);

// The open document as a bank: its entries as they are now (line = the line
// each would have when saved), the recordings of its folder.
BankInput documentBank(const OtoDocument &doc);
