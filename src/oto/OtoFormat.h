#pragma once

#include "oto/clsOto.h"
#include "oto/modLocale.h"

#include <QList>
#include <QString>
#include <memory>

// The oto.ini format: lines (separated by CR LF, or by LF in a file without
// CR LF) of
//   file=alias,left,fixed,right,preutterance,overlap
// Blank lines (spaces only) and lines starting with "#" are skipped; every
// other line must hold exactly one "=" and, right of it, exactly five ",".

// Entries are shared so that the window, the views and scripts can hold the
// very object that the collection holds.
using OtoEntries = QList<std::shared_ptr<clsOto>>;

struct ParsedOto {
    OtoEntries entries;
    QList<int> lines;  // each entry's line in the text, from 1
    int badLines = 0;
};

ParsedOto parseOtoText(QStringView text, LineEnd lineEnd = LineEnd::CrLf);

// The message shown once for n > 0 bad lines.
QString badLinesMessage(int n);

// The whole file text: the entries' lines joined with the form's line end,
// none after the last unless an LF file ended with one; a file that had the
// "#CHARSET:UTF8" line gets it first again, so that it is read back as UTF-8.
QString otoFileText(const OtoEntries &entries, const TextForm &form);

inline const QString kUtf8Marker = QStringLiteral("#CHARSET:UTF8");
