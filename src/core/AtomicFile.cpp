#include "core/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
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

constexpr int kRandomChars = 6;
constexpr int kStaleTemporarySeconds = 60;

// A temporary file in folder, for name: one without a name (O_TMPFILE)
// where the file system offers it, linked in under a ".name.XXXXXX" name
// only when complete; else one made under that name at once. Removed on
// every way out that did not rename it.
class TemporaryFile {
public:
    TemporaryFile(const QByteArray &folder, const QByteArray &name) : folder_(folder), name_(name)
    {
        fd_ = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            return;
        path_ = templatePath();
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        named_ = fd_ >= 0;
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (named_ && !renamed_)
            ::unlink(path_.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool created() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Gives the complete file its temporary name; 0 or an errno value.
    int name()
    {
        if (named_)
            return 0;
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = templatePath();
            fillRandom(path_);
            if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, path_.constData(), AT_SYMLINK_FOLLOW) == 0) {
                named_ = true;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }
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
    QByteArray templatePath() const { return folder_ + "/." + name_ + "." + QByteArray(kRandomChars, 'X'); }
    static void fillRandom(QByteArray &path)
    {
        static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (qsizetype i = path.size() - kRandomChars; i < path.size(); ++i)
            path[i] = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    }

    QByteArray folder_, name_, path_;
    int fd_ = -1;
    bool named_ = false;
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

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes, const AtomicWriteHooks &hooks)
{
    const QString target = resolvedTarget(path);
    const QFileInfo info(target);
    if (info.isDir())
        return systemError(EISDIR);
    const QByteArray targetName = QFile::encodeName(target);
    QByteArray folder = QFile::encodeName(info.absolutePath());

    // A file that exists is replaced only where a plain write would be
    // allowed: a read-only file stays as it is.
    struct stat old{};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists) {
        const int refused = hooks.mayWrite ? hooks.mayWrite(targetName)
                                           : (::access(targetName.constData(), W_OK) == 0 ? 0 : errno);
        if (refused)
            return systemError(refused);
    }

    TemporaryFile temp(folder, QFile::encodeName(info.fileName()));
    if (!temp.created())
        return systemError(errno);

    // The new file is the old one's in owner, group and mode (a file made
    // read-only for others stays so), or a newly created file's.
    if (exists) {
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            && ::fchown(temp.fd(), old.st_uid, old.st_gid) != 0)
            return systemError(errno);  // another's file would become ours
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
            return systemError(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(temp.fd(), 0666 & ~mask);
    }

    if (const int error = writeAll(temp.fd(), bytes.constData(), bytes.size()))
        return systemError(error);
    if (::fsync(temp.fd()) != 0)
        return systemError(errno);
    if (hooks.beforeCommit)
        hooks.beforeCommit();
    if (const int error = temp.name())
        return systemError(error);
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

bool isTemporaryFileName(const QString &fileName)
{
    // ".name.XXXXXX": a dot, a name, a dot, six letters or digits.
    if (fileName.size() < 3 + kRandomChars || !fileName.startsWith(u'.')
        || fileName[fileName.size() - kRandomChars - 1] != u'.')
        return false;
    for (qsizetype i = fileName.size() - kRandomChars; i < fileName.size(); ++i)
        if (fileName[i].unicode() > 127 || !fileName[i].isLetterOrNumber())
            return false;
    return true;
}

int removeStaleTemporaryFiles(const QString &path)
{
    const QFileInfo info(resolvedTarget(path));
    const QString prefix = u'.' + info.fileName() + u'.';
    QDir folder(info.absolutePath());
    // A younger one may be the write of another program saving this very
    // file right now; a write takes well under a minute.
    const QDateTime staleBefore = QDateTime::currentDateTime().addSecs(-kStaleTemporarySeconds);
    int removed = 0;
    const QStringList names =
        folder.entryList({prefix + QString(kRandomChars, u'?')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        if (isTemporaryFileName(name) && QFileInfo(folder.filePath(name)).lastModified() < staleBefore
            && folder.remove(name))
            ++removed;
    return removed;
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
