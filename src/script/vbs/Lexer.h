#pragma once

#include "script/ScriptError.h"
#include "script/Value.h"

#include <QList>
#include <QString>
#include <functional>

namespace script::vbs {

// Words the parser treats as keywords. Words such as Step, Error, Explicit
// or Preserve only mean something in one place and stay identifiers.
enum class Keyword : quint8 {
    None, And, ByRef, ByVal, Call, Case, Class, Const, Dim, Do, Each, Else, ElseIf, Empty, End, Eqv, Erase,
    Exit, False, For, Function, GoTo, If, Imp, In, Is, Loop, Me, Mod, New, Next, Not, Nothing, Null, On,
    Option, Or, Private, Public, ReDim, Select, Set, Sub, Then, To, True, Until, Wend, While, With, Xor,
};

enum class TokenKind : quint8 {
    End,        // end of the source
    Newline,
    Colon,
    Name,       // identifier or keyword (see keyword)
    Number,
    String,
    Dot,        // '.' right after a name or ')': a member access
    WithDot,    // '.' after a blank or at a statement's start: a With member
    Comma,
    LParen,
    RParen,
    Plus, Minus, Star, Slash, Backslash, Caret, Amp,
    Eq, Ne, Lt, Gt, Le, Ge,
};

struct Token {
    TokenKind kind = TokenKind::End;
    Keyword keyword = Keyword::None;
    int line = 1;
    int column = 1;
    QString text;  // a name as written, a string's contents
    Value value;   // a number literal
};

// A compilation error with its place in the source.
struct CompileFailure {
    CompileError error;
    int line = 0;
    int column = 0;
};

// Splits VBScript source into tokens: comments (' and Rem) and line
// continuations (_ at a line's end) are dropped, CR LF, CR and LF end lines.
// Throws CompileFailure for a bad character, number or string.
// poll, when given, is called now and then on long sources (it may throw
// to stop, as the time limit does).
QList<Token> tokenize(QStringView source, const std::function<void()> &poll = {});

// The physical lines of a source as the lexer counts them, for error texts.
QStringList sourceLines(QStringView source);

}  // namespace script::vbs
