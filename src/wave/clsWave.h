#pragma once

#include "wave/modWave.h"
#include "wave/SampleBuffer.h"

#include <QByteArray>
#include <QList>
#include <QString>

class modLocale;

// What the last failed load met.
enum class WaveError {
    None,         // no failure yet
    Corrupted,    // damaged, or not a format the reader knows
    NotFound,     // missing, or cannot be opened
    WrongFormat,  // a WAV, but not 16-bit mono PCM at 44100 Hz
};

// One WAV file of the voicebank in memory: its 16-bit samples, the byte image
// of the whole file, and the peak level the views scale to. Only 16-bit mono
// PCM at 44100 samples per second is accepted. A failed load keeps the
// previous file's samples and figures; go by Valid.
class clsWave {
public:
    // The largest data chunk loaded, and the largest file: room for the
    // headers and tagging chunks around the largest data chunk. Anything
    // bigger is refused as corrupted rather than allocated. Process-wide;
    // the fuzzer lowers it to keep each run small.
    static inline qint64 maxDataBytes = qint64(1) << 30;
    static qint64 maxFileBytes() { return maxDataBytes + (qint64(16) << 20); }

    // With a locale, ReadFile applies its on-disk name rule to the file name;
    // without one the name is used as given.
    explicit clsWave(const modLocale *locale = nullptr);

    qint16 Range = 0;          // level about 1/1000 of the samples exceed
    qint32 Length = 0;         // samples
    double LengthMs = 0;
    qint32 Samplerate = 0;
    bool Valid = false;
    QString FileAddress;       // the path the last ReadFile tried
    WaveError errType = WaveError::None;

    // Loads fpath/fname; fname receives the full path that was opened.
    // Failures are only recorded: errType, and the text from GetError.
    bool ReadFile(const QString &fpath, QString &fname);
    // Checks fpath/fname as ReadFile does but reads only its headers:
    // Length, LengthMs and Samplerate describe the file, the samples are not
    // read and Valid is false. For checks over whole banks.
    bool ReadHeader(const QString &fpath, QString &fname);
    QString GetError() const;
    // Why the last ReadFile or ReadHeader failed, on one line and without
    // the headings of GetError's message box: for a list of files, or beside
    // an entry. Empty after a success.
    QString errorReason() const;
    // Copies of the samples and of the file's bytes. getAllData shares the
    // image until written; getData copies the samples out of it.
    QList<qint16> getData() const { return samples_.toList(); }
    QByteArray getAllData() const { return image_; }
    // The samples without a copy: what the views draw and the player plays.
    const SampleBuffer &samples() const { return samples_; }
    // The memory the loaded wave holds: its byte image, and the samples when
    // they could not stay inside it.
    qsizetype heldBytes() const { return image_.size() + samples_.ownBytes(); }
    // How many of the Length samples the file really holds: a file cut off
    // before the end of its data chunk holds fewer, and the rest read as 0.
    qint32 heldSamples() const { return heldSamples_; }
    // After a load: why the file does not hold its recording, when more
    // than kMostMissingMs of the data its header declares are not in it (a
    // copy or a recorder cut off); a few samples short is a sloppy writer.
    // Empty otherwise.
    static constexpr double kMostMissingMs = 50;
    QString cutOffReason() const;
    // getWave, the samples as script values, belongs to the script console
    // and is added there beside getData.

    // Changes with every successful load, in every wave of the process, so
    // that whatever was worked out from the samples can tell when to redo it.
    // 0 before the first load.
    quint64 generation() const { return generation_; }

private:
    bool load(const QString &path, bool headerOnly);
    bool fail(WaveError type, const QString &why);
    // Samples past heldSamples are known to be 0 (declared but not in the file).
    void calcRange(qsizetype heldSamples);

    const modLocale *locale_;
    WavHeadRecord WavHead;
    WavFmtRecord WavFmt;
    WavChunkRecord WavChunk;
    SampleBuffer samples_;
    QByteArray image_;
    QString errDesc_;  // the failure's own description, shown in GetError
    quint64 generation_ = 0;
    qint32 heldSamples_ = 0;
};
