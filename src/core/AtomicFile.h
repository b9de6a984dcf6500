#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Replaces a whole file so that no reader ever sees it half-written: the bytes
// go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is renamed over the target. On failure the old file is left
// as it was. Returns the system's description of the failure, or nullopt.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

// What a file held when the program last read or wrote it, so that a save
// can tell whether another program (an editor, a git pull, a sync tool) has
// changed it since.
struct FileStamp {
    qint64 size = -1;
    size_t hash = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QByteArray &bytes);
// The stamp of the file as it is on disk now; nullopt when there is no file
// to read there.
std::optional<FileStamp> stampOnDisk(const QString &path);
