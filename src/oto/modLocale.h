#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class clsSett;
class Dialogs;

// Whole text files in the user's file charset, or in UTF-8 when their first
// line is "#CHARSET:UTF8"; the charset table; the rule that finds a wave
// file's name on disk. All text inside the program is UTF-16 (QString).
class modLocale {
public:
    static constexpr int kUtf8CodePage = 65001;

    modLocale(const clsSett &sett, Dialogs &dialogs);

    // The charset table, indexed by charset index 0 to 3, as parallel arrays.
    QList<QString> locName;
    QList<qint16> locCodePage;
    QList<qint16> locCharset;
    QList<qint16> locLCID;
    QList<QString> locFont;

    void initLocale();
    void addLocale(const QString &name, qint16 codePage, qint16 charset, qint16 lcid, const QString &font);

    // True when the most recently read file was UTF-8; writefile follows it.
    bool fileUTF8 = false;

    // The whole file decoded; empty text (after a message) on failure.
    QString readfile(const QString &path);
    // As readfile, but tells a failure apart from an empty text.
    std::optional<QString> tryReadfile(const QString &path);
    // Writes the text encoded, atomically. Failures are shown; the return
    // value is only for callers outside the editor that need an exit status.
    bool writefile(const QString &path, const QString &text);

    // The code page writefile would use now.
    int writeCodePage() const;

    // Conversions. Code page 0 is the system's character set (the locale's,
    // UTF-8 on a normal Linux system). Malformed bytes decode to U+FFFD;
    // characters a code page cannot hold are written as "?".
    static QString bytes2str(const QByteArray &bytes, int codePage);
    static QByteArray str2bytes(const QString &text, int codePage);

    // The on-disk name rule: with "Bad filenames?" on, the name encoded in the
    // file charset and decoded in the display charset, which reproduces the
    // garbled names some voicebanks carry on disk.
    QString onDiskName(const QString &name) const;

    // The code page that a locale id uses for its text (0 for the system's).
    static int ansiCodePage(int lcid);

private:
    int fileCodePage() const;
    void reportReadFailure(const QString &path, const QString &why);

    const clsSett &sett_;
    Dialogs &dialogs_;
};
