#pragma once

#include "script/HostObject.h"
#include "script/ScriptError.h"

#include <memory>
#include <optional>

class Dialogs;

namespace script {

class Deadline;

// One language behind ScriptControl. Each call compiles and runs, and
// returns the error it ended with, if any; the control raises the event.
class ScriptBackend {
public:
    virtual ~ScriptBackend() = default;
    virtual void addObject(const QString &name, const ObjectRef &object, bool addMembers) = 0;
    virtual std::optional<ScriptError> addCode(const QString &code) = 0;
    virtual std::optional<ScriptError> evaluate(const QString &expression, Value &result) = 0;
    virtual std::optional<ScriptError> executeStatement(const QString &statement) = 0;
    // Called by the watchdog's thread while a call runs and its deadline has
    // run out or been aborted: an engine that cannot check the deadline
    // itself inside its operations stops at its next chance (soon), or at
    // once (now). The default does nothing (the interpreter of VBScript
    // checks the deadline as it goes).
    virtual void interruptFromWatchdog(bool now) { (void)now; }
};

// ansiCodePage: the code page of VBScript's Asc and Chr.
std::unique_ptr<ScriptBackend> makeVbsBackend(Dialogs *dialogs, Deadline &deadline, int ansiCodePage);

}  // namespace script
