#pragma once

#include <QString>

#include <pthread.h>

class QJSEngine;

namespace script {

// The JScript call stack of an engine that is running on another thread,
// read while that thread waits: the one place that still knows which line a
// script was on when it must be stopped inside pure JScript (an interrupted
// engine unwinds without telling). Frames as "function@url:line" lines,
// innermost first, as an Error's stack; empty when the thread could not be
// stopped within a moment.
//
// The stack is read through the engine's exported helper for debuggers,
// with the engine's thread held in a signal handler, as a debugger would.
// Call it from any thread but the engine's, and only while the engine runs
// a script (the watchdog's case).
QString stackOfRunningEngine(QJSEngine &engine, pthread_t engineThread);

}  // namespace script
