#pragma once

#include "oto/modLocale.h"

#include <QList>
#include <QString>
#include <optional>

namespace singer {

// prefix.map of a singer's root: one line per note, TAB separated, note,
// prefix and suffix ("C5\t\tC5"), which tells a synthesizer which variant of
// an alias to sing at which pitch. Read and written in its own code page and
// line ends, lines it does not understand kept as they were.
class PrefixMap {
public:
    struct Line {
        QString note;  // "C1" .. "B7", as written
        QString prefix;
        QString suffix;
        QString raw;  // a line that is not note TAB prefix TAB suffix, kept as is
        bool entry = true;
        bool isEntry() const { return entry; }
    };

    static inline const QString kFileName = QStringLiteral("prefix.map");

    // The notes an editor offers, from C1 up to B7.
    static QStringList allNotes();
    // The note's number counting semitones from C0 ("C#4" and "Db4" alike);
    // nullopt for anything else.
    static std::optional<int> noteNumber(QStringView note);

    // Parses the decoded text (its line ends as form says).
    static PrefixMap fromText(QStringView text, const TextForm &form);
    // The whole text, in the order read, with the form's line ends.
    QString toText() const;

    // Reads root/prefix.map; nullopt (after the locale's message) when it
    // cannot be read.
    static std::optional<PrefixMap> read(const QString &root, modLocale &locale);
    // The affix pairs of root/prefix.map (see affixPairs); none when it has
    // none or it cannot be read.
    static QList<std::pair<QString, QString>> pairsIn(const QString &root, modLocale &locale);
    // Writes it back atomically in the form it was read in.
    bool write(const QString &root, modLocale &locale) const;

    const QList<Line> &lines() const { return lines_; }
    const TextForm &form() const { return form_; }
    // The entry for a note, or nullptr.
    const Line *find(QStringView note) const;
    // Sets the prefix and suffix of every note from first to last (by
    // number, either way round); notes not in the map yet are added in the
    // order the map runs (high to low when it runs so).
    void setRange(QStringView first, QStringView last, const QString &prefix, const QString &suffix);

    // The distinct (prefix, suffix) pairs that are not both empty, in order.
    QList<std::pair<QString, QString>> affixPairs() const;

private:
    QList<Line> lines_;
    TextForm form_;
    bool finalLineEnd_ = false;
};

}  // namespace singer
