#include "core/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Removes the temporary file on every way out that did not rename it.
class TemporaryFile {
public:
    explicit TemporaryFile(const QByteArray &folder, const QByteArray &name)
        : path_(folder + "/." + name + ".XXXXXX")
    {
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        created_ = fd_ >= 0;
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (created_ && !renamed_)
            ::unlink(path_.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool created() const { return created_; }
    int fd() const { return fd_; }
    const QByteArray &path() const { return path_; }
    // Closes the file, returning the error close reported (a network file
    // system reports write errors there), or 0.
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }
    void markRenamed() { renamed_ = true; }

private:
    QByteArray path_;
    int fd_ = -1;
    bool created_ = false;
    bool renamed_ = false;
};

int writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

// The file a write to path really replaces: the target of a symbolic link,
// so that a link to a shared oto.ini stays a link.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

}  // namespace

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QString target = resolvedTarget(path);
    const QFileInfo info(target);
    if (info.isDir())
        return systemError(EISDIR);
    const QByteArray targetName = QFile::encodeName(target);
    QByteArray folder = QFile::encodeName(info.absolutePath());

    TemporaryFile temp(folder, QFile::encodeName(info.fileName()));
    if (!temp.created())
        return systemError(errno);

    // The new file gets the old one's permissions (a file made read-only
    // for others stays so), or those of a newly created file.
    struct stat old{};
    if (::stat(targetName.constData(), &old) == 0) {
        ::fchmod(temp.fd(), old.st_mode & 07777);
        if (::fchown(temp.fd(), old.st_uid, old.st_gid) != 0) {
            // Only the owner's root can give a file away; keep ours.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(temp.fd(), 0666 & ~mask);
    }

    if (const int error = writeAll(temp.fd(), bytes.constData(), bytes.size()))
        return systemError(error);
    if (::fsync(temp.fd()) != 0)
        return systemError(errno);
    if (const int error = temp.close())
        return systemError(error);
    if (::rename(temp.path().constData(), targetName.constData()) != 0)
        return systemError(errno);
    temp.markRenamed();

    // The rename itself reaches the disk with the folder's entry.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

FileStamp stampOf(const QByteArray &bytes)
{
    return {bytes.size(), qHashBits(bytes.constData(), size_t(bytes.size()), 0x6c697272)};
}

std::optional<FileStamp> stampOnDisk(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return stampOf(bytes);
}
