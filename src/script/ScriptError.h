#pragma once

#include <QString>

namespace script {

// Run-time error numbers as a VBScript user knows them (Err.Number). Host
// members raise them too, so that both languages report a failing host call
// in the same words.
enum class RuntimeError {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    ArrayLocked = 10,
    DivisionByZero = 11,
    TypeMismatch = 13,
    OutOfStringSpace = 14,
    OutOfStackSpace = 28,
    SubOrFunctionNotDefined = 35,
    ElementNotFound = 32811,
    ObjectVariableNotSet = 91,
    InvalidUseOfNull = 94,
    CannotCreateObject = 429,
    ObjectRequired = 424,
    NoSuchMember = 438,
    ArgumentNotOptional = 449,
    WrongArgumentCount = 450,
    NotACollection = 451,
    KeyAlreadyExists = 457,
    VariableUndefined = 500,
    IllegalAssignment = 501,
    ClassNotDefined = 506,
    RegExpSyntax = 5017,
    // What a script that ran past its time limit reports (E_ABORT), and
    // one its host stopped (E_FAIL).
    ScriptTimedOut = -2147467260,
    ScriptStopped = -2147467259,
};

// Compilation error numbers of VBScript.
enum class CompileError {
    OutOfMemory = 1001,
    SyntaxError = 1002,
    ExpectedColon = 1003,
    ExpectedOpenParen = 1005,
    ExpectedCloseParen = 1006,
    ExpectedIdentifier = 1010,
    ExpectedEquals = 1011,
    ExpectedIf = 1012,
    ExpectedTo = 1013,
    ExpectedEnd = 1014,
    ExpectedFunction = 1015,
    ExpectedSub = 1016,
    ExpectedThen = 1017,
    ExpectedWend = 1018,
    ExpectedLoop = 1019,
    ExpectedNext = 1020,
    ExpectedCase = 1021,
    ExpectedSelect = 1022,
    ExpectedExpression = 1023,
    ExpectedStatement = 1024,
    ExpectedEndOfStatement = 1025,
    ExpectedInteger = 1026,
    ExpectedWhileOrUntil = 1027,
    ExpectedWith = 1029,
    InvalidNumber = 1031,
    InvalidCharacter = 1032,
    UnterminatedString = 1033,
    LoopWithoutDo = 1038,
    InvalidExit = 1039,
    InvalidForVariable = 1040,
    NameRedefined = 1041,
    MustBeFirstStatement = 1042,
    ParenthesesCallingSub = 1044,
    ExpectedLiteral = 1045,
    ExpectedIn = 1046,
    ExpectedClass = 1047,
    MustBeInsideClass = 1048,
    ExpectedPropertyKind = 1049,
    ExpectedProperty = 1050,
    MultipleDefaults = 1052,
    InitializeWithArguments = 1053,
    PropertyNeedsArgument = 1054,
    DefaultNotPublic = 1057,
    UnexpectedNext = 1055,
    // Our own: nesting deeper than the parser's stack allows.
    TooDeeplyNested = 1099,
};

// The standard wording of a run-time or compilation error number; empty for
// numbers VBScript has no text for.
QString errorText(int number);
inline QString errorText(RuntimeError e) { return errorText(int(e)); }
inline QString errorText(CompileError e) { return errorText(int(e)); }

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
