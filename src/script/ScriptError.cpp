#include "script/ScriptError.h"

#include <QHash>

#include <algorithm>
#include <iterator>
#include <variant>

namespace script {

namespace {

using ErrorCode = std::variant<RuntimeError, CompileError>;

// An error, its number and its standard words.
struct ErrorRow {
    ErrorCode code;
    int number;
    const char *text;
};

constexpr ErrorRow kErrors[] = {
    {RuntimeError::InvalidProcedureCall, 5, "Invalid procedure call or argument"},
    {RuntimeError::Overflow, 6, "Overflow"},
    {RuntimeError::OutOfMemory, 7, "Out of memory"},
    {RuntimeError::SubscriptOutOfRange, 9, "Subscript out of range"},
    {RuntimeError::ArrayLocked, 10, "This array is fixed or temporarily locked"},
    {RuntimeError::DivisionByZero, 11, "Division by zero"},
    {RuntimeError::TypeMismatch, 13, "Type mismatch"},
    {RuntimeError::OutOfStringSpace, 14, "Out of string space"},
    {RuntimeError::OutOfStackSpace, 28, "Out of stack space"},
    {RuntimeError::SubOrFunctionNotDefined, 35, "Sub or Function not defined"},
    {RuntimeError::ElementNotFound, 32811, "Element not found"},
    {RuntimeError::ObjectVariableNotSet, 91, "Object variable not set"},
    {RuntimeError::InvalidUseOfNull, 94, "Invalid use of Null"},
    {RuntimeError::CannotCreateObject, 429, "ActiveX component can't create object"},
    {RuntimeError::ObjectRequired, 424, "Object required"},
    {RuntimeError::NoSuchMember, 438, "Object doesn't support this property or method"},
    {RuntimeError::ArgumentNotOptional, 449, "Argument not optional"},
    {RuntimeError::WrongArgumentCount, 450, "Wrong number of arguments or invalid property assignment"},
    {RuntimeError::NotACollection, 451, "Object not a collection"},
    {RuntimeError::KeyAlreadyExists, 457, "This key is already associated with an element of this collection"},
    {RuntimeError::VariableUndefined, 500, "Variable is undefined"},
    {RuntimeError::IllegalAssignment, 501, "Illegal assignment"},
    {RuntimeError::ClassNotDefined, 506, "Class not defined"},
    {RuntimeError::RegExpSyntax, 5017, "Syntax error in regular expression"},
    // What a script that ran past its time limit reports (E_ABORT), and
    // one its host stopped (E_FAIL).
    {RuntimeError::ScriptTimedOut, -2147467260, "Script timed out"},
    {RuntimeError::ScriptStopped, -2147467259, "Script stopped"},
    {CompileError::OutOfMemory, 1001, "Out of memory"},
    {CompileError::SyntaxError, 1002, "Syntax error"},
    {CompileError::ExpectedColon, 1003, "Expected ':'"},
    {CompileError::ExpectedOpenParen, 1005, "Expected '('"},
    {CompileError::ExpectedCloseParen, 1006, "Expected ')'"},
    {CompileError::ExpectedIdentifier, 1010, "Expected identifier"},
    {CompileError::ExpectedEquals, 1011, "Expected '='"},
    {CompileError::ExpectedIf, 1012, "Expected 'If'"},
    {CompileError::ExpectedTo, 1013, "Expected 'To'"},
    {CompileError::ExpectedEnd, 1014, "Expected 'End'"},
    {CompileError::ExpectedFunction, 1015, "Expected 'Function'"},
    {CompileError::ExpectedSub, 1016, "Expected 'Sub'"},
    {CompileError::ExpectedThen, 1017, "Expected 'Then'"},
    {CompileError::ExpectedWend, 1018, "Expected 'Wend'"},
    {CompileError::ExpectedLoop, 1019, "Expected 'Loop'"},
    {CompileError::ExpectedNext, 1020, "Expected 'Next'"},
    {CompileError::ExpectedCase, 1021, "Expected 'Case'"},
    {CompileError::ExpectedSelect, 1022, "Expected 'Select'"},
    {CompileError::ExpectedExpression, 1023, "Expected expression"},
    {CompileError::ExpectedStatement, 1024, "Expected statement"},
    {CompileError::ExpectedEndOfStatement, 1025, "Expected end of statement"},
    {CompileError::ExpectedInteger, 1026, "Expected integer constant"},
    {CompileError::ExpectedWhileOrUntil, 1027, "Expected 'While' or 'Until'"},
    {CompileError::ExpectedWith, 1029, "Expected 'With'"},
    {CompileError::InvalidNumber, 1031, "Invalid number"},
    {CompileError::InvalidCharacter, 1032, "Invalid character"},
    {CompileError::UnterminatedString, 1033, "Unterminated string constant"},
    {CompileError::LoopWithoutDo, 1038, "'loop' without 'do'"},
    {CompileError::InvalidExit, 1039, "Invalid 'exit' statement"},
    {CompileError::InvalidForVariable, 1040, "Invalid 'for' loop control variable"},
    {CompileError::NameRedefined, 1041, "Name redefined"},
    {CompileError::MustBeFirstStatement, 1042, "Must be first statement on the line"},
    {CompileError::ParenthesesCallingSub, 1044, "Cannot use parentheses when calling a Sub"},
    {CompileError::ExpectedLiteral, 1045, "Expected literal constant"},
    {CompileError::ExpectedIn, 1046, "Expected 'In'"},
    {CompileError::ExpectedClass, 1047, "Expected 'Class'"},
    {CompileError::MustBeInsideClass, 1048, "Must be defined inside a Class"},
    {CompileError::ExpectedPropertyKind, 1049, "Expected Let or Set or Get in property declaration"},
    {CompileError::ExpectedProperty, 1050, "Expected 'Property'"},
    {CompileError::MultipleDefaults, 1052, "Cannot have multiple default property/method in a Class"},
    {CompileError::InitializeWithArguments, 1053, "Class initialize or terminate do not have arguments"},
    {CompileError::PropertyNeedsArgument, 1054, "Property set or let must have at least one argument"},
    {CompileError::DefaultNotPublic, 1057, "'Default' specification must also specify 'Public'"},
    {CompileError::UnexpectedNext, 1055, "Unexpected 'Next'"},
    // Our own: nesting deeper than the parser's stack allows.
    {CompileError::TooDeeplyNested, 1099, "Code nested too deeply"},
};

// Every code of Code, up to the last one, has exactly one row.
template <class Code>
constexpr bool oneRowEach(Code last)
{
    for (int i = 0; i <= int(last); ++i) {
        int rows = 0;
        for (const ErrorRow &row : kErrors)
            rows += row.code == ErrorCode(Code(i));
        if (rows != 1)
            return false;
    }
    return true;
}
static_assert(oneRowEach(RuntimeError::ScriptStopped));
static_assert(oneRowEach(CompileError::TooDeeplyNested));

template <class Code>
const ErrorRow &rowOf(Code code)
{
    return *std::find_if(std::begin(kErrors), std::end(kErrors),
                         [&](const ErrorRow &row) { return row.code == ErrorCode(code); });
}

}  // namespace

int errorNumber(RuntimeError e)
{
    return rowOf(e).number;
}

int errorNumber(CompileError e)
{
    return rowOf(e).number;
}

QString errorText(RuntimeError e)
{
    return QString::fromLatin1(rowOf(e).text);
}

QString errorText(CompileError e)
{
    return QString::fromLatin1(rowOf(e).text);
}

QString errorText(int number)
{
    static const QHash<int, QString> texts = [] {
        QHash<int, QString> t;
        for (const ErrorRow &row : kErrors)
            t.insert(row.number, QString::fromLatin1(row.text));
        return t;
    }();
    return texts.value(number);
}

ScriptException::ScriptException(RuntimeError error, const QString &detail)
    : number(errorNumber(error)), description(errorText(error))
{
    if (!detail.isEmpty())
        description += QStringLiteral(": '") + detail + u'\'';
    fatal = error == RuntimeError::ScriptTimedOut || error == RuntimeError::ScriptStopped;
}

ScriptException::ScriptException(int number, const QString &description, const QString &source)
    : number(number), description(description), source(source)
{
}

}  // namespace script
