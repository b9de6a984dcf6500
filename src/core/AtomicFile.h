#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// What a replacing write may be told besides the bytes: test seams for the
// permission check and for a crash between writing and committing.
struct AtomicWriteHooks {
    // Whether the process may write the file, as access(2) says: 0 or an
    // errno value. Empty: ask the system.
    std::function<int(const QByteArray &path)> mayWrite;
    // Called when the new bytes are on disk and not yet in place.
    std::function<void()> beforeCommit;
};

// Replaces a whole file so that no reader ever sees it half-written: the bytes
// go to a temporary file in the same folder (one without a name where the
// system offers it, so a crash leaves nothing behind), are flushed to disk,
// and take the target's place in one rename. The file is replaced only where
// a plain write would be allowed (a read-only file is not), and the new file
// keeps the old one's owner, group and mode, or the write is refused. A
// symbolic link stays a link (its target is replaced); a hard link is not
// kept (the name gets a new file). On failure the old file is left as it
// was. Returns the system's description of the failure, or nullopt.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes,
                                           const AtomicWriteHooks &hooks = {});

// Removes the temporary files a write to path left behind when the process
// was killed mid-write (".name.XXXXXX" beside it), those older than a
// minute: a younger one may be another program's save in progress. Returns
// how many.
int removeStaleTemporaryFiles(const QString &path);

// Whether a file name is one of those temporary files, so that listings
// leave them out.
bool isTemporaryFileName(const QString &fileName);

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
