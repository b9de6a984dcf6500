#pragma once

class QWidget;
class modLocale;

// Gives a control the display charset's font: the charset table's face, 8
// points for "Auto" and 9 otherwise. The Windows faces the table names are
// rarely installed on Linux, so each charset also names a Noto CJK face for
// its language, which picks the right glyph forms for kana and hanzi. The
// charset number is kept in the property "fontCharset".
void applyFont(QWidget *control, int charsetIndex, const modLocale &locale);
