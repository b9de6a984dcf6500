#pragma once

#include <QList>
#include <QPair>
#include <QString>

class clsSett;
class modLocale;
class Dialogs;

// Choosing the file and display charsets, and the main window's captions,
// which are the same whatever charset is chosen.

// Asks for a charset index (which 0: file charset, 1: display charset) in an
// input box. True when the setting was changed.
bool askLocale(int which, clsSett &sett, const modLocale &locale, Dialogs &dialogs);

// The charsets as an input box lists them, one line each: "0 --> name".
QString numberedCharsets(const modLocale &locale);

// The search box's text while it has no focus.
QString searchHint();
