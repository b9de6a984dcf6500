#include "analysis/FrqFile.h"

#include "analysis/Parallel.h"
#include "core/AtomicFile.h"
#include "wave/clsWave.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QtEndian>
#include <cstring>
#include <thread>

namespace analysis {

namespace {

constexpr char kMagic[] = "FREQ0003";
constexpr qsizetype kHeaderBytes = 8 + 4 + 8 + 16 + 4;

void putInt(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putDouble(QByteArray &out, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    char b[8];
    qToLittleEndian(bits, b);
    out.append(b, 8);
}

qint32 intAt(const QByteArray &in, qsizetype at)
{
    return qFromLittleEndian<qint32>(in.constData() + at);
}

double doubleAt(const QByteArray &in, qsizetype at)
{
    const quint64 bits = qFromLittleEndian<quint64>(in.constData() + at);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

}  // namespace

FrqData frqFromTrack(const PitchTrack &track)
{
    FrqData d;
    d.samplesPerFrame = track.hopSamples;
    d.averageHz = track.meanHz();
    d.f0Hz.assign(track.f0Hz.begin(), track.f0Hz.end());
    d.amplitude.assign(track.amplitude.begin(), track.amplitude.end());
    return d;
}

QByteArray encodeFrq(const FrqData &data)
{
    QByteArray out;
    out.reserve(kHeaderBytes + qsizetype(data.f0Hz.size()) * 16);
    out.append(kMagic, 8);
    putInt(out, data.samplesPerFrame);
    putDouble(out, data.averageHz);
    out.append(16, '\0');
    putInt(out, data.frames());
    for (size_t i = 0; i < data.f0Hz.size(); ++i) {
        putDouble(out, data.f0Hz[i]);
        putDouble(out, i < data.amplitude.size() ? data.amplitude[i] : 0.0);
    }
    return out;
}

std::optional<FrqData> decodeFrq(const QByteArray &bytes, QString *why)
{
    auto fail = [&](const QString &reason) -> std::optional<FrqData> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (bytes.size() < kHeaderBytes || !bytes.startsWith(QByteArray(kMagic, 8)))
        return fail(QStringLiteral("not a frequency file (no FREQ0003 header)"));
    FrqData d;
    d.samplesPerFrame = intAt(bytes, 8);
    d.averageHz = doubleAt(bytes, 12);
    const qint32 frames = intAt(bytes, 36);
    if (d.samplesPerFrame <= 0 || frames < 0)
        return fail(QStringLiteral("a frequency file with a bad frame size or count"));
    if ((bytes.size() - kHeaderBytes) / 16 < frames)
        return fail(QStringLiteral("a frequency file cut short: %1 frames announced, %2 held")
                        .arg(frames)
                        .arg((bytes.size() - kHeaderBytes) / 16));
    d.f0Hz.resize(size_t(frames));
    d.amplitude.resize(size_t(frames));
    for (qint32 i = 0; i < frames; ++i) {
        d.f0Hz[size_t(i)] = doubleAt(bytes, kHeaderBytes + qsizetype(i) * 16);
        d.amplitude[size_t(i)] = doubleAt(bytes, kHeaderBytes + qsizetype(i) * 16 + 8);
    }
    return d;
}

QString frqPathOf(const QString &wavPath)
{
    const QFileInfo info(wavPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_wav.frq"));
}

QStringList waveFilesUnder(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, {QStringLiteral("*.wav"), QStringLiteral("*.WAV")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // QDir::Hidden is left out of the filter, so hidden folders are not
        // entered and hidden files not listed.
        out << path;
    }
    std::sort(out.begin(), out.end());
    out.removeDuplicates();
    return out;
}

std::optional<QString> writeFrqFor(const QString &wavPath, const PitchOptions &options)
{
    const QFileInfo info(wavPath);
    clsWave wave;
    QString name = info.fileName();
    if (!wave.ReadFile(info.absolutePath(), name))
        return wave.errorReason();
    const PitchTrack track = trackPitch(wave.samples().span(), wave.Samplerate, options);
    return writeFileAtomically(frqPathOf(wavPath), encodeFrq(frqFromTrack(track)));
}

QString FrqRunResult::counts() const
{
    return QStringLiteral("written: %1, kept: %2, failed: %3").arg(written).arg(skipped).arg(failures.size());
}

FrqRunResult writeFrqFiles(const QStringList &wavPaths, const FrqRunOptions &options, const FrqProgress &progress,
                           const std::atomic<bool> *cancel)
{
    FrqRunResult result;
    QStringList todo;
    for (const QString &path : wavPaths) {
        if (!options.force && QFileInfo::exists(frqPathOf(path)))
            ++result.skipped;
        else
            todo << path;
    }
    const int threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    QMutex mutex;
    std::atomic<int> done{0};
    parallelFor(int(todo.size()), threads, [&](int i) {
        if (cancel && cancel->load())
            return;
        const std::optional<QString> failure = writeFrqFor(todo[i], options.pitch);
        {
            QMutexLocker lock(&mutex);
            if (failure)
                result.failures << todo[i] + QStringLiteral(": ") + *failure;
            else
                ++result.written;
        }
        if (progress)
            progress(++done, int(todo.size()));
    });
    result.cancelled = cancel && cancel->load() && done < todo.size();
    return result;
}

}  // namespace analysis
