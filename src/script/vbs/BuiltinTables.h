#pragma once

#include "script/vbs/Runtime.h"

#include <QHash>
#include <QList>

// The built-in functions and constants come in groups, each in its own
// file; the runtime's tables are put together from them once.
namespace script::vbs {

void addDateBuiltins(QList<Builtin> &list);
void addDateConstants(QHash<QString, Value> &table);
// Conversions (CByte, CCur), number formats, byte strings, Escape, RGB,
// Filter and the engine's version.
void addTextBuiltins(QList<Builtin> &list);
// Eval, Execute, ExecuteGlobal and GetRef.
void addCodeBuiltins(QList<Builtin> &list);

}  // namespace script::vbs
