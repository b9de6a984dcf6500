#include "script/vbs/Lexer.h"

#include <QHash>
#include <cmath>

namespace script::vbs {

namespace {

// The operators and punctuation, a two-character one before the one it
// begins with.
struct Symbol {
    QStringView text;
    TokenKind kind;
};
constexpr Symbol kSymbols[] = {
    {u"<>", TokenKind::Ne},    {u"<=", TokenKind::Le},     {u">=", TokenKind::Ge},
    {u"<", TokenKind::Lt},     {u">", TokenKind::Gt},      {u"=", TokenKind::Eq},
    {u":", TokenKind::Colon},  {u",", TokenKind::Comma},   {u"(", TokenKind::LParen},
    {u")", TokenKind::RParen}, {u"+", TokenKind::Plus},    {u"-", TokenKind::Minus},
    {u"*", TokenKind::Star},   {u"/", TokenKind::Slash},   {u"\\", TokenKind::Backslash},
    {u"^", TokenKind::Caret},  {u"&", TokenKind::Amp},
};

const QHash<QString, Keyword> &keywords()
{
    static const QHash<QString, Keyword> table = {
        {"and", Keyword::And},       {"byref", Keyword::ByRef},   {"byval", Keyword::ByVal},
        {"call", Keyword::Call},     {"case", Keyword::Case},     {"class", Keyword::Class},
        {"const", Keyword::Const},   {"dim", Keyword::Dim},       {"do", Keyword::Do},
        {"each", Keyword::Each},     {"else", Keyword::Else},     {"elseif", Keyword::ElseIf},
        {"empty", Keyword::Empty},   {"end", Keyword::End},       {"eqv", Keyword::Eqv},
        {"erase", Keyword::Erase},   {"exit", Keyword::Exit},     {"false", Keyword::False},
        {"for", Keyword::For},       {"function", Keyword::Function}, {"goto", Keyword::GoTo},
        {"if", Keyword::If},         {"imp", Keyword::Imp},       {"in", Keyword::In},
        {"is", Keyword::Is},         {"loop", Keyword::Loop},     {"me", Keyword::Me},
        {"mod", Keyword::Mod},       {"new", Keyword::New},       {"next", Keyword::Next},
        {"not", Keyword::Not},       {"nothing", Keyword::Nothing}, {"null", Keyword::Null},
        {"on", Keyword::On},         {"option", Keyword::Option}, {"or", Keyword::Or},
        {"private", Keyword::Private}, {"public", Keyword::Public}, {"redim", Keyword::ReDim},
        {"select", Keyword::Select}, {"set", Keyword::Set},       {"sub", Keyword::Sub},
        {"then", Keyword::Then},     {"to", Keyword::To},         {"true", Keyword::True},
        {"until", Keyword::Until},   {"wend", Keyword::Wend},     {"while", Keyword::While},
        {"with", Keyword::With},     {"xor", Keyword::Xor},
    };
    return table;
}

bool isNameStart(QChar c) { return c.isLetter(); }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == QChar(0xA0) || c == QChar(0x3000); }

class Lexer {
public:
    Lexer(QStringView src, const std::function<void()> &poll) : src_(src), poll_(poll) {}

    QList<Token> run()
    {
        qsizetype lastPoll = 0;
        while (pos_ < src_.size()) {
            if (poll_ && pos_ - lastPoll > 65536) {
                poll_();
                lastPoll = pos_;
            }
            const QChar c = src_[pos_];
            if (isBlank(c)) {
                ++pos_;
                spaceBefore_ = true;
                continue;
            }
            if (c == u'\r' || c == u'\n') {
                newline();
                continue;
            }
            if (c == u'\'') {
                skipComment();
                continue;
            }
            if (c == u'_' && continuation())
                continue;
            token();
            spaceBefore_ = false;
        }
        // The end of the source stands just after its last character.
        tokenLine_ = line_;
        tokenColumn_ = column();
        push(TokenKind::Newline);
        push(TokenKind::End);
        return std::move(tokens_);
    }

private:
    // Errors point at the start of the token being read.
    [[noreturn]] void fail(CompileError error) const { throw CompileFailure{error, tokenLine_, tokenColumn_}; }
    int column() const { return int(pos_ - lineStart_) + 1; }

    Token &push(TokenKind kind)
    {
        Token t;
        t.kind = kind;
        t.line = tokenLine_;
        t.column = tokenColumn_;
        tokens_.append(std::move(t));
        return tokens_.last();
    }

    void newline()
    {
        tokenLine_ = line_;
        tokenColumn_ = column();
        push(TokenKind::Newline);
        if (src_[pos_] == u'\r' && pos_ + 1 < src_.size() && src_[pos_ + 1] == u'\n')
            ++pos_;
        ++pos_;
        ++line_;
        lineStart_ = pos_;
        spaceBefore_ = true;
    }

    void skipComment()
    {
        while (pos_ < src_.size() && src_[pos_] != u'\r' && src_[pos_] != u'\n')
            ++pos_;
    }

    // "_" followed by blanks and a line end joins the next line to this one.
    bool continuation()
    {
        qsizetype p = pos_ + 1;
        while (p < src_.size() && isBlank(src_[p]))
            ++p;
        if (p < src_.size() && src_[p] != u'\r' && src_[p] != u'\n')
            return false;
        if (p < src_.size() && src_[p] == u'\r' && p + 1 < src_.size() && src_[p + 1] == u'\n')
            ++p;
        pos_ = p + 1;
        ++line_;
        lineStart_ = pos_;
        spaceBefore_ = true;
        return true;
    }

    void token()
    {
        tokenLine_ = line_;
        tokenColumn_ = column();
        const QChar c = src_[pos_];
        if (isNameStart(c))
            return name();
        if (c == u'[')
            return bracketName();
        if (c.isDigit() || (c == u'.' && pos_ + 1 < src_.size() && src_[pos_ + 1].isDigit()))
            return number();
        if (c == u'&' && pos_ + 1 < src_.size() && (src_[pos_ + 1] == u'H' || src_[pos_ + 1] == u'h'
                                                     || src_[pos_ + 1] == u'O' || src_[pos_ + 1] == u'o'
                                                     || src_[pos_ + 1].isDigit()))
            return radixNumber();
        if (c == u'"')
            return string();
        punctuation(c);
    }

    void name()
    {
        const qsizetype start = pos_;
        while (pos_ < src_.size() && isNameChar(src_[pos_]))
            ++pos_;
        const QString text = src_.mid(start, pos_ - start).toString();
        const QString lower = text.toLower();
        if (lower == u"rem" && (tokens_.isEmpty() || tokens_.last().kind == TokenKind::Newline
                                || tokens_.last().kind == TokenKind::Colon)) {
            skipComment();
            return;
        }
        Token &t = push(TokenKind::Name);
        t.text = text;
        // After a member dot every word is a member name (obj.Type, d.Count).
        const TokenKind before = tokens_.size() > 1 ? tokens_[tokens_.size() - 2].kind : TokenKind::Newline;
        const bool afterDot = before == TokenKind::Dot || before == TokenKind::WithDot;
        if (!afterDot)
            t.keyword = keywords().value(lower, Keyword::None);
    }

    void bracketName()
    {
        const qsizetype start = ++pos_;
        while (pos_ < src_.size() && src_[pos_] != u']' && src_[pos_] != u'\r' && src_[pos_] != u'\n')
            ++pos_;
        if (pos_ >= src_.size() || src_[pos_] != u']')
            fail(CompileError::InvalidCharacter);
        Token &t = push(TokenKind::Name);
        t.text = src_.mid(start, pos_ - start).toString();
        ++pos_;
    }

    void number()
    {
        const qsizetype start = pos_;
        bool isReal = false;
        while (pos_ < src_.size() && src_[pos_].isDigit())
            ++pos_;
        if (pos_ < src_.size() && src_[pos_] == u'.') {
            isReal = true;
            ++pos_;
            while (pos_ < src_.size() && src_[pos_].isDigit())
                ++pos_;
        }
        if (pos_ < src_.size() && (src_[pos_] == u'e' || src_[pos_] == u'E')) {
            qsizetype p = pos_ + 1;
            if (p < src_.size() && (src_[p] == u'+' || src_[p] == u'-'))
                ++p;
            if (p < src_.size() && src_[p].isDigit()) {
                isReal = true;
                pos_ = p;
                while (pos_ < src_.size() && src_[pos_].isDigit())
                    ++pos_;
            }
        }
        const auto number = parseNumber(src_.mid(start, pos_ - start));
        if (!number)
            fail(CompileError::InvalidNumber);
        // Whole literals are Integer, Long or Double by size, as in VBScript.
        const double d = *number;
        Token &t = push(TokenKind::Number);
        if (!isReal && d <= 32767)
            t.value = qint16(d);
        else if (!isReal && d <= 2147483647.0)
            t.value = qint32(d);
        else if (std::isinf(d))
            fail(CompileError::InvalidNumber);
        else
            t.value = d;
    }

    void radixNumber()
    {
        ++pos_;  // '&'
        int radix = 8;
        if (src_[pos_] == u'H' || src_[pos_] == u'h')
            radix = 16, ++pos_;
        else if (src_[pos_] == u'O' || src_[pos_] == u'o')
            ++pos_;
        quint64 value = 0;
        int digits = 0;
        while (pos_ < src_.size()) {
            const QChar c = src_[pos_].toUpper();
            const int d = c.isDigit() ? c.unicode() - '0' : (c >= u'A' && c <= u'F') ? c.unicode() - 'A' + 10 : 99;
            if (d >= radix)
                break;
            value = value * radix + d;
            if (value > 0xFFFFFFFFull)
                fail(CompileError::InvalidNumber);
            ++digits;
            ++pos_;
        }
        if (digits == 0)
            fail(CompileError::InvalidNumber);
        bool forceLong = false;
        if (pos_ < src_.size() && src_[pos_] == u'&')
            forceLong = true, ++pos_;
        Token &t = push(TokenKind::Number);
        if (!forceLong && value <= 0xFFFF)
            t.value = qint16(quint16(value));
        else
            t.value = qint32(quint32(value));
    }

    void string()
    {
        QString text;
        ++pos_;
        for (;;) {
            if (pos_ >= src_.size() || src_[pos_] == u'\r' || src_[pos_] == u'\n')
                fail(CompileError::UnterminatedString);
            if (src_[pos_] == u'"') {
                if (pos_ + 1 < src_.size() && src_[pos_ + 1] == u'"') {
                    text += u'"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            text += src_[pos_++];
        }
        push(TokenKind::String).text = std::move(text);
    }

    void punctuation(QChar c)
    {
        if (c == u'.') {
            const TokenKind kind = memberDot() ? TokenKind::Dot : TokenKind::WithDot;
            ++pos_;
            push(kind);
            return;
        }
        const QStringView rest = src_.mid(pos_);
        for (const Symbol &s : kSymbols) {
            if (rest.startsWith(s.text)) {
                pos_ += s.text.size();
                push(s.kind);
                return;
            }
        }
        fail(CompileError::InvalidCharacter);
    }

    // A dot right after a name or a closing parenthesis reaches into what
    // stands before it; any other dot starts a With member.
    bool memberDot() const
    {
        if (spaceBefore_ || tokens_.isEmpty())
            return false;
        const TokenKind last = tokens_.last().kind;
        return last == TokenKind::Name || last == TokenKind::RParen;
    }

    QStringView src_;
    const std::function<void()> &poll_;
    qsizetype pos_ = 0;
    qsizetype lineStart_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    int tokenColumn_ = 1;
    bool spaceBefore_ = true;
    QList<Token> tokens_;
};

}  // namespace

QList<Token> tokenize(QStringView source, const std::function<void()> &poll)
{
    return Lexer(source, poll).run();
}

QStringList sourceLines(QStringView source)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source[i] != u'\r' && source[i] != u'\n')
            continue;
        lines << source.mid(start, i - start).toString();
        if (source[i] == u'\r' && i + 1 < source.size() && source[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines << source.mid(start).toString();
    return lines;
}

}  // namespace script::vbs
