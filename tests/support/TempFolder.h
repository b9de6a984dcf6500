#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

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
