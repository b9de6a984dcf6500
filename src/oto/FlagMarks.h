#pragma once

#include "oto/OtoFormat.h"

#include <QHash>
#include <QObject>

class OtoDocument;

// The entries an estimate flagged for a look, each with its reason. A mark
// stays until its entry is changed (by any edit, typed, dragged or undone),
// removed, or the mark is cleared. The marks are kept beside oto.ini in
// lirra-flags.txt (UTF-8, one "file TAB alias TAB reason" line each, the
// file named from the singer's folder as in A3/0.wav), so
// that they survive a restart; the file goes when the last mark does.
class FlagMarks : public QObject {
    Q_OBJECT
public:
    static inline const QString kFileName = QStringLiteral("lirra-flags.txt");

    explicit FlagMarks(const OtoDocument &doc, QObject *parent = nullptr);

    // The reason entry index was flagged, empty when it is not.
    QString reason(int index) const;
    bool isFlagged(int index) const { return !reason(index).isEmpty(); }
    int count() const { return int(reasons_.size()); }
    // The first flagged entry after index in collection order, wrapping
    // round; -1 when none is.
    int nextAfter(int index) const;

    // Marks these entries (index -> reason), keeping the other marks.
    void mark(const QHash<int, QString> &reasons);
    void clear(int index);

    // Why the file could not be written the last time, empty when it was.
    const QString &lastError() const { return lastError_; }

signals:
    void changed();

private:
    void forget(const QList<int> &indexes);
    void load();
    void store();

    const OtoDocument &doc_;
    QHash<const clsOto *, QString> reasons_;
    QString lastError_;
};
