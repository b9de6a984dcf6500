#pragma once

#include "report/BankInput.h"
#include "report/Coverage.h"
#include "report/Problem.h"

#include <QHash>
#include <QList>
#include <functional>

// What a recording's headers say: its length, or why it cannot be used.
struct WaveHeader {
    bool usable = false;
    double lengthMs = 0;
    QString reason;  // the reader's reason when not usable
};

// Reads a recording's headers; path is absolute.
using WaveProbe = std::function<WaveHeader(const QString &path)>;
// The editor's reader, headers only.
WaveHeader readWaveHeader(const QString &path);

// How an entry's file name was found among the recordings.
enum class NameMatch {
    Exact,          // as written
    Normalisation,  // the same name in the other Unicode form (NFC / NFD)
    LetterCase,     // only under another letter case
    Missing,
};

// Every check over a bank: which entries name which recordings, and the
// problems of each kind, in the order of problemKinds().
class BankReport {
public:
    BankReport(const BankInput &bank, const WaveProbe &probe = readWaveHeader);

    // Runs every check; with a profile, also the aliases it expects.
    QList<Problem> run(const CoverageProfile *coverage = nullptr);

    // The recording (relative to the bank's folder) an entry names, and how
    // it was found; empty for Missing.
    QString recordingOf(int entry) const { return recording_[entry]; }
    NameMatch matchOf(int entry) const { return match_[entry]; }

private:
    void matchNames();
    const WaveHeader &header(const QString &recording);

    void duplicateAliases(QList<Problem> &out);
    void aliasSpaces(QList<Problem> &out);
    void missingWaves(QList<Problem> &out);
    void waveFormats(QList<Problem> &out);
    void caseMismatches(QList<Problem> &out);
    void nfdNames(QList<Problem> &out);
    void outOfRange(QList<Problem> &out);
    void unusedWaves(QList<Problem> &out);
    void missingAliases(QList<Problem> &out, const CoverageProfile &coverage);

    const BankInput &bank_;
    WaveProbe probe_;
    QList<QString> recording_;
    QList<NameMatch> match_;
    QHash<QString, WaveHeader> headers_;
};

class OtoDocument;

// The checks over the open document as it is now, with a built-in coverage
// profile (empty: none): what the Report window shows.
QList<Problem> reportOnDocument(const OtoDocument &doc, const QString &coverage);
// Adds the missing aliases' entries (all five 0) on their recordings at the
// end of the document, as one undo step; how many were added.
int createMissingEntries(OtoDocument &doc, const QList<Problem> &problems);

// Problems counted by kind, in the order of problemKinds(): "kind: n" lines
// for the kinds that occur.
QString countsByKind(const QList<Problem> &problems);
