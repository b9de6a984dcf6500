#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The records of a RIFF WAVE file as the reader sees them, and the checks
// that decide whether the editor can show a file. Only 16-bit mono PCM at
// 44100 samples per second passes.

// Little-endian integers from the start of a byte array (the records'
// fields). Bytes missing from a short array count as 0.
qint16 bytesToInt(QByteArrayView bytes);
qint32 bytesToLong(QByteArrayView bytes);

// The first 20 bytes of the file: "RIFF", the RIFF size, "WAVEfmt " and the
// size of the fmt body.
struct WavHeadRecord {
    static constexpr int kBytes = 20;
    QByteArray riffId;       // 4 bytes
    qint32 riffSize = 0;     // never used
    QByteArray waveFmtId;    // 8 bytes: form type and fmt chunk identifier
    qint32 fmtSize = 0;

    // bytes holds at least kBytes.
    static WavHeadRecord fromBytes(QByteArrayView bytes);
};

// The first 16 bytes of the fmt body.
struct WavFmtRecord {
    static constexpr int kBytes = 16;
    qint16 formatTag = 0;
    qint16 channels = 0;
    qint32 sampleRate = 0;
    qint32 bytesPerSec = 0;
    qint16 blockAlign = 0;
    qint16 bitsPerSample = 0;

    // bytes holds at least kBytes.
    static WavFmtRecord fromBytes(QByteArrayView bytes);
};

// A chunk header: identifier and body size.
struct WavChunkRecord {
    static constexpr int kBytes = 8;
    QByteArray id = QByteArray(4, '\0');
    qint32 size = 0;

    // bytes holds at least kBytes.
    static WavChunkRecord fromBytes(QByteArrayView bytes);
};

namespace modWave {

bool wavHeadCheck(const WavHeadRecord &head);
bool wavHeadFmtCheck(const WavFmtRecord &fmt);
bool wavHeadDataCheck(const WavChunkRecord &chunk);

// One line (ending "\r\n") for each field of fmt that has the wrong value.
QString wavHeadGetFmtErr(const WavFmtRecord &fmt);
// The line for a chunk that is not "data", without a line end; empty for "data".
QString wavHeadDataGetErr(const WavChunkRecord &chunk);

}  // namespace modWave
