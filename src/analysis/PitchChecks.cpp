#include "analysis/PitchChecks.h"

#include "wave/clsWave.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <cmath>

namespace analysis {

std::optional<int> intendedNote(const QString &folderName, const QString &aliasSuffix)
{
    if (const std::optional<int> note = noteAtEnd(aliasSuffix))
        return note;
    return noteAtEnd(folderName);
}

QString OffPitch::describe() const
{
    return QStringLiteral("median %1, %2 semitones %3 %4")
        .arg(describeHz(medianHz))
        .arg(std::abs(offSemitones), 0, 'f', 2)
        .arg(offSemitones > 0 ? QStringLiteral("above") : QStringLiteral("below"))
        .arg(noteName(note));
}

std::optional<OffPitch> offPitch(const PitchTrack &track, int note, double limitSemitones)
{
    const double median = track.medianHz();
    if (median <= 0)
        return std::nullopt;
    const double off = hzToNote(median) - note;
    if (std::abs(off) <= limitSemitones)
        return std::nullopt;
    return OffPitch{median, note, off};
}

QString FrqMismatch::describe() const
{
    if (!reason.isEmpty())
        return reason;
    return QStringLiteral("the frequency file is off by more than a semitone in %1 of %2 voiced frames")
        .arg(disagreeing)
        .arg(compared);
}

std::optional<FrqMismatch> frqMismatch(const PitchTrack &track, const FrqData &frq, double limitSemitones, double share)
{
    FrqMismatch m;
    if (frq.samplesPerFrame != track.hopSamples) {
        m.reason = QStringLiteral("the frequency file has %1 samples per frame, not %2")
                       .arg(frq.samplesPerFrame)
                       .arg(track.hopSamples);
        return m;
    }
    // A frame more or less is how generators differ in rounding the length.
    if (std::abs(frq.frames() - track.frames) > 1) {
        m.reason = QStringLiteral("the frequency file has %1 frames, the recording %2").arg(frq.frames()).arg(track.frames);
        return m;
    }
    for (int i = 0; i < track.frames; ++i) {
        if (!track.voiced(i))
            continue;
        ++m.compared;
        const double theirs = i < frq.frames() ? frq.f0Hz[size_t(i)] : 0.0;
        if (!(theirs > 0) || std::abs(hzToNote(theirs) - hzToNote(track.f0Hz[size_t(i)])) > limitSemitones)
            ++m.disagreeing;
    }
    if (m.compared == 0 || m.disagreeing <= share * m.compared)
        return std::nullopt;
    return m;
}

RecordingPitchFindings checkRecordingPitch(const QString &wavPath, const QStringList &aliases,
                                           const PitchOptions &options)
{
    RecordingPitchFindings out;
    const QFileInfo info(wavPath);
    clsWave wave;
    QString name = info.fileName();
    if (!wave.ReadFile(info.absolutePath(), name)) {
        out.error = wave.errorReason();
        return out;
    }
    const PitchTrack track = trackPitch(wave.samples().span(), wave.Samplerate, options);

    QHash<int, int> votes;
    for (const QString &alias : aliases)
        if (const std::optional<int> note = noteAtEnd(alias))
            ++votes[*note];
    std::optional<int> note;
    for (auto it = votes.begin(); it != votes.end(); ++it)
        if (!note || it.value() > votes.value(*note) || (it.value() == votes.value(*note) && it.key() < *note))
            note = it.key();
    if (!note)
        note = noteAtEnd(info.dir().dirName());
    if (note)
        out.offPitch = offPitch(track, *note);

    QFile frqFile(frqPathOf(wavPath));
    if (frqFile.exists()) {
        QString why;
        if (!frqFile.open(QIODevice::ReadOnly))
            out.error = frqFile.fileName() + QStringLiteral(": ") + frqFile.errorString();
        else if (const std::optional<FrqData> frq = decodeFrq(frqFile.readAll(), &why))
            out.frqMismatch = frqMismatch(track, *frq);
        else
            out.frqMismatch = FrqMismatch{0, 0, why};
    }
    return out;
}

}  // namespace analysis
