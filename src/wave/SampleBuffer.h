#pragma once

#include <QByteArray>
#include <QList>
#include <span>

// The 16-bit samples of a loaded wave, read-only and shared: a copy costs a
// reference count, and whoever holds one (the player while it plays, a view
// while it draws) keeps the samples alive across the next load. They live
// inside the file's byte image when the image holds them as the machine reads
// them, so that a long wave is held in memory once, not twice; otherwise in a
// list of their own.
class SampleBuffer {
public:
    SampleBuffer() = default;
    // count samples at byte offset of image; the caller has checked that
    // they are there, aligned and in the machine's byte order.
    static SampleBuffer inImage(const QByteArray &image, qsizetype offset, qsizetype count)
    {
        SampleBuffer b;
        b.image_ = image;
        b.data_ = reinterpret_cast<const qint16 *>(b.image_.constData() + offset);
        b.size_ = count;
        return b;
    }
    static SampleBuffer of(const QList<qint16> &samples)
    {
        SampleBuffer b;
        b.own_ = samples;
        b.data_ = b.own_.constData();
        b.size_ = b.own_.size();
        return b;
    }

    const qint16 *data() const { return data_; }
    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    qint16 operator[](qsizetype i) const { return data_[i]; }
    std::span<const qint16> span() const { return {data_, size_t(size_)}; }
    // The samples as a list: shared when they have a list of their own,
    // copied out of the image otherwise.
    QList<qint16> toList() const { return own_.constData() == data_ ? own_ : QList<qint16>(data_, data_ + size_); }
    // The bytes held for the samples beyond the byte image.
    qsizetype ownBytes() const { return own_.size() * qsizetype(sizeof(qint16)); }

private:
    QByteArray image_;
    QList<qint16> own_;
    const qint16 *data_ = nullptr;
    qsizetype size_ = 0;
};
