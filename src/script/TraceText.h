#pragma once

#include "script/HostObject.h"

#include <QString>

namespace script {

// The text of one value as trace writes it: strings as they are, numbers and
// Booleans in VBScript's form, Empty as nothing, an object as the text of its
// default value. Throws ScriptException for what has no text (Null, an
// object without a default member, an array).
QString traceText(const Value &v);

// What trace (newline true) or tracenl writes for its arguments: their texts
// joined by single spaces, then CR LF for trace. When an argument has no
// text, the call writes instead "Invalid argument for trace", CR LF, the
// conversion error's description and CR LF, and the script goes on.
QString traceOutput(Args args, bool newline);

// Sample(arr, n): element n of a Variant array or of a host Integer array as
// a 16-bit integer, fractions rounded half to even. Subscript out of range
// for an index outside the array, Overflow for a value outside 16 bits, Type
// mismatch for anything that is not such an array.
qint16 sampleOf(const Value &array, const Value &index);

}  // namespace script
