#include "wave/modWave.h"

#include "wave/WavImage.h"

#include <algorithm>
#include <array>
#include <new>

WavHeadRecord WavHeadRecord::fromBytes(QByteArrayView bytes)
{
    WavHeadRecord r;
    r.riffId = bytes.sliced(0, 4).toByteArray();
    r.riffSize = bytesToLong(bytes.sliced(4));
    r.waveFmtId = bytes.sliced(8, 8).toByteArray();
    r.fmtSize = bytesToLong(bytes.sliced(16));
    return r;
}

WavFmtRecord WavFmtRecord::fromBytes(QByteArrayView bytes)
{
    WavFmtRecord r;
    r.formatTag = bytesToInt(bytes.sliced(0));
    r.channels = bytesToInt(bytes.sliced(2));
    r.sampleRate = bytesToLong(bytes.sliced(4));
    r.bytesPerSec = bytesToLong(bytes.sliced(8));
    r.blockAlign = bytesToInt(bytes.sliced(12));
    r.bitsPerSample = bytesToInt(bytes.sliced(14));
    return r;
}

WavChunkRecord WavChunkRecord::fromBytes(QByteArrayView bytes)
{
    WavChunkRecord r;
    r.id = bytes.sliced(0, 4).toByteArray();
    r.size = bytesToLong(bytes.sliced(4));
    return r;
}

namespace modWave {

namespace {

// One field of "fmt " checked against the one form the reader accepts
// (WavFormat's defaults), with what is said when a file differs.
struct FmtCheck {
    bool wrong;
    const char16_t *message;
};

std::array<FmtCheck, 6> fmtChecks(const WavFmtRecord &fmt)
{
    const WavFormat ok;
    return {{
        {fmt.formatTag != ok.tag, u"Format Tag <> 1 - 文件格式不是PCM"},
        {fmt.channels != ok.channels, u"Channel <> 1 (Only MONO wave supported) - 聲道數不爲1，僅支持單聲道"},
        {fmt.sampleRate != ok.rate, u"Sample Rate <> 44100 (Only 44100Hz supported) - 採樣率不爲44100Hz，僅支持此採樣率"},
        {fmt.bytesPerSec != ok.bytesPerSec, u"Wrong bytesPerSec - 每秒字節數非標準"},
        {fmt.blockAlign != ok.blockAlign, u"Wrong bytesperblock - 每塊字節數非標準"},
        {fmt.bitsPerSample != ok.bits, u"bitsPerSample <> 16 (Only 16-bit supported) - 採樣位數不爲16，僅支持16bit"},
    }};
}

}  // namespace

bool wavHeadCheck(const WavHeadRecord &head)
{
    return head.riffId == "RIFF" && head.waveFmtId == "WAVEfmt ";
}

bool wavHeadFmtCheck(const WavFmtRecord &fmt)
{
    const std::array<FmtCheck, 6> checks = fmtChecks(fmt);
    return std::none_of(checks.begin(), checks.end(), [](const FmtCheck &c) { return c.wrong; });
}

bool wavHeadDataCheck(const WavChunkRecord &chunk)
{
    return chunk.id == "data";
}

QString wavHeadGetFmtErr(const WavFmtRecord &fmt)
{
    try {
        QString s;
        for (const FmtCheck &check : fmtChecks(fmt))
            if (check.wrong)
                s += QString::fromUtf16(check.message) + QStringLiteral("\r\n");
        return s;
    } catch (const std::bad_alloc &) {
        return QStringLiteral(u"unknown error QAQ 未知錯誤 modWave::wavHeadGetFmtErr");
    }
}

QString wavHeadDataGetErr(const WavChunkRecord &chunk)
{
    try {
        return wavHeadDataCheck(chunk) ? QString() : QStringLiteral(u"'data' ID wrong - 'data'標籤不匹配");
    } catch (const std::bad_alloc &) {
        return QStringLiteral(u"unknown error QAQ 未知錯誤 modWave::wavHeadDataGetErr");
    }
}

}  // namespace modWave

qint16 bytesToInt(QByteArrayView bytes)
{
    quint16 v = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 2) - 1; i >= 0; --i)
        v = quint16(v << 8 | quint8(bytes[i]));
    return qint16(v);
}

qint32 bytesToLong(QByteArrayView bytes)
{
    quint32 v = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 4) - 1; i >= 0; --i)
        v = v << 8 | quint8(bytes[i]);
    return qint32(v);
}
