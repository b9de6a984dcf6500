#include "report/BankReport.h"

#include "analysis/FrqFile.h"
#include "analysis/Parallel.h"
#include "analysis/PitchChecks.h"
#include "analysis/PitchTracker.h"
#include "core/modUtils.h"
#include "oto/OtoDocument.h"
#include "report/ReportModel.h"
#include "wave/clsWave.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <thread>
#include <vector>

namespace {

// A problem with no recording (missing-alias sets its own); one about no
// entry has -1.
Problem problem(ProblemKind kind, const QString &where, const QString &alias, const QString &detail, int entry = -1)
{
    return {kind, where, alias, detail, entry, QString()};
}

bool isAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString nfc(const QString &s)
{
    return isAscii(s) ? s : s.normalized(QString::NormalizationForm_C);
}

bool isNfc(const QString &s)
{
    return isAscii(s) || s.normalized(QString::NormalizationForm_C) == s;
}

// An entry's file name as a path relative to the bank's folder.
QString recordingPath(const ReportEntry &e)
{
    QString name = e.entry.FIL;
    name.replace(u'\\', u'/');
    const QString folder = e.folder();
    return folder.isEmpty() ? name : folder + u'/' + name;
}

// What is wrong with the spaces of a name: leading, trailing, doubled or
// full-width ones; empty when nothing.
QStringList spaceFaults(const QString &name)
{
    QStringList faults;
    if (name.startsWith(u' '))
        faults << QStringLiteral("leading space");
    if (name.endsWith(u' ') && name.size() > 0)
        faults << QStringLiteral("trailing space");
    if (name.contains(QStringLiteral("  ")))
        faults << QStringLiteral("doubled space");
    if (name.contains(QChar(0x3000)))
        faults << QStringLiteral("full-width space");
    return faults;
}

QString ms(double v)
{
    return QString::number(v, 'g', 10) + QStringLiteral(" ms");
}

}  // namespace

WaveHeader readWaveHeader(const QString &path)
{
    clsWave wave;
    QString name = QFileInfo(path).fileName();
    if (!wave.ReadHeader(QFileInfo(path).path(), name))
        return {false, 0, wave.errorReason()};
    if (const QString cutOff = wave.cutOffReason(); !cutOff.isEmpty())
        return {false, 0, cutOff};
    return {true, wave.LengthMs, {}};
}

BankReport::BankReport(const BankInput &bank, const WaveProbe &probe) : bank_(bank), probe_(probe)
{
    matchNames();
}

void BankReport::matchNames()
{
    QSet<QString> exact;
    QHash<QString, QString> byNfc, byFolded;
    for (const QString &r : bank_.recordings) {
        exact.insert(r);
        const QString composed = nfc(r);
        byNfc.insert(composed, r);
        byFolded.insert(composed.toCaseFolded(), r);
    }
    recording_.reserve(bank_.entries.size());
    match_.reserve(bank_.entries.size());
    for (const ReportEntry &e : bank_.entries) {
        const QString path = recordingPath(e);
        const QString composed = nfc(path);
        if (exact.contains(path)) {
            recording_ << path;
            match_ << NameMatch::Exact;
        } else if (const auto it = byNfc.constFind(composed); it != byNfc.constEnd()) {
            recording_ << *it;
            match_ << NameMatch::Normalisation;
        } else if (const auto folded = byFolded.constFind(composed.toCaseFolded()); folded != byFolded.constEnd()) {
            recording_ << *folded;
            match_ << NameMatch::LetterCase;
        } else {
            recording_ << QString();
            match_ << NameMatch::Missing;
        }
    }
}

const WaveHeader &BankReport::header(const QString &recording)
{
    auto it = headers_.find(recording);
    if (it == headers_.end())
        it = headers_.insert(recording, probe_(joinPath(bank_.root, recording)));
    return *it;
}

QList<Problem> BankReport::run(const CoverageProfile *coverage)
{
    QList<Problem> out;
    duplicateAliases(out);
    aliasSpaces(out);
    missingWaves(out);
    waveFormats(out);
    caseMismatches(out);
    nfdNames(out);
    outOfRange(out);
    unusedWaves(out);
    if (coverage)
        missingAliases(out, *coverage);
    pitch(out);
    return out;
}

void BankReport::pitch(QList<Problem> &out)
{
    // The usable recordings with the aliases of their entries; only those
    // with a note to be sung on (an alias's suffix, the folder's name) or a
    // frequency file are tracked, since tracking reads every sample.
    QStringList recordings;
    QHash<QString, QStringList> aliases;
    QHash<QString, int> firstEntry;
    for (int i = 0; i < bank_.entries.size(); ++i) {
        const QString &r = recording_[i];
        if (r.isEmpty() || !header(r).usable)
            continue;
        if (!firstEntry.contains(r)) {
            firstEntry.insert(r, i);
            recordings << r;
        }
        aliases[r] << bank_.entries[i].entry.ALS;
    }
    const auto worthTracking = [&](const QString &r) {
        for (const QString &alias : aliases[r])
            if (analysis::noteAtEnd(alias))
                return true;
        const QString path = joinPath(bank_.root, r);
        return analysis::noteAtEnd(QFileInfo(path).dir().dirName()).has_value()
               || QFileInfo::exists(analysis::frqPathOf(path));
    };
    recordings.removeIf([&](const QString &r) { return !worthTracking(r); });
    std::vector<analysis::RecordingPitchFindings> found(recordings.size());
    analysis::parallelFor(int(recordings.size()), int(std::thread::hardware_concurrency()), [&](int k) {
        found[k] = analysis::checkRecordingPitch(joinPath(bank_.root, recordings[k]), aliases[recordings[k]]);
    });
    // Kind by kind, as every report lists them.
    for (qsizetype k = 0; k < recordings.size(); ++k)
        if (found[k].offPitch)
            out.append(problem(ProblemKind::OffPitch, recordings[k], QString(), found[k].offPitch->describe(), firstEntry[recordings[k]]));
    for (qsizetype k = 0; k < recordings.size(); ++k)
        if (found[k].frqMismatch)
            out.append(problem(ProblemKind::FrqMismatch, recordings[k], QString(), found[k].frqMismatch->describe(), firstEntry[recordings[k]]));
}

void BankReport::duplicateAliases(QList<Problem> &out)
{
    QHash<QString, int> first;
    for (int i = 0; i < bank_.entries.size(); ++i) {
        const ReportEntry &e = bank_.entries[i];
        const auto it = first.constFind(e.entry.ALS);
        if (it == first.constEnd())
            first.insert(e.entry.ALS, i);
        else
            out.append(problem(ProblemKind::DuplicateAlias, e.where(), e.entry.ALS,
                        QStringLiteral("first at ") + bank_.entries[*it].where(), i));
    }
}

void BankReport::aliasSpaces(QList<Problem> &out)
{
    for (int i = 0; i < bank_.entries.size(); ++i) {
        const ReportEntry &e = bank_.entries[i];
        QStringList faults;
        for (const QString &f : spaceFaults(e.entry.ALS))
            faults << f + QStringLiteral(" in the alias");
        for (const QString &f : spaceFaults(e.entry.FIL))
            faults << f + QStringLiteral(" in the file name");
        if (!faults.isEmpty())
            out.append(problem(ProblemKind::AliasSpaces, e.where(), e.entry.ALS, faults.join(QStringLiteral(", ")), i));
    }
}

void BankReport::missingWaves(QList<Problem> &out)
{
    for (int i = 0; i < bank_.entries.size(); ++i)
        if (match_[i] == NameMatch::Missing) {
            const ReportEntry &e = bank_.entries[i];
            out.append(problem(ProblemKind::MissingWave, e.where(), e.entry.ALS,
                        recordingPath(e) + QStringLiteral(" is not in the bank"), i));
        }
}

void BankReport::waveFormats(QList<Problem> &out)
{
    // Each recording once, where the first entry that uses it stands.
    QSet<QString> seen;
    for (int i = 0; i < bank_.entries.size(); ++i) {
        const QString &r = recording_[i];
        if (r.isEmpty() || seen.contains(r))
            continue;
        seen.insert(r);
        const WaveHeader &h = header(r);
        if (!h.usable)
            out.append(problem(ProblemKind::WaveFormat, r, QString(), h.reason, i));
    }
}

void BankReport::caseMismatches(QList<Problem> &out)
{
    for (int i = 0; i < bank_.entries.size(); ++i)
        if (match_[i] == NameMatch::LetterCase) {
            const ReportEntry &e = bank_.entries[i];
            out.append(problem(ProblemKind::CaseMismatch, e.where(), e.entry.ALS,
                        QStringLiteral("on disk as ") + recording_[i], i));
        }
}

void BankReport::nfdNames(QList<Problem> &out)
{
    // A recording stored decomposed, once; an entry that writes a name
    // decomposed when the recording is stored composed, at its line.
    QHash<QString, int> usedBy;
    for (int i = 0; i < bank_.entries.size(); ++i)
        if (!recording_[i].isEmpty() && !usedBy.contains(recording_[i]))
            usedBy.insert(recording_[i], i);
    for (const QString &r : bank_.recordings) {
        if (isNfc(r))
            continue;
        const int user = usedBy.value(r, -1);
        QString detail = QStringLiteral("stored decomposed (NFD) on disk");
        if (user >= 0)
            detail += match_[user] == NameMatch::Exact ? QStringLiteral("; oto.ini writes it decomposed too")
                                                       : QStringLiteral("; oto.ini writes it composed (NFC)");
        out.append(problem(ProblemKind::NfdName, r, QString(), detail, user));
    }
    for (int i = 0; i < bank_.entries.size(); ++i) {
        const ReportEntry &e = bank_.entries[i];
        if (!isNfc(e.entry.FIL) && !recording_[i].isEmpty() && isNfc(recording_[i]))
            out.append(problem(ProblemKind::NfdName, e.where(), e.entry.ALS,
                        QStringLiteral("oto.ini writes the name decomposed (NFD); on disk it is composed (NFC)"), i));
    }
}

void BankReport::outOfRange(QList<Problem> &out)
{
    for (int i = 0; i < bank_.entries.size(); ++i) {
        if (recording_[i].isEmpty())
            continue;
        const WaveHeader &h = header(recording_[i]);
        if (!h.usable)
            continue;
        const clsOto &o = bank_.entries[i].entry;
        const double length = h.lengthMs;
        const double right = o.rightBoundMs(length);
        QStringList faults;
        if (o.prmLF < 0)
            faults << QStringLiteral("the left bound %1 is before the start").arg(ms(o.prmLF));
        if (o.prmLF > length)
            faults << QStringLiteral("the left bound %1 is past the end (%2)").arg(ms(o.prmLF), ms(length));
        if (right > length)
            faults << QStringLiteral("the right bound reaches %1, past the end (%2)").arg(ms(right), ms(length));
        else if (right < o.prmLF)
            faults << QStringLiteral("the right bound %1 is before the left bound").arg(ms(right));
        if (o.prmOV > o.prmPR)
            faults << QStringLiteral("the overlap %1 is after the preutterance %2").arg(ms(o.prmOV), ms(o.prmPR));
        if (right >= o.prmLF && o.prmLF + o.prmFX > right)
            faults << QStringLiteral("the fixed length ends at %1, past the right bound %2")
                          .arg(ms(o.prmLF + o.prmFX), ms(right));
        if (!faults.isEmpty())
            out.append(problem(ProblemKind::OutOfRange, bank_.entries[i].where(), o.ALS, faults.join(QStringLiteral("; ")), i));
    }
}

void BankReport::unusedWaves(QList<Problem> &out)
{
    const QSet<QString> used(recording_.begin(), recording_.end());
    for (const QString &r : bank_.recordings)
        if (!used.contains(r))
            out.append(problem(ProblemKind::UnusedWave, r, QString(), QStringLiteral("no entry uses it")));
}

void BankReport::missingAliases(QList<Problem> &out, const CoverageProfile &coverage)
{
    for (const ExpectedAlias &e : ::missingAliases(bank_, coverage)) {
        Problem p = problem(ProblemKind::MissingAlias, e.where, e.alias, e.detail);
        p.recording = e.recording.isEmpty() ? QString() : entryName(bank_, e.recording);
        out.append(p);
    }
}

QString countsByKind(const QList<Problem> &problems)
{
    QString text;
    for (const ProblemKindInfo &info : problemKinds()) {
        const auto n = std::count_if(problems.begin(), problems.end(), [&](const Problem &p) { return p.kind == info.kind; });
        if (n > 0)
            text += QStringLiteral("%1: %2\n").arg(QString::fromLatin1(info.name)).arg(n);
    }
    return text;
}

QList<Problem> reportOnDocument(const OtoDocument &doc, const QString &coverage)
{
    const BankInput bank = documentBank(doc);
    QString why;
    const auto noFiles = [](const QString &) { return std::optional<QString>(); };
    const std::optional<CoverageProfile> profile =
        coverage.isEmpty() ? std::nullopt : coverageProfile(coverage, noFiles, &why);
    return BankReport(bank).run(profile ? &*profile : nullptr);
}

int createMissingEntries(OtoDocument &doc, const QList<Problem> &problems)
{
    const OtoEntries made = entriesForMissing(problems);
    if (!made.isEmpty())
        doc.insertEntriesStep(int(doc.clcOto().size()), made, QStringLiteral("Create missing entries"));
    return int(made.size());
}
