#pragma once

#include <QString>

namespace script {

// Run-time errors as a VBScript user knows them. Host members raise them
// too, so that both languages report a failing host call in the same words.
// Each has one row in ScriptError.cpp's table: its number (Err.Number) and
// its standard words. ScriptStopped stays last (the table's check counts up
// to it).
enum class RuntimeError {
    InvalidProcedureCall,
    Overflow,
    OutOfMemory,
    SubscriptOutOfRange,
    ArrayLocked,
    DivisionByZero,
    TypeMismatch,
    OutOfStringSpace,
    OutOfStackSpace,
    SubOrFunctionNotDefined,
    ElementNotFound,
    ObjectVariableNotSet,
    InvalidUseOfNull,
    CannotCreateObject,
    ObjectRequired,
    NoSuchMember,
    ArgumentNotOptional,
    WrongArgumentCount,
    NotACollection,
    KeyAlreadyExists,
    VariableUndefined,
    IllegalAssignment,
    ClassNotDefined,
    RegExpSyntax,
    ScriptTimedOut,
    ScriptStopped,
};

// Compilation errors of VBScript, likewise one row each in the table;
// TooDeeplyNested stays last.
enum class CompileError {
    OutOfMemory,
    SyntaxError,
    ExpectedColon,
    ExpectedOpenParen,
    ExpectedCloseParen,
    ExpectedIdentifier,
    ExpectedEquals,
    ExpectedIf,
    ExpectedTo,
    ExpectedEnd,
    ExpectedFunction,
    ExpectedSub,
    ExpectedThen,
    ExpectedWend,
    ExpectedLoop,
    ExpectedNext,
    ExpectedCase,
    ExpectedSelect,
    ExpectedExpression,
    ExpectedStatement,
    ExpectedEndOfStatement,
    ExpectedInteger,
    ExpectedWhileOrUntil,
    ExpectedWith,
    InvalidNumber,
    InvalidCharacter,
    UnterminatedString,
    LoopWithoutDo,
    InvalidExit,
    InvalidForVariable,
    NameRedefined,
    MustBeFirstStatement,
    ParenthesesCallingSub,
    ExpectedLiteral,
    ExpectedIn,
    ExpectedClass,
    MustBeInsideClass,
    ExpectedPropertyKind,
    ExpectedProperty,
    MultipleDefaults,
    InitializeWithArguments,
    PropertyNeedsArgument,
    DefaultNotPublic,
    UnexpectedNext,
    TooDeeplyNested,
};

// The number a script sees for an error (Err.Number, Error.number).
int errorNumber(RuntimeError e);
int errorNumber(CompileError e);

// The standard wording of a run-time or compilation error number; empty for
// numbers VBScript has no text for.
QString errorText(int number);
QString errorText(RuntimeError e);
QString errorText(CompileError e);

// Err.Source and Error.Source of the two languages.
inline const QString kVbsRuntimeSource = QStringLiteral("VBScript runtime error");
inline const QString kVbsCompileSource = QStringLiteral("VBScript compilation error");
inline const QString kJsRuntimeSource = QStringLiteral("JScript runtime error");
inline const QString kJsCompileSource = QStringLiteral("JScript compilation error");

// A run-time error on its way out of an operator, a built-in or a host
// member. The engines turn it into the script's error (VBScript's Err, a
// thrown JScript Error) and, if nothing handles it, into ScriptError.
class ScriptException {
public:
    // The standard text, followed by ": 'detail'" when there is a detail,
    // as VBScript names the variable or member concerned.
    explicit ScriptException(RuntimeError error, const QString &detail = {});
    // Err.Raise: any number, the caller's own words and source.
    ScriptException(int number, const QString &description, const QString &source);

    int number = 0;
    QString description;
    QString source;  // empty: the language's run-time source
    // Not to be caught by On Error Resume Next (a time-out).
    bool fatal = false;
    // Where it happened, filled in by the engine on its way out; line 0
    // until then.
    int line = 0;
    int column = 0;
    QString lineText;
};

// What the engine's Error reports: the last failure of AddCode, Eval or
// ExecuteStatement.
struct ScriptError {
    int number = 0;        // 0: no error
    QString source;
    QString description;
    QString text;          // the failing source line
    int line = 0;          // from 1; 0 when unknown
    int column = 0;        // from 1; 0 when unknown

    bool isError() const { return number != 0 || !description.isEmpty(); }
};

}  // namespace script
