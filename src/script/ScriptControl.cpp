#include "script/ScriptControl.h"

#include "script/ScriptBackend.h"
#include "script/js/SmBackend.h"
#include "script/js/Watchdog.h"

#include <new>

namespace script {

namespace {

bool isVbScript(const QString &name)
{
    return name.compare(u"VBScript", Qt::CaseInsensitive) == 0 || name.compare(u"VBS", Qt::CaseInsensitive) == 0;
}

bool isJavaScript(const QString &name)
{
    return name.compare(u"JScript", Qt::CaseInsensitive) == 0 || name.compare(u"javascript", Qt::CaseInsensitive) == 0;
}

}  // namespace

ScriptControl::ScriptControl(Dialogs *dialogs, QObject *parent) : QObject(parent), dialogs_(dialogs)
{
    makeBackend();
    // The watchdog is armed only while a call runs, and the backend is
    // replaced only while none does.
    watchdog_ = std::make_unique<Watchdog>(deadline_, [this](Watchdog::Stage stage) {
        backend_->interruptFromWatchdog(stage == Watchdog::Stage::Now);
    });
    watchdog_->setMemoryLimit(kDefaultMemoryLimit);
}

qint64 ScriptControl::memoryLimit() const
{
    return watchdog_->memoryLimit();
}

void ScriptControl::setMemoryLimit(qint64 bytes)
{
    watchdog_->setMemoryLimit(bytes);
}

ScriptControl::~ScriptControl() = default;

QString ScriptControl::language() const
{
    return javaScript_ ? QStringLiteral("JScript") : QStringLiteral("VBScript");
}

bool ScriptControl::setLanguage(const QString &name)
{
    if (isRunning() || (!isVbScript(name) && !isJavaScript(name)))
        return false;
    javaScript_ = isJavaScript(name);
    makeBackend();
    return true;
}

void ScriptControl::setTimeout(int milliseconds)
{
    timeout_ = std::max(0, milliseconds);
}

bool ScriptControl::setAnsiCodePage(int codePage)
{
    if (isRunning())
        return false;
    ansiCodePage_ = codePage;
    return reset();
}

bool ScriptControl::reset()
{
    if (isRunning())
        return false;
    makeBackend();
    error_ = ScriptError();
    return true;
}

void ScriptControl::makeBackend()
{
    backend_.reset();
    if (javaScript_)
        backend_ = makeJsBackend(deadline_);
    else
        backend_ = makeVbsBackend(dialogs_, deadline_, ansiCodePage_);
}

void ScriptControl::interrupt()
{
    if (isRunning())
        deadline_.cancel();
}

void ScriptControl::addObject(const QString &name, const ObjectRef &object, bool addMembers)
{
    backend_->addObject(name, object, addMembers);
}

template <class Fn>
bool ScriptControl::run(Fn fn)
{
    if (isRunning()) {
        // A call from an event handler while a script waits in a host
        // function: refused, so that the running script is not disturbed.
        error_ = ScriptError();
        error_.number = errorNumber(RuntimeError::InvalidProcedureCall);
        error_.source = javaScript_ ? kJsRuntimeSource : kVbsRuntimeSource;
        error_.description = QStringLiteral("The script engine is busy");
        return false;
    }
    error_ = ScriptError();
    ++running_;
    deadline_.start(timeout_);
    watchdog_->arm();
    std::optional<ScriptError> failure;
    try {
        failure = fn();
    } catch (const std::bad_alloc &) {
        failure = ScriptError{errorNumber(RuntimeError::OutOfMemory), javaScript_ ? kJsRuntimeSource : kVbsRuntimeSource,
                              errorText(RuntimeError::OutOfMemory), {}, 0, 0};
    }
    watchdog_->disarm();
    deadline_.stop();
    --running_;
    if (!failure)
        return true;
    error_ = *failure;
    emit errorOccurred(error_);
    return false;
}

bool ScriptControl::addCode(const QString &code)
{
    return run([&] { return backend_->addCode(code); });
}

std::optional<Value> ScriptControl::eval(const QString &expression)
{
    Value result;
    if (!run([&] { return backend_->evaluate(expression, result); }))
        return std::nullopt;
    return result;
}

bool ScriptControl::executeStatement(const QString &statement)
{
    return run([&] { return backend_->executeStatement(statement); });
}

}  // namespace script
