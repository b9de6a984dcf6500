#pragma once

#include <QString>

// The texts of the script console that scripts and tests share: the script
// box's first text, the sample scripts of the "!" button and the help text
// of the "?" button.

namespace script {

// The script box's text when the console opens: valid in both languages.
QString defaultScript();

// The sample that lists every entry, one line each: the alias, a tab, the
// file name, a tab, and LF RT PR FX OV joined by single spaces.
QString sampleScript(bool javaScript);

// What "?" appends to the script box: every help line as a comment of both
// languages ("'';//"), the last line "'';//" alone.
QString helpText();

}  // namespace script
