#include "wave/WavImage.h"

#include <QtEndian>

namespace modWave {

QByteArray le16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(quint16(v), b.data());
    return b;
}

QByteArray le32(qint64 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(quint32(v), b.data());
    return b;
}

QByteArray fmtBody(const WavFormat &f)
{
    return le16(f.tag) + le16(f.channels) + le32(f.rate) + le32(f.bytesPerSec) + le16(f.blockAlign) + le16(f.bits);
}

QByteArray chunk(const QByteArray &id, const QByteArray &body)
{
    return id + le32(body.size()) + body + QByteArray(body.size() % 2, '\0');
}

QByteArray pcm(std::span<const qint16> samples)
{
    QByteArray data(qsizetype(samples.size() * 2), Qt::Uninitialized);
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian(samples[i], data.data() + 2 * i);
    return data;
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(4 + chunks.size()) + "WAVE" + chunks;
}

QByteArray wavImage(std::span<const qint16> samples, int sampleRate)
{
    WavFormat format;
    format.rate = sampleRate;
    format.bytesPerSec = qint64(sampleRate) * format.blockAlign;
    return riff(chunk("fmt ", fmtBody(format)) + chunk("data", pcm(samples)));
}

}  // namespace modWave
