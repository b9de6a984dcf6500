#pragma once

#include "script/vbs/Runtime.h"

#include <QHash>
#include <QList>

// The built-in functions and constants come in groups, each in its own
// file; the runtime's tables are put together from them once.
namespace script::vbs {

[[noreturn]] inline void invalidCall()
{
    throw ScriptException(RuntimeError::InvalidProcedureCall);
}

// A count argument (Left's, String's ...): Invalid procedure call below 0.
inline qint32 nonNegative(const Value &v)
{
    const qint32 n = v.toLong();
    if (n < 0)
        invalidCall();
    return n;
}

// Mid's and MidB's start (from 1) and optional length as a position from
// 0 and a count, -1 for "to the end".
struct MidRange {
    qsizetype start = 0;
    qsizetype length = -1;
};
inline MidRange midRange(Args a)
{
    const qint32 start = a[1].toLong();
    if (start < 1)
        invalidCall();
    return {start - 1, a.size() > 2 && !a[2].isEmpty() ? nonNegative(a[2]) : -1};
}

void addDateBuiltins(QList<Builtin> &list);
void addDateConstants(QHash<QString, Value> &table);
// Conversions (CByte, CCur), number formats, byte strings, Escape, RGB,
// Filter and the engine's version.
void addTextBuiltins(QList<Builtin> &list);
// Eval, Execute, ExecuteGlobal and GetRef.
void addCodeBuiltins(QList<Builtin> &list);

}  // namespace script::vbs
