#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <span>

namespace modWave {

// The fields of a WAV file's "fmt " chunk. The defaults are the only form
// the reader accepts: 16-bit mono PCM at 44.1 kHz.
struct WavFormat {
    int tag = 1;  // 1: PCM
    int channels = 1;
    qint64 rate = 44100;
    qint64 bytesPerSec = 88200;
    int blockAlign = 2;
    int bits = 16;
};

// The pieces of a RIFF file, from which wavImage is made and with which a
// test states a file byte by byte, broken ones included.
QByteArray le16(int v);
QByteArray le32(qint64 v);
QByteArray fmtBody(const WavFormat &format = {});
// A chunk: its id, its size, its body and a pad byte after an odd body.
QByteArray chunk(const QByteArray &id, const QByteArray &body);
// Samples as little-endian 16-bit PCM.
QByteArray pcm(std::span<const qint16> samples);
// "RIFF", the size, "WAVE" and the chunks.
QByteArray riff(const QByteArray &chunks);

// The byte image of a 16-bit mono PCM WAV file holding samples: the only
// form the reader accepts, and what the renderer writes.
QByteArray wavImage(std::span<const qint16> samples, int sampleRate = 44100);

}  // namespace modWave
