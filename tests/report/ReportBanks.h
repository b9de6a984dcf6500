#pragma once

#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <QString>

// Generated banks for the report's tests: UTF-8 oto.ini files and short
// noise recordings of 44100 samples (1000 ms).
namespace reportbank {

inline QByteArray second() { return wavimg::wav(wavimg::noise(44100, 3000)); }

inline void writeOto(const TempFolder &bank, const QString &name, const QStringList &lines)
{
    QDir(bank.path()).mkpath(QFileInfo(bank.file(name)).path());
    bank.write(name, ("#CHARSET:UTF8\r\n" + lines.join("\r\n") + "\r\n").toUtf8());
}

inline void writeWaves(const TempFolder &bank, const QStringList &names)
{
    for (const QString &name : names) {
        QDir(bank.path()).mkpath(QFileInfo(bank.file(name)).path());
        bank.write(name, second());
    }
}

}  // namespace reportbank
