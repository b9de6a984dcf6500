#include "wave/clsWave.h"

#include "core/modUtils.h"
#include "oto/modLocale.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <new>
#include <optional>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace {

// Header-sized reads at arbitrary offsets, served from one block of the file
// so that walking many small chunks costs few system calls.
class BlockReader {
public:
    explicit BlockReader(QFile &file) : file_(file) {}

    // Up to len bytes at pos, fewer at the end of the file; nullopt on a read error.
    std::optional<QByteArrayView> at(qint64 pos, qsizetype len)
    {
        if (pos < blockPos_ || pos + len > blockPos_ + block_.size()) {
            if (!file_.seek(pos))
                return QByteArrayView();  // beyond the end
            block_ = file_.read(kBlock);
            blockPos_ = pos;
            if (file_.error() != QFileDevice::NoError)
                return std::nullopt;
        }
        const qsizetype off = qsizetype(pos - blockPos_);
        return QByteArrayView(block_).sliced(off, std::min(len, block_.size() - off));
    }

private:
    static constexpr qint64 kBlock = 64 * 1024;
    QFile &file_;
    QByteArray block_;
    qint64 blockPos_ = 0;
};

// The samples can be used where they lie in the image: the machine reads
// little-endian 16-bit values and the first one is aligned for it.
bool samplesReadInPlace(const char *first)
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian
           && reinterpret_cast<quintptr>(first) % alignof(qint16) == 0;
}

// A long wave's image is read into fresh memory, and every 4 KiB page of it
// costs a fault on first touch (several microseconds each on virtual
// machines): most of a 10-minute wave's load time. Large pages cut that
// 512-fold where the system offers them on request; elsewhere this does
// nothing.
void adviseLargePages(char *data, qsizetype size)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr quintptr kLarge = quintptr(2) << 20;
    const quintptr begin = (reinterpret_cast<quintptr>(data) + kLarge - 1) & ~(kLarge - 1);
    const quintptr end = (reinterpret_cast<quintptr>(data) + quintptr(size)) & ~(kLarge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);  // a hint; refusal is harmless
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

QString chunkName(const QByteArray &id)
{
    QString s;
    for (char c : id)
        s += (c >= 0x20 && c < 0x7f) ? QChar(c) : QChar(u'?');
    return s;
}

// The first line of a corrupted file's message, and its reason on one line.
const QString kCorruptedText = QStringLiteral("the wave file is corrupted or not supported.");

}  // namespace

clsWave::clsWave(const modLocale *locale) : locale_(locale) {}

bool clsWave::ReadFile(const QString &fpath, QString &fname)
{
    const QString path = locale_ ? locale_->wavePath(fpath, fname) : joinPath(fpath, fname);
    fname = path;
    FileAddress = path;
    try {
        return load(path, false);
    } catch (const std::bad_alloc &) {
        return fail(WaveError::Corrupted, QStringLiteral("not enough memory"));
    }
}

bool clsWave::ReadHeader(const QString &fpath, QString &fname)
{
    const QString path = locale_ ? locale_->wavePath(fpath, fname) : joinPath(fpath, fname);
    fname = path;
    FileAddress = path;
    return load(path, true);
}

QString clsWave::cutOffReason() const
{
    const auto ms = [this](qint64 samples) { return qRound64(double(samples) * 1000 / std::max(1, Samplerate)); };
    if (double(Length - heldSamples_) * 1000 / std::max(1, Samplerate) <= kMostMissingMs)
        return {};
    return QStringLiteral("the file ends before its data: %1 of %2 ms are there").arg(ms(heldSamples_)).arg(ms(Length));
}

bool clsWave::fail(WaveError type, const QString &why)
{
    errType = type;
    errDesc_ = why;
    Valid = false;
    return false;
}

bool clsWave::load(const QString &path, bool headerOnly)
{
    // A FIFO or device would block or never end; they are not files to open.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(WaveError::NotFound, QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(WaveError::NotFound, file.errorString());
    const auto readError = [&] { return fail(WaveError::Corrupted, file.errorString()); };

    BlockReader in(file);
    const auto headBytes = in.at(0, WavHeadRecord::kBytes);
    if (!headBytes)
        return readError();
    if (headBytes->size() < WavHeadRecord::kBytes)
        return fail(WaveError::Corrupted, {});  // too short to hold the header: a mismatch like any other
    const WavHeadRecord head = WavHeadRecord::fromBytes(*headBytes);
    if (!modWave::wavHeadCheck(head))
        return fail(WaveError::Corrupted, {});

    const qint32 fmtSize = head.fmtSize;
    if (fmtSize <= 0)
        return fail(WaveError::Corrupted, QStringLiteral("the fmt chunk declares %1 bytes").arg(fmtSize));
    if (fmtSize < WavFmtRecord::kBytes)
        return fail(WaveError::Corrupted, QStringLiteral("the fmt chunk holds %1 bytes, fewer than 16").arg(fmtSize));
    const auto fmtBytes = in.at(WavHeadRecord::kBytes, WavFmtRecord::kBytes);
    if (!fmtBytes)
        return readError();
    if (fmtBytes->size() < WavFmtRecord::kBytes)
        return fail(WaveError::Corrupted, QStringLiteral("the file ends inside the fmt chunk"));
    // The record stays for GetError, which lists the fields that are wrong.
    WavHead = head;
    WavFmt = WavFmtRecord::fromBytes(*fmtBytes);
    const WavFmtRecord fmt = WavFmt;
    if (!modWave::wavHeadFmtCheck(fmt))
        return fail(WaveError::WrongFormat, {});

    // Every step moves forward by at least one header, so the walk ends at
    // the end of the file whatever the sizes say.
    qint64 pos = WavHeadRecord::kBytes + qint64(fmtSize);
    for (;;) {
        const auto chunkBytes = in.at(pos, WavChunkRecord::kBytes);
        if (!chunkBytes)
            return readError();
        if (chunkBytes->size() < WavChunkRecord::kBytes)
            return fail(WaveError::Corrupted, QStringLiteral("the file ends before a 'data' chunk"));
        WavChunk = WavChunkRecord::fromBytes(*chunkBytes);
        if (WavChunk.size < 0)
            return fail(WaveError::Corrupted, QStringLiteral("chunk '%1' declares a negative size").arg(chunkName(WavChunk.id)));
        pos += WavChunkRecord::kBytes;
        if (modWave::wavHeadDataCheck(WavChunk))
            break;
        pos += qint64(WavChunk.size) + (WavChunk.size & 1);
    }

    const qint64 dataPos = pos;
    const qint64 dataBytes = WavChunk.size;
    const qint32 count = qint32(dataBytes / 2);
    if (count == 0)
        return fail(WaveError::Corrupted, QStringLiteral("the data chunk holds no sample"));
    if (dataBytes > maxDataBytes)
        return fail(WaveError::Corrupted, QStringLiteral("the data chunk declares %1 bytes, more than the %2 this editor loads")
                           .arg(dataBytes).arg(maxDataBytes));
    const qint64 fileSize = file.size();
    if (fileSize > maxFileBytes())
        return fail(WaveError::Corrupted, QStringLiteral("the file has %1 bytes, more than the %2 this editor loads")
                           .arg(fileSize).arg(maxFileBytes()));
    if (headerOnly) {
        heldSamples_ = qint32(std::clamp<qint64>((fileSize - dataPos) / 2, 0, count));
        Samplerate = fmt.sampleRate;
        Length = count;
        LengthMs = double(Length) / fmt.channels / Samplerate * 1000;
        Valid = false;  // no samples were read
        return true;
    }

    // The whole file once. The samples stay inside this image when it holds
    // them all as the machine reads them; what the declared size asks beyond
    // the end of the file is 0.
    QByteArray image(fileSize, Qt::Uninitialized);
    adviseLargePages(image.data(), image.size());
    if (!file.seek(0))
        return readError();
    qint64 got = 0;
    while (got < fileSize) {
        const qint64 n = file.read(image.data() + got, fileSize - got);
        if (n < 0)
            return readError();
        if (n == 0)
            break;  // the file shrank meanwhile
        got += n;
    }
    image.truncate(got);
    file.close();

    const qsizetype held = dataPos < got ? qsizetype(std::min<qint64>(count, (got - dataPos) / 2)) : 0;
    SampleBuffer samples;
    if (held == count && samplesReadInPlace(image.constData() + dataPos)) {
        samples = SampleBuffer::inImage(image, qsizetype(dataPos), count);
    } else {
        QList<qint16> own(count);
        if (held > 0)
            qFromLittleEndian<qint16>(image.constData() + dataPos, held, own.data());
        samples = SampleBuffer::of(own);
    }

    samples_ = std::move(samples);
    image_ = std::move(image);
    calcRange(held);
    heldSamples_ = qint32(held);
    Samplerate = fmt.sampleRate;
    Length = count;
    LengthMs = double(Length) / fmt.channels / Samplerate * 1000;
    static std::atomic<quint64> lastGeneration{0};
    generation_ = ++lastGeneration;
    Valid = true;
    return true;
}

void clsWave::calcRange(qsizetype heldSamples)
{
    // One pass for a histogram of magnitudes; each bisection step then reads
    // the count above its level from the running sums instead of the samples.
    std::vector<quint32> above(32770, 0);  // above[m]: samples with magnitude >= m
    const qint16 *s = samples_.data();
    // The zeros past heldSamples never exceed a level, but they count in n.
    for (qsizetype i = 0; i < heldSamples; ++i)
        ++above[std::abs(int(s[i]))];
    for (int m = 32767; m >= 0; --m)
        above[m] += above[m + 1];

    const double n = double(samples_.size() - 1);
    int hi = 32767;
    int lo = 256;
    while (double(hi) / lo >= 1.1) {
        const int mid = int(std::nearbyint(std::sqrt(double(lo) * hi)));  // ties to even
        if (above[mid + 1] <= n * 0.001)
            hi = mid;
        else
            lo = mid;
    }
    Range = qint16(hi);
}

QString clsWave::errorReason() const
{
    const QString sep = QStringLiteral("; ");
    const auto withDescription = [&](const QString &what) { return errDesc_.isEmpty() ? what : what + sep + errDesc_; };
    switch (errType) {
    case WaveError::None:
        return {};
    case WaveError::NotFound:
        return withDescription(QStringLiteral("cannot be opened"));
    case WaveError::Corrupted:
        return withDescription(kCorruptedText);
    case WaveError::WrongFormat:
        // The fields of "fmt " that are wrong; the format is checked before
        // the data chunk is looked for, so that one has nothing to say.
        return modWave::wavHeadGetFmtErr(WavFmt).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).join(sep);
    }
    return {};
}

QString clsWave::GetError() const
{
    const QString nl = QStringLiteral("\r\n");
    switch (errType) {
    case WaveError::None:
        return QStringLiteral(u"No Error - 無錯誤");
    case WaveError::Corrupted:
        return kCorruptedText + nl
            + QStringLiteral(u"wav文件損壞或不支持。") + nl + errDesc_ + nl;
    case WaveError::NotFound:
        return FileAddress + nl + QStringLiteral("the wave file above is not found or can't be opened. ") + nl
            + QStringLiteral(u"以上波形文件未找到或不能打開。") + nl
            + QStringLiteral("(May be caused by wrong charset settings, try toggle 'Bad filenames'") + nl
            + QStringLiteral(u" 可能是編碼設定有誤，請嘗試切換文件名亂碼)") + nl + errDesc_ + nl;
    case WaveError::WrongFormat:
        return QStringLiteral("modwave::wavReadFile(") + QStringLiteral(")") + nl
            + QStringLiteral("the wave file has Wrong format.") + nl + QStringLiteral(u"wav文件格式有誤。") + nl
            + modWave::wavHeadGetFmtErr(WavFmt) + nl + modWave::wavHeadDataGetErr(WavChunk) + nl;
    }
    return {};
}
