#pragma once

#include "wave/WavImage.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QtEndian>

// WAV images built byte by byte from the writer's pieces, so that every
// test states its file exactly.
namespace wavimg {

using Fmt = modWave::WavFormat;
using modWave::chunk;
using modWave::fmtBody;
using modWave::le16;
using modWave::le32;
using modWave::riff;
inline QByteArray pcm(const QList<qint16> &s) { return modWave::pcm(s); }
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
