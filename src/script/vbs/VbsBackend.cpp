#include "script/ScriptBackend.h"
#include "script/vbs/Lexer.h"
#include "script/vbs/Runtime.h"

#include <new>

namespace script {

namespace {

class VbsBackend : public ScriptBackend {
public:
    VbsBackend(Dialogs *dialogs, Deadline &deadline, int ansiCodePage) : runtime_(dialogs, deadline)
    {
        runtime_.setAnsiCodePage(ansiCodePage);
    }

    void addObject(const QString &name, const ObjectRef &object, bool addMembers) override
    {
        runtime_.addObject(name, object, addMembers);
    }

    std::optional<ScriptError> addCode(const QString &code) override
    {
        return guarded(code, [&] { runtime_.runCode(code); });
    }

    std::optional<ScriptError> evaluate(const QString &expression, Value &result) override
    {
        return guarded(expression, [&] { result = runtime_.evaluate(expression); });
    }

    std::optional<ScriptError> executeStatement(const QString &statement) override
    {
        return guarded(statement, [&] { runtime_.runCode(statement); });
    }

private:
    template <class Fn>
    std::optional<ScriptError> guarded(const QString &code, Fn fn)
    {
        try {
            fn();
            return std::nullopt;
        } catch (const vbs::CompileFailure &c) {
            ScriptError e;
            e.number = errorNumber(c.error);
            e.source = kVbsCompileSource;
            e.description = errorText(c.error);
            e.line = c.line;
            e.column = c.column;
            e.text = vbs::sourceLines(code).value(c.line - 1);
            return e;
        } catch (const ScriptException &x) {
            ScriptError e;
            e.number = x.number;
            e.source = x.source.isEmpty() ? kVbsRuntimeSource : x.source;
            e.description = x.description;
            e.line = x.line;
            e.column = x.column;
            e.text = x.lineText;
            return e;
        } catch (const std::bad_alloc &) {
            ScriptError e;
            e.number = errorNumber(RuntimeError::OutOfMemory);
            e.source = kVbsRuntimeSource;
            e.description = errorText(RuntimeError::OutOfMemory);
            return e;
        }
    }

    vbs::Runtime runtime_;
};

}  // namespace

std::unique_ptr<ScriptBackend> makeVbsBackend(Dialogs *dialogs, Deadline &deadline, int ansiCodePage)
{
    return std::make_unique<VbsBackend>(dialogs, deadline, ansiCodePage);
}

}  // namespace script
