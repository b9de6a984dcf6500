#pragma once

#include "clsOto.h"

#include <QList>
#include <QString>
#include <memory>

// The oto.ini format: CR LF separated lines of
//   file=alias,left,fixed,right,preutterance,overlap
// Blank lines (spaces only) and lines starting with "#" are skipped; every
// other line must hold exactly one "=" and, right of it, exactly five ",".

// Entries are shared so that the window, the views and scripts can hold the
// very object that the collection holds.
using OtoEntries = QList<std::shared_ptr<clsOto>>;

struct ParsedOto {
    OtoEntries entries;
    int badLines = 0;
};

ParsedOto parseOtoText(QStringView text);

// The message shown once for n > 0 bad lines.
QString badLinesMessage(int n);

// The whole file text: the entries' lines joined with CR LF, none after the
// last; with utf8Marker the "#CHARSET:UTF8" line comes first, so that the
// file is read back as UTF-8.
QString otoFileText(const OtoEntries &entries, bool utf8Marker);

inline const QString kUtf8Marker = QStringLiteral("#CHARSET:UTF8");
