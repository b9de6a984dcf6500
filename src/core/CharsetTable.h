#pragma once

#include <QString>
#include <QStringList>
#include <span>

// The file and display charsets the program knows, indexed by the charset
// index that the settings keep. Everything that lists, names or validates a
// charset reads this one table: the charset table of modLocale, the Settings
// dialogs, the font of each charset, and the names lirra-oto takes after
// --charset. A new code page is a new row at the end (earlier indexes are
// stored in users' sett.ini and must keep their meaning).
struct CharsetRow {
    const char16_t *name;        // as the Settings dialog lists it
    int codePage;                // Windows code page; 0 is the system's
    int fontCharset;             // Windows font character set
    int lcid;                    // a locale whose ANSI code page is codePage
    const char16_t *font;        // the Windows face
    const char16_t *fallbackFont;  // a face for the language found on Linux
    int fontPoints;
    const char *icuName;         // the ICU converter with Windows' mapping; nullptr: the system's
    const char16_t *cliNames;    // what --charset takes besides the index, comma separated
};

namespace charsetTable {

std::span<const CharsetRow> rows();
inline int count() { return int(rows().size()); }
inline bool isIndex(qint64 index) { return index >= 0 && index < count(); }
// The row of a code page, or nullptr.
const CharsetRow *rowOfCodePage(int codePage);
// The names --charset takes for row index: the index, the code page (when
// not 0) and the row's own names.
QStringList cliNames(int index);

}  // namespace charsetTable
