#pragma once

#include "script/ScriptError.h"

#include <QString>
#include <optional>

// What the script console decides, as plain text and numbers: the error
// report and the line it selects, the time-out box's answer, and the
// automatic indentation of the script box.

namespace script {

// The error event's report: "Error at line N" first when the failing call
// came from the script box (Run), then Source, Description and Text, each
// ended by CR LF.
QString errorReport(const ScriptError &error, bool fromScriptBox);

// The part of the script box text (its lines cut at "\n", as the box holds
// them) that an error at line (from 1; 0 or less means the first) selects:
// the whole text of that line. A line beyond the last selects nothing and
// leaves the caret at the end of the text.
struct TextSelection {
    qsizetype start = 0;
    qsizetype length = 0;
};
TextSelection errorLineSelection(const QString &text, int line);

// The time-out box's answer (seconds, read up to the first character that
// does not fit; Cancel and nonsense read 0) as milliseconds, or nothing
// when it lies outside 0 to 1 000 000 seconds once rounded half to even.
std::optional<int> timeoutFromAnswer(const QString &answer);
// The time-out button's caption for a time-out of ms milliseconds.
QString timeoutCaption(int ms);

// After Enter in the script box (its lines cut at "\n") with the caret at
// caret, just after the line break: the tabs that begin the line before, to
// be inserted at the caret; none after a line that starts with spaces or is
// longer than 157 characters.
QString autoIndent(const QString &text, qsizetype caret);

}  // namespace script
