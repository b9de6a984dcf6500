#pragma once

#include "script/Deadline.h"
#include "script/HostObject.h"
#include "script/ScriptError.h"

#include <QObject>
#include <memory>
#include <optional>

class Dialogs;

namespace script {

class ScriptBackend;
class Watchdog;

// The script engine of the console and of `lirra-oto run`: one object that
// runs VBScript (our own interpreter) or JScript (SpiderMonkey), chosen by
// Language, with the operations of a script control. Host objects are
// described once (HostObject) and reach both languages alike.
//
// A failing AddCode, Eval or ExecuteStatement raises errorOccurred before it
// returns, and leaves the failure in error(). A call that runs longer than
// the time-out is stopped with "Script timed out", inside a long built-in
// too (a watchdog thread); time spent in a message or input box (or any
// DeadlinePause on deadline()) does not count.
class ScriptControl : public QObject {
    Q_OBJECT
public:
    // dialogs serves VBScript's MsgBox and InputBox; without it they answer
    // OK and an empty text.
    explicit ScriptControl(Dialogs *dialogs = nullptr, QObject *parent = nullptr);
    ~ScriptControl() override;

    // "VBScript" or "JScript".
    QString language() const;
    // "VBScript" (or "VBS"), "JScript" or "javascript", in any case. A new
    // language starts from a reset engine. False for an unknown name or
    // while a script is running.
    bool setLanguage(const QString &name);

    // Milliseconds; 0 means no limit.
    int timeout() const { return timeout_; }
    void setTimeout(int milliseconds);

    // The memory a call may take, in bytes (what the process holds beyond
    // what it held when the call began); 0 means no limit. A call that
    // takes more ends with "Out of memory", inside a long built-in too.
    static constexpr qint64 kDefaultMemoryLimit = qint64(1) << 30;
    qint64 memoryLimit() const;
    void setMemoryLimit(qint64 bytes);

    // The code page VBScript's Asc and Chr use, as a Windows system's ANSI
    // code page: a host gives its file charset's. Any code page that is not
    // a single- or double-byte one of the charset table (UTF-8, the
    // system's) means Windows-1252, as does the default. Resets the engine;
    // false while a script is running.
    bool setAnsiCodePage(int codePage);

    // Discards all code, global state and added objects. False (and nothing
    // happens) while a script is running.
    bool reset();
    void addObject(const QString &name, const ObjectRef &object, bool addMembers = false);
    bool addCode(const QString &code);
    std::optional<Value> eval(const QString &expression);
    bool executeStatement(const QString &statement);

    // The last failure; number 0 after a successful call.
    const ScriptError &error() const { return error_; }

    // True while AddCode, Eval or ExecuteStatement runs (a host function
    // may let the event loop run meanwhile); the engine then refuses new
    // calls, a reset and a change of language.
    bool isRunning() const { return running_ > 0; }

    // Stops the running script as soon as it runs again (after the host
    // function it waits in returns): it ends with "Script stopped", which
    // On Error cannot catch. For a window that closes while its script
    // lets events run; it must then delete the control later, not at once.
    void interrupt();

    // Host members that wait for the user pause it (DeadlinePause).
    Deadline &deadline() { return deadline_; }

signals:
    void errorOccurred(const script::ScriptError &error);

private:
    template <class Fn>
    bool run(Fn fn);
    void makeBackend();

    Dialogs *dialogs_;
    bool javaScript_ = false;
    int timeout_ = 10000;  // as a script control starts
    int ansiCodePage_ = 0;
    int running_ = 0;
    Deadline deadline_;
    ScriptError error_;
    std::unique_ptr<ScriptBackend> backend_;
    // After the backend: it stops (and no longer calls into the backend)
    // before the backend goes.
    std::unique_ptr<Watchdog> watchdog_;
};

}  // namespace script
