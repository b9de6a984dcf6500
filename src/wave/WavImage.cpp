#include "wave/WavImage.h"

#include <QtEndian>

QByteArray modWave::wavImage(std::span<const qint16> samples, int sampleRate)
{
    auto le32 = [](quint32 v) { QByteArray b(4, '\0'); qToLittleEndian(v, b.data()); return b; };
    auto le16 = [](quint16 v) { QByteArray b(2, '\0'); qToLittleEndian(v, b.data()); return b; };
    QByteArray data(qsizetype(samples.size() * 2), Qt::Uninitialized);
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian(samples[i], data.data() + 2 * i);
    const QByteArray fmt = le16(1) + le16(1) + le32(quint32(sampleRate)) + le32(quint32(sampleRate * 2)) + le16(2) + le16(16);
    const QByteArray body = "WAVE" + QByteArray("fmt ") + le32(16) + fmt + QByteArray("data") + le32(quint32(data.size())) + data;
    return "RIFF" + le32(quint32(body.size())) + body;
}
