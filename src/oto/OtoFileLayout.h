#pragma once

#include "core/AtomicFile.h"
#include "oto/modLocale.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class clsOto;
using OtoEntries = QList<std::shared_ptr<clsOto>>;

// One oto.ini as it was read: its form (code page, byte-order mark, UTF-8
// marker), every line with its own line end, the lines that are not entries
// (comments, blank lines, bad lines) and where they sit, which entry each
// entry line became, and whether the last line ended with a line end. Writing it back with the entries of this file
// changes the lines of edited, added and removed entries only, so a bank
// kept in git, or edited by another tool too, shows only real changes.
class OtoFileLayout {
public:
    enum class End : quint8 { None, CrLf, Lf, Cr };

    // Reading: the parser hands over the lines in file order.
    void addEntryLine(const std::shared_ptr<clsOto> &entry, End end);
    void addKeptLine(QStringView text, End end);

    // The whole text of the file holding entries, in their order: kept
    // lines stay after the entry line they followed (or at the start; after
    // the nearest earlier surviving entry when that one is gone), each line
    // keeps its line end, new entries get the file's most common one, and
    // the last line ends as the file's last line did.
    QString text(const OtoEntries &entries) const;
    // The line (from 1) each of entries stands on in the file a save
    // writes: text() for a layout read from a file, the plain form for an
    // empty one.
    QList<int> lineNumbers(const OtoEntries &entries) const;

    // Whether any line was read (a layout of nothing writes as a new file).
    bool isEmpty() const { return entryLines_.isEmpty() && kept_.isEmpty(); }
    qsizetype keptLineCount() const { return kept_.size(); }
    End mostCommonEnd() const;
    static QStringView endText(End end);

    // How the bytes were stored, and what they were.
    TextForm form;

private:
    struct EntryLine {
        std::shared_ptr<const clsOto> entry;
        End end;
    };
    struct KeptLine {
        QString text;
        End end;
        qsizetype after;  // the entry line it follows, -1 for the start
    };
    // One line of the file text() writes: a kept line or an entry's.
    struct Piece {
        const QString *kept;
        const clsOto *entry;
        End end;
    };
    QList<Piece> pieces(const OtoEntries &entries) const;

    QList<EntryLine> entryLines_;
    QList<KeptLine> kept_;
    End lastEnd_ = End::None;
    int endCounts_[4] = {};
};
