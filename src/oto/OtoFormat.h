#pragma once

#include "oto/clsOto.h"
#include "oto/modLocale.h"
#include "oto/OtoFileLayout.h"

#include <QList>
#include <QString>
#include <memory>

// The oto.ini format: lines (each ending in CR LF, LF or a lone CR, the
// last one maybe in nothing) of
//   file=alias,left,fixed,right,preutterance,overlap
// Blank lines (spaces only) and lines starting with "#" hold no entry; every
// other line must hold exactly one "=" and, right of it, exactly five ",".
// Lines that are not entries are kept in the file's layout and written back.

// Entries are shared so that the window, the views and scripts can hold the
// very object that the collection holds.
using OtoEntries = QList<std::shared_ptr<clsOto>>;

// A line that is neither an entry, a comment nor blank: its number in the
// file (from 1) and its text.
struct BadLine {
    qsizetype number = 0;
    QString text;
};

struct ParsedOto {
    OtoEntries entries;
    QList<int> lines;  // each entry's line in the text, from 1
    int badLines = 0;
    QList<BadLine> firstBadLines;  // the first few, for the message
    OtoFileLayout layout;
};

ParsedOto parseOtoText(QStringView text);

// The message shown once for a file with bad lines: how many, the first
// few with their numbers, and that they are kept.
QString badLinesMessage(const ParsedOto &parsed);

// The text of a file written anew (convert, Save As): the entries' lines joined with the form's line end,
// none after the last unless an LF file ended with one; a file that had the
// "#CHARSET:UTF8" line gets it first again, so that it is read back as UTF-8.
QString otoFileText(const OtoEntries &entries, const TextForm &form);

inline const QString kUtf8Marker = QStringLiteral("#CHARSET:UTF8");
