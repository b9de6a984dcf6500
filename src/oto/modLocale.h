#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>
#include <optional>

class clsSett;
class Dialogs;

enum class LineEnd { CrLf, Lf };

// How a text file was stored, so that saving writes it back the same way:
// a bank kept in git then shows only the lines that changed.
struct TextForm {
    bool utf8Marker = false;  // the first line is "#CHARSET:UTF8"
    bool bom = false;         // the file starts with the UTF-8 byte-order mark
    LineEnd lineEnd = LineEnd::CrLf;
    bool finalLineEnd = false;  // an LF file ended with a line end

    bool isUtf8() const { return utf8Marker || bom; }
    QString lineEndText() const { return lineEnd == LineEnd::Lf ? QStringLiteral("\n") : QStringLiteral("\r\n"); }
    bool operator==(const TextForm &) const = default;
};

// A whole text file decoded (without its byte-order mark), its form, and
// the stamp of the bytes read.
struct TextFile {
    QString text;
    TextForm form;
    FileStamp stamp;
    int codePage = 0;             // the code page it was decoded in
    bool decodedCleanly = true;   // its bytes come back exactly when encoded again
    QStringList cleanCharsets;    // when not: the charsets that read it cleanly
};

// Whole text files in the user's file charset, or in UTF-8 when their first
// line is "#CHARSET:UTF8"; the charset table; the rule that finds a wave
// file's name on disk. All text inside the program is UTF-16 (QString).
class modLocale {
public:
    static constexpr int kUtf8CodePage = 65001;

    modLocale(const clsSett &sett, Dialogs &dialogs);

    // One row of the charset table.
    struct Charset {
        QString name;      // locName
        int codePage = 0;  // locCodePage; 0 is the system's
        int charset = 0;   // locCharset, the font character set
        int lcid = 0;      // locLCID
        QString font;      // locFont
    };

    // Fills the charset table, indexed by charset index 0 to 3.
    void initLocale();
    void addLocale(const QString &name, int codePage, int charset, int lcid, const QString &font);
    const QList<Charset> &charsets() const { return charsets_; }

    // The whole file decoded; empty text (after a message) on failure.
    // A file is UTF-8 when its first line is "#CHARSET:UTF8" or when it
    // starts with a byte-order mark, else it is in the file charset. Lines
    // end with CR LF, or with LF in a file that holds no CR LF at all.
    QString readfile(const QString &path);
    // As readfile, but tells a failure apart from an empty text, and tells
    // how the file was stored.
    std::optional<TextFile> tryReadfile(const QString &path);
    // Writes the text encoded as form says (UTF-8 with its byte-order mark,
    // or the file charset), atomically. The text's line ends are the
    // caller's. Failures are shown; the result is the stamp of what was
    // written, nullopt when nothing was.
    std::optional<FileStamp> writefile(const QString &path, const QString &text, const TextForm &form = {});
    // The text in the bytes of codePage, as writefile would write it to path
    // (without a byte-order mark); nullopt, after a message, when it cannot
    // be encoded. A save checks these bytes and writes them: one encoding.
    std::optional<QByteArray> encodefile(const QString &path, const QString &text, int codePage);
    // Writes bytes from encodefile, with the byte-order mark form asks for,
    // atomically; as writefile otherwise.
    std::optional<FileStamp> writeEncoded(const QString &path, QByteArray bytes, const TextForm &form);

    // The code page writefile uses for a file of this form.
    int writeCodePage(const TextForm &form) const;

    // Whether bytes decode in codePage to a text that encodes back to the
    // very same bytes: no malformed sequence, nothing the code page cannot
    // map back.
    static bool decodesCleanly(const QByteArray &bytes, int codePage);
    // The names of the charsets of the table that read bytes cleanly.
    QStringList cleanCharsets(const QByteArray &bytes) const;
    // The numbers (from 1) of the lines of text that would not be written
    // as they read: characters codePage cannot hold (they would become
    // "?"), and, for a file that did not decode cleanly, the replacement
    // characters standing for bytes that could not be read. Line by line:
    // a caller holding the encoded text checks it whole first.
    static QList<qsizetype> changedLines(const QString &text, int codePage, bool decodedCleanly);

    // Conversions. Code page 0 is the system's character set (the locale's,
    // UTF-8 on a normal Linux system). Malformed bytes decode to U+FFFD;
    // characters a code page cannot hold are written as "?".
    static QString bytes2str(const QByteArray &bytes, int codePage);
    static QByteArray str2bytes(const QString &text, int codePage);

    // The on-disk name rule: with "Bad filenames?" on, the name encoded in the
    // file charset and decoded in the display charset, which reproduces the
    // garbled names some voicebanks carry on disk.
    QString onDiskName(const QString &name) const;

    // The path of an entry's wave file in folder. The name the rule gives
    // is tried first and the name as written second (the other way round
    // with the rule off): banks unpacked with garbled names need the rule,
    // banks unpacked or cloned on Linux carry the names as written. When
    // neither exists, the name in the other Unicode normalisation form (NFC
    // or NFD), and failing that the path tried first.
    QString wavePath(const QString &folder, const QString &name) const;

    // The code page that a locale id uses for its text (0 for the system's).
    static int ansiCodePage(int lcid);

private:
    int fileCodePage() const;
    // The name encoded in the file charset and decoded in the display charset.
    QString garbledName(const QString &name) const;
    void reportReadFailure(const QString &path, const QString &why, bool charsetHint = false);
    void reportWriteFailure(const QString &path, const QString &why);

    const clsSett &sett_;
    Dialogs &dialogs_;
    QList<Charset> charsets_;
};
