#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

#include <unistd.h>

// A temporary folder for a test, removed afterwards, with helpers to put
// files in it and read them back as bytes.
class TempFolder {
public:
    TempFolder()
    {
        if (!dir_.isValid())
            throw std::runtime_error("cannot create a temporary folder");
    }
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write test file " + name.toStdString());
        return f.fileName();
    }
    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read test file " + name.toStdString());
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
};

// While it lives, the folder cannot be written: its permissions are taken
// away and, since root writes anywhere, a root process acts as nobody.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path) : path_(path), root_(geteuid() == 0)
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        if (root_ && seteuid(65534) != 0)
            throw std::runtime_error("cannot drop root rights");
    }
    ~ReadOnlyFolder()
    {
        if (root_ && seteuid(0) != 0)
            std::abort();
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

private:
    QString path_;
    bool root_;
};

// The development voicebank beside the repository, or an empty text when
// this checkout has none.
inline QString realBankFolder()
{
    const QString path = QStringLiteral(LIRRA_SOURCE_DIR "/../shared/banks/dorodoro-ja-vcv");
    return QFile::exists(path + QStringLiteral("/oto.ini")) ? path : QString();
}
