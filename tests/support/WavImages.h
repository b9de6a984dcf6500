#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QtEndian>

// WAV images built byte by byte, so that every test states its file exactly.
namespace wavimg {

inline QByteArray le16(int v) { QByteArray b(2, '\0'); qToLittleEndian(quint16(v), b.data()); return b; }
inline QByteArray le32(qint64 v) { QByteArray b(4, '\0'); qToLittleEndian(quint32(v), b.data()); return b; }

struct Fmt {
    int tag = 1, channels = 1;
    qint64 rate = 44100, bytesPerSec = 88200;
    int blockAlign = 2, bits = 16;
};

inline QByteArray fmtBody(const Fmt &f = {})
{
    return le16(f.tag) + le16(f.channels) + le32(f.rate) + le32(f.bytesPerSec) + le16(f.blockAlign) + le16(f.bits);
}
// A chunk, with its pad byte after an odd body.
inline QByteArray chunk(const QByteArray &id, const QByteArray &body)
{
    return id + le32(body.size()) + body + QByteArray(body.size() % 2, '\0');
}
inline QByteArray pcm(const QList<qint16> &s)
{
    QByteArray b;
    for (qint16 v : s)
        b += le16(v);
    return b;
}
inline QByteArray riff(const QByteArray &chunks) { return "RIFF" + le32(4 + chunks.size()) + "WAVE" + chunks; }
inline QByteArray wav(const QList<qint16> &s, const Fmt &f = {})
{
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", pcm(s)));
}

// Noise that never holds a 0 sample.
inline QList<qint16> noise(int count, int amplitude, quint32 seed = 7)
{
    QRandomGenerator rng(seed);
    QList<qint16> s(count);
    for (auto &v : s)
        v = qint16(rng.bounded(1, amplitude + 1) * (rng.bounded(2) ? 1 : -1));
    return s;
}

}  // namespace wavimg
