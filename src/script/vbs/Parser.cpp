#include "script/vbs/Parser.h"

#include <QHash>

namespace script::vbs {

namespace {

// Deeper nesting of blocks, parentheses or unary operators than this is
// refused: parsing, running and freeing the tree all recurse.
constexpr int kMaxNesting = 100;
// The longest chain of operators in one expression (a & b & c ...).
constexpr int kMaxTreeDepth = 1000;

class NestingGuard {
public:
    NestingGuard(int &nesting, const Token &at) : nesting_(nesting)
    {
        if (++nesting_ > kMaxNesting)
            throw CompileFailure{CompileError::TooDeeplyNested, at.line, at.column};
    }
    ~NestingGuard() { --nesting_; }

private:
    int &nesting_;
};

bool isCallable(const Expr *e)
{
    return dynamic_cast<const NameExpr *>(e) || dynamic_cast<const MemberExpr *>(e)
           || dynamic_cast<const IndexExpr *>(e);
}

// The argument list of a name or member expression, if it is one.
ExprList *argumentsOf(Expr *e, bool **hasParens)
{
    if (auto *n = dynamic_cast<NameExpr *>(e)) {
        *hasParens = &n->hasParens;
        return &n->args;
    }
    if (auto *m = dynamic_cast<MemberExpr *>(e)) {
        *hasParens = &m->hasParens;
        return &m->args;
    }
    return nullptr;
}

}  // namespace

QString withHolderName(int n)
{
    return QStringLiteral("<with%1>").arg(n);
}

Parser::Parser(QList<Token> tokens, Chunk &chunk, int withSerialBase)
    : tokens_(std::move(tokens)), chunk_(chunk), withSerialBase_(withSerialBase)
{
}

// ----- tokens -----

const Token &Parser::peek(int ahead) const
{
    const qsizetype i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
}

const Token &Parser::next()
{
    const Token &t = tokens_[pos_];
    if (pos_ < tokens_.size() - 1)
        ++pos_;
    return t;
}

bool Parser::atWord(const char *lowerWord) const
{
    return peek().kind == TokenKind::Name && peek().keyword == Keyword::None
           && peek().text.compare(QLatin1String(lowerWord), Qt::CaseInsensitive) == 0;
}

bool Parser::accept(TokenKind kind)
{
    if (!at(kind))
        return false;
    next();
    return true;
}

bool Parser::acceptKeyword(Keyword k)
{
    if (!atKeyword(k))
        return false;
    next();
    return true;
}

void Parser::expect(TokenKind kind, CompileError error)
{
    if (!accept(kind))
        fail(error);
}

void Parser::expectKeyword(Keyword k, CompileError error)
{
    if (!acceptKeyword(k))
        fail(error);
}

QString Parser::expectName()
{
    if (!at(TokenKind::Name) || peek().keyword != Keyword::None)
        fail(CompileError::ExpectedIdentifier);
    return next().text;
}

void Parser::fail(CompileError error) const
{
    failAt(error, peek());
}

void Parser::failAt(CompileError error, const Token &t) const
{
    throw CompileFailure{error, t.line, t.column};
}

// ----- programs -----

void Parser::parseProgram()
{
    for (;;) {
        skipSeparators();
        if (at(TokenKind::End))
            return;
        const bool scoped = atKeyword(Keyword::Public) || atKeyword(Keyword::Private);
        const Token &word = peek(scoped ? 1 : 0);
        if (word.kind == TokenKind::Name && (word.keyword == Keyword::Sub || word.keyword == Keyword::Function)) {
            parseProcedure();
        } else if (atKeyword(Keyword::Class)) {
            parseClass();
        } else if (atBlockEnd()) {
            if (atKeyword(Keyword::Next))
                fail(CompileError::UnexpectedNext);
            if (atKeyword(Keyword::Loop))
                fail(CompileError::LoopWithoutDo);
            fail(CompileError::ExpectedStatement);
        } else {
            parseStatement(chunk_.body);
        }
        expectStatementEnd();
    }
}

void Parser::parseExpressionOnly()
{
    skipSeparators();
    chunk_.expression = parseExpression();
    skipSeparators();
    if (!at(TokenKind::End))
        fail(CompileError::ExpectedEndOfStatement);
}

// ----- statements -----

void Parser::skipSeparators()
{
    while (at(TokenKind::Newline) || at(TokenKind::Colon))
        next();
}

bool Parser::atStatementEnd() const
{
    return at(TokenKind::Newline) || at(TokenKind::Colon) || at(TokenKind::End)
           || (singleLineIf_ && atKeyword(Keyword::Else));
}

void Parser::expectStatementEnd()
{
    if (!atStatementEnd())
        fail(CompileError::ExpectedEndOfStatement);
}

bool Parser::atBlockEnd() const
{
    if (at(TokenKind::End))
        return true;
    if (!at(TokenKind::Name))
        return false;
    switch (peek().keyword) {
    case Keyword::End:
    case Keyword::Else:
    case Keyword::ElseIf:
    case Keyword::Case:
    case Keyword::Loop:
    case Keyword::Next:
    case Keyword::Wend: return true;
    default: return false;
    }
}

StmtList Parser::parseBlock()
{
    NestingGuard guard(nesting_, peek());
    StmtList body;
    for (;;) {
        skipSeparators();
        if (atBlockEnd())
            return body;
        parseStatement(body);
        expectStatementEnd();
    }
}

void Parser::parseStatement(StmtList &out)
{
    if (poll_ && (++statements_ & 1023) == 0)
        poll_();
    const Token &t = peek();
    if (t.kind == TokenKind::WithDot) {
        out.push_back(parseAssignOrCall());
        return;
    }
    if (t.kind != TokenKind::Name)
        fail(CompileError::ExpectedStatement);
    // The statements that open with a keyword of their own and make one
    // node: a new one is a row here.
    static const QHash<Keyword, StmtPtr (Parser::*)()> kOwnStatements = {
        {Keyword::ReDim, &Parser::parseReDim}, {Keyword::Erase, &Parser::parseErase},
        {Keyword::Set, &Parser::parseSet},     {Keyword::Call, &Parser::parseCall},
        {Keyword::If, &Parser::parseIf},       {Keyword::For, &Parser::parseFor},
        {Keyword::Do, &Parser::parseDo},       {Keyword::While, &Parser::parseWhile},
        {Keyword::Select, &Parser::parseSelect}, {Keyword::Exit, &Parser::parseExit},
        {Keyword::On, &Parser::parseOnError},  {Keyword::With, &Parser::parseWith},
    };
    if (const auto own = kOwnStatements.constFind(t.keyword); own != kOwnStatements.cend()) {
        out.push_back((this->**own)());
        return;
    }
    switch (t.keyword) {
    case Keyword::None:
        if (atWord("stop") && (peek(1).kind == TokenKind::Newline || peek(1).kind == TokenKind::Colon
                               || peek(1).kind == TokenKind::End)) {
            next();  // a breakpoint: nothing to do without a debugger
            return;
        }
        out.push_back(parseAssignOrCall());
        return;
    case Keyword::Me:  // Me.x = 1, Me.Method 2
        out.push_back(parseAssignOrCall());
        return;
    case Keyword::Dim: next(); parseDim(); return;
    case Keyword::Public:
    case Keyword::Private:
        if (procedure_)
            fail(CompileError::ExpectedStatement);
        next();
        if (acceptKeyword(Keyword::Const)) {
            parseConst();
            return;
        }
        parseDim();
        return;
    case Keyword::Const: next(); parseConst(); return;
    case Keyword::Option:
        next();
        if (!atWord("explicit"))
            fail(CompileError::SyntaxError);
        next();
        chunk_.optionExplicit = true;
        return;
    case Keyword::Class: fail(CompileError::SyntaxError);  // only at the top level
    case Keyword::Sub:
    case Keyword::Function: fail(CompileError::SyntaxError);  // not inside another procedure or block
    case Keyword::Next: fail(CompileError::UnexpectedNext);
    case Keyword::Loop: fail(CompileError::LoopWithoutDo);
    default: fail(CompileError::ExpectedStatement);
    }
}

void Parser::parseProcedure()
{
    if (procedure_)
        fail(CompileError::SyntaxError);
    if (!acceptKeyword(Keyword::Public))
        acceptKeyword(Keyword::Private);
    const ProcKind kind = atKeyword(Keyword::Function) ? ProcKind::Function : ProcKind::Sub;
    next();
    chunk_.procedures.push_back(parseProcedureBody(kind, nullptr));
}

std::unique_ptr<Procedure> Parser::parseProcedureBody(ProcKind kind, ClassDef *cls)
{
    auto proc = std::make_unique<Procedure>();
    proc->isFunction = kind == ProcKind::Function || kind == ProcKind::PropertyGet;
    proc->owner = cls;
    const bool isProperty = kind >= ProcKind::PropertyGet;
    proc->pos = here();
    const Token &nameToken = peek();
    proc->name = expectName();
    const QString lower = proc->name.toLower();
    if (!cls) {
        for (const auto &other : chunk_.procedures)
            if (other->name.compare(proc->name, Qt::CaseInsensitive) == 0)
                failAt(CompileError::NameRedefined, nameToken);
        if (topNames_.contains(lower))
            failAt(CompileError::NameRedefined, nameToken);
        topNames_.insert(lower);
    }
    procedure_ = proc.get();
    if (accept(TokenKind::LParen) && !accept(TokenKind::RParen)) {
        do {
            Param param;
            if (acceptKeyword(Keyword::ByVal))
                param.byRef = false;
            else
                acceptKeyword(Keyword::ByRef);
            const Token &tok = peek();
            param.name = expectName();
            if (accept(TokenKind::LParen))
                expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
            declareVariable(param.name, tok);
            proc->params.push_back(param);
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
    }
    if ((kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet) && proc->params.empty())
        failAt(CompileError::PropertyNeedsArgument, nameToken);
    if (proc->isFunction) {
        proc->returnSlot = proc->slotCount();
        declareVariable(proc->name, nameToken);
    }
    expectStatementEnd();
    proc->body = parseBlock();
    if (!atKeyword(Keyword::End))
        fail(CompileError::ExpectedEnd);
    next();
    if (isProperty) {
        if (!atWord("property"))
            fail(CompileError::ExpectedProperty);
        next();
    } else {
        expectKeyword(proc->isFunction ? Keyword::Function : Keyword::Sub,
                      proc->isFunction ? CompileError::ExpectedFunction : CompileError::ExpectedSub);
    }
    procedure_ = nullptr;
    return proc;
}

void Parser::parseClass()
{
    if (procedure_ || class_)
        fail(CompileError::SyntaxError);
    next();
    const Token &nameToken = peek();
    auto cls = std::make_unique<ClassDef>();
    cls->name = expectName();
    for (const auto &other : chunk_.classes)
        if (other->name.compare(cls->name, Qt::CaseInsensitive) == 0)
            failAt(CompileError::NameRedefined, nameToken);
    expectStatementEnd();
    class_ = cls.get();
    for (;;) {
        skipSeparators();
        if (at(TokenKind::End))
            fail(CompileError::ExpectedEnd);
        if (atKeyword(Keyword::End)) {
            next();
            expectKeyword(Keyword::Class, CompileError::ExpectedClass);
            break;
        }
        parseClassMember(*cls);
        expectStatementEnd();
    }
    class_ = nullptr;
    chunk_.classes.push_back(std::move(cls));
}

void Parser::parseClassMember(ClassDef &cls)
{
    bool isPublic = true;
    bool scoped = false;
    bool isDefault = false;
    if (acceptKeyword(Keyword::Public)) {
        scoped = true;
        if (atWord("default")) {
            next();
            isDefault = true;
        }
    } else if (acceptKeyword(Keyword::Private)) {
        scoped = true;
        isPublic = false;
        if (atWord("default"))
            fail(CompileError::DefaultNotPublic);
    }
    ProcKind kind;
    if (atKeyword(Keyword::Sub) || atKeyword(Keyword::Function)) {
        kind = next().keyword == Keyword::Sub ? ProcKind::Sub : ProcKind::Function;
    } else if (atWord("property")) {
        next();
        if (atKeyword(Keyword::Set))
            kind = ProcKind::PropertySet;
        else if (atWord("get"))
            kind = ProcKind::PropertyGet;
        else if (atWord("let"))
            kind = ProcKind::PropertyLet;
        else
            fail(CompileError::ExpectedPropertyKind);
        next();
    } else {
        // Fields: Dim a, b or Public a, Private b(3).
        if (isDefault || (!scoped && !acceptKeyword(Keyword::Dim)))
            fail(CompileError::ExpectedStatement);
        do {
            const Token &tok = peek();
            const QString name = expectName();
            bool isArray = false;
            QList<qint32> bounds;
            if (accept(TokenKind::LParen)) {
                isArray = true;
                if (!accept(TokenKind::RParen)) {
                    do {
                        if (!at(TokenKind::Number))
                            fail(CompileError::ExpectedInteger);
                        bounds << next().value.toLong();
                    } while (accept(TokenKind::Comma));
                    expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
                }
            }
            if (cls.byName.contains(name.toLower()))
                failAt(CompileError::NameRedefined, tok);
            ClassMember &m = cls.member(name);
            m.isPublic = isPublic;
            m.field = cls.fieldCount++;
            cls.fieldIsArray << isArray;
            cls.fieldBounds << bounds;
        } while (accept(TokenKind::Comma));
        return;
    }
    const Token &nameToken = peek();
    std::unique_ptr<Procedure> proc = parseProcedureBody(kind, &cls);
    const QString lower = proc->name.toLower();
    if ((lower == u"class_initialize" || lower == u"class_terminate") && kind <= ProcKind::Function) {
        if (!proc->params.empty())
            failAt(CompileError::InitializeWithArguments, nameToken);
        (lower == u"class_initialize" ? cls.initialize : cls.terminate) = proc.get();
    }
    ClassMember &m = cls.member(proc->name);
    const Procedure *&slot = kind == ProcKind::PropertyLet ? m.let : kind == ProcKind::PropertySet ? m.set : m.call;
    if (slot || m.field >= 0 || (kind <= ProcKind::Function && (m.let || m.set)))
        failAt(CompileError::NameRedefined, nameToken);
    slot = proc.get();
    m.isPublic = isPublic;
    if (isDefault) {
        if (cls.defaultMember >= 0)
            failAt(CompileError::MultipleDefaults, nameToken);
        cls.defaultMember = cls.byName.value(lower);
    }
    cls.methods.push_back(std::move(proc));
}

void Parser::declareVariable(const QString &name, const Token &at)
{
    const QString lower = name.toLower();
    if (isDeclared(lower))
        failAt(CompileError::NameRedefined, at);
    if (procedure_) {
        procedure_->addSlot(lower);
    } else {
        topNames_.insert(lower);
        chunk_.globalNames << lower;
        chunk_.globalPositions << SourcePos{at.line, at.column};
    }
}

bool Parser::isDeclared(const QString &lower) const
{
    if (procedure_)
        return procedure_->slotOf(lower) >= 0 || procedure_->constantNames.contains(lower);
    return topNames_.contains(lower);
}

void Parser::parseDim()
{
    do {
        const Token &tok = peek();
        const SourcePos pos = here();
        const QString name = expectName();
        declareVariable(name, tok);
        if (!accept(TokenKind::LParen))
            continue;
        // a() is a dynamic array; a(n, m) a fixed one, made at entry.
        auto dim = std::make_unique<ReDimStmt>(pos);
        dim->fixed = true;
        ReDimStmt::Item item;
        item.target = std::make_unique<NameExpr>(pos, name, ExprList(), false);
        if (!accept(TokenKind::RParen)) {
            do {
                if (!at(TokenKind::Number))
                    fail(CompileError::ExpectedInteger);
                item.bounds.push_back(std::make_unique<Literal>(here(), next().value));
            } while (accept(TokenKind::Comma));
            expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
        } else {
            dim->fixed = false;
        }
        dim->items.push_back(std::move(item));
        (procedure_ ? procedure_->prologue : chunk_.prologue).push_back(std::move(dim));
    } while (accept(TokenKind::Comma));
}

void Parser::parseConst()
{
    do {
        const Token &tok = peek();
        const QString name = expectName();
        expect(TokenKind::Eq, CompileError::ExpectedEquals);
        bool negative = false;
        if (accept(TokenKind::Minus))
            negative = true;
        else
            accept(TokenKind::Plus);
        Value value;
        const Token &t = next();
        if (t.kind == TokenKind::Number)
            value = negative ? negate(t.value) : t.value;
        else if (t.kind == TokenKind::String && !negative)
            value = t.text;
        else if (t.keyword == Keyword::True || t.keyword == Keyword::False)
            value = negative ? negate(Value(t.keyword == Keyword::True)) : Value(t.keyword == Keyword::True);
        else if (t.keyword == Keyword::Null && !negative)
            value = Value::null();
        else if (t.keyword == Keyword::Empty && !negative)
            value = Value();
        else
            failAt(CompileError::ExpectedLiteral, t);
        const QString lower = name.toLower();
        if (isDeclared(lower))
            failAt(CompileError::NameRedefined, tok);
        if (procedure_) {
            procedure_->constantNames << lower;
            procedure_->localConstants << value;
        } else {
            topNames_.insert(lower);
            chunk_.constantNames << lower;
            chunk_.constantValues << value;
        }
    } while (accept(TokenKind::Comma));
}

StmtPtr Parser::parseReDim()
{
    auto stmt = std::make_unique<ReDimStmt>(here());
    next();
    if (atWord("preserve")) {
        next();
        stmt->preserve = true;
    }
    do {
        const Token &tok = peek();
        const SourcePos pos = here();
        const QString name = expectName();
        // At the top level ReDim declares the variable when nothing else
        // did; in a procedure the name may be a global one, which the
        // resolver finds (or else makes it a local).
        if (!procedure_ && !isDeclared(name.toLower()))
            declareVariable(name, tok);
        expect(TokenKind::LParen, CompileError::ExpectedOpenParen);
        ReDimStmt::Item item;
        item.target = std::make_unique<NameExpr>(pos, name, ExprList(), false);
        item.bounds = parseArguments();
        if (item.bounds.empty())
            fail(CompileError::ExpectedExpression);
        stmt->items.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    return stmt;
}

StmtPtr Parser::parseErase()
{
    auto stmt = std::make_unique<EraseStmt>(here());
    next();
    do {
        const SourcePos pos = here();
        stmt->targets.push_back(std::make_unique<NameExpr>(pos, expectName(), ExprList(), false));
    } while (accept(TokenKind::Comma));
    return stmt;
}

void Parser::endKeyword(Keyword k, CompileError error)
{
    if (!atKeyword(Keyword::End))
        fail(error);
    next();
    expectKeyword(k, error);
}

StmtPtr Parser::parseIf()
{
    auto stmt = std::make_unique<IfStmt>(here());
    next();
    IfStmt::Branch first;
    first.condition = parseExpression();
    expectKeyword(Keyword::Then, CompileError::ExpectedThen);
    if (!at(TokenKind::Newline) && !at(TokenKind::Colon) && !at(TokenKind::End)) {
        // One line: If c Then a : b Else d : e
        NestingGuard guard(nesting_, peek());
        const bool outer = singleLineIf_;
        singleLineIf_ = true;
        for (;;) {
            parseStatement(first.body);
            expectStatementEnd();
            if (!accept(TokenKind::Colon))
                break;
            if (at(TokenKind::Newline) || at(TokenKind::End) || atKeyword(Keyword::Else))
                break;
        }
        stmt->branches.push_back(std::move(first));
        if (acceptKeyword(Keyword::Else)) {
            for (;;) {
                while (accept(TokenKind::Colon)) {}
                if (at(TokenKind::Newline) || at(TokenKind::End))
                    break;
                parseStatement(stmt->elseBody);
                expectStatementEnd();
                if (atKeyword(Keyword::Else))
                    break;  // an outer one-line If's Else
            }
        }
        singleLineIf_ = outer;
        return stmt;
    }
    const bool outer = singleLineIf_;
    singleLineIf_ = false;
    first.body = parseBlock();
    stmt->branches.push_back(std::move(first));
    while (atKeyword(Keyword::ElseIf)) {
        next();
        IfStmt::Branch branch;
        branch.condition = parseExpression();
        expectKeyword(Keyword::Then, CompileError::ExpectedThen);
        branch.body = parseBlock();
        stmt->branches.push_back(std::move(branch));
    }
    if (acceptKeyword(Keyword::Else))
        stmt->elseBody = parseBlock();
    if (at(TokenKind::End))
        fail(CompileError::ExpectedEnd);
    endKeyword(Keyword::If, CompileError::ExpectedIf);
    singleLineIf_ = outer;
    return stmt;
}

StmtPtr Parser::parseFor()
{
    const SourcePos pos = here();
    next();
    if (acceptKeyword(Keyword::Each)) {
        auto stmt = std::make_unique<ForEachStmt>(pos);
        const SourcePos itemPos = here();
        stmt->item = std::make_unique<NameExpr>(itemPos, expectName(), ExprList(), false);
        expectKeyword(Keyword::In, CompileError::ExpectedIn);
        stmt->collection = parseExpression();
        stmt->body = parseLoopBody();
        return stmt;
    }
    auto stmt = std::make_unique<ForStmt>(pos);
    const SourcePos counterPos = here();
    if (!at(TokenKind::Name) || peek().keyword != Keyword::None)
        fail(CompileError::InvalidForVariable);
    stmt->counter = std::make_unique<NameExpr>(counterPos, next().text, ExprList(), false);
    expect(TokenKind::Eq, CompileError::ExpectedEquals);
    stmt->from = parseExpression();
    expectKeyword(Keyword::To, CompileError::ExpectedTo);
    stmt->to = parseExpression();
    if (atWord("step")) {
        next();
        stmt->step = parseExpression();
    }
    stmt->body = parseLoopBody();
    return stmt;
}

// The body of a For or For Each up to its Next, which may name the counter.
StmtList Parser::parseLoopBody()
{
    ++forDepth_;
    StmtList body = parseBlock();
    --forDepth_;
    expectKeyword(Keyword::Next, CompileError::ExpectedNext);
    if (at(TokenKind::Name) && peek().keyword == Keyword::None)
        next();
    return body;
}

StmtPtr Parser::parseDo()
{
    auto stmt = std::make_unique<DoStmt>(here());
    next();
    if (atKeyword(Keyword::While) || atKeyword(Keyword::Until)) {
        stmt->test = next().keyword == Keyword::While ? DoStmt::Test::PreWhile : DoStmt::Test::PreUntil;
        stmt->condition = parseExpression();
    } else if (!atStatementEnd()) {
        fail(CompileError::ExpectedWhileOrUntil);
    }
    ++doDepth_;
    stmt->body = parseBlock();
    --doDepth_;
    expectKeyword(Keyword::Loop, CompileError::ExpectedLoop);
    if (atKeyword(Keyword::While) || atKeyword(Keyword::Until)) {
        if (stmt->condition)
            fail(CompileError::ExpectedEndOfStatement);
        stmt->test = next().keyword == Keyword::While ? DoStmt::Test::PostWhile : DoStmt::Test::PostUntil;
        stmt->condition = parseExpression();
    }
    return stmt;
}

StmtPtr Parser::parseWhile()
{
    auto stmt = std::make_unique<DoStmt>(here());
    next();
    stmt->isWhileWend = true;
    stmt->test = DoStmt::Test::PreWhile;
    stmt->condition = parseExpression();
    const int outerDo = doDepth_;
    doDepth_ = 0;  // Exit Do does not leave a While loop
    stmt->body = parseBlock();
    doDepth_ = outerDo;
    expectKeyword(Keyword::Wend, CompileError::ExpectedWend);
    return stmt;
}

StmtPtr Parser::parseSelect()
{
    auto stmt = std::make_unique<SelectStmt>(here());
    next();
    expectKeyword(Keyword::Case, CompileError::ExpectedCase);
    stmt->subject = parseExpression();
    expectStatementEnd();
    skipSeparators();
    bool sawElse = false;
    while (atKeyword(Keyword::Case)) {
        next();
        SelectStmt::Clause clause;
        if (acceptKeyword(Keyword::Else)) {
            sawElse = true;
        } else {
            if (sawElse)
                fail(CompileError::ExpectedEnd);
            do {
                SelectStmt::Test test;
                if (acceptKeyword(Keyword::Is)) {
                    test.kind = SelectStmt::Test::Kind::Compare;
                    switch (peek().kind) {
                    case TokenKind::Eq: test.op = BinaryOp::Eq; break;
                    case TokenKind::Ne: test.op = BinaryOp::Ne; break;
                    case TokenKind::Lt: test.op = BinaryOp::Lt; break;
                    case TokenKind::Gt: test.op = BinaryOp::Gt; break;
                    case TokenKind::Le: test.op = BinaryOp::Le; break;
                    case TokenKind::Ge: test.op = BinaryOp::Ge; break;
                    default: fail(CompileError::SyntaxError);
                    }
                    next();
                    test.value = parseComparand();
                } else {
                    test.value = parseExpression();
                    if (acceptKeyword(Keyword::To)) {
                        test.kind = SelectStmt::Test::Kind::Range;
                        test.upper = parseExpression();
                    }
                }
                clause.tests.push_back(std::move(test));
            } while (accept(TokenKind::Comma));
        }
        clause.body = parseBlock();
        stmt->clauses.push_back(std::move(clause));
    }
    if (!atKeyword(Keyword::End))
        fail(atBlockEnd() && !at(TokenKind::End) ? CompileError::ExpectedEnd : CompileError::ExpectedCase);
    endKeyword(Keyword::Select, CompileError::ExpectedSelect);
    return stmt;
}

StmtPtr Parser::parseExit()
{
    const SourcePos pos = here();
    next();
    const Token &what = peek();
    Flow flow;
    bool valid;
    switch (what.keyword) {
    case Keyword::Do: flow = Flow::ExitDo, valid = doDepth_ > 0; break;
    case Keyword::For: flow = Flow::ExitFor, valid = forDepth_ > 0; break;
    case Keyword::Sub: flow = Flow::ExitProcedure, valid = procedure_ && !procedure_->isFunction; break;
    case Keyword::Function: flow = Flow::ExitProcedure, valid = procedure_ && procedure_->isFunction; break;
    default:
        if (!atWord("property"))
            fail(CompileError::InvalidExit);
        flow = Flow::ExitProcedure, valid = procedure_ && procedure_->owner;
    }
    if (!valid)
        fail(CompileError::InvalidExit);
    next();
    return std::make_unique<ExitStmt>(pos, flow);
}

StmtPtr Parser::parseOnError()
{
    const SourcePos pos = here();
    next();
    if (!atWord("error"))
        fail(CompileError::SyntaxError);
    next();
    if (atWord("resume")) {
        next();
        expectKeyword(Keyword::Next, CompileError::SyntaxError);
        return std::make_unique<OnErrorStmt>(pos, true);
    }
    expectKeyword(Keyword::GoTo, CompileError::SyntaxError);
    if (!at(TokenKind::Number) || peek().value.toDouble() != 0)
        fail(CompileError::SyntaxError);
    next();
    return std::make_unique<OnErrorStmt>(pos, false);
}

StmtPtr Parser::parseWith()
{
    auto stmt = std::make_unique<WithStmt>(here());
    const Token &withToken = next();
    stmt->object = parseExpression();
    const QString holder = withHolderName(withSerialBase_ + withSerial_++);
    declareVariable(holder, withToken);
    stmt->holder = std::make_unique<NameExpr>(stmt->pos, holder, ExprList(), false);
    withHolders_ << holder;
    const bool outer = singleLineIf_;
    singleLineIf_ = false;
    stmt->body = parseBlock();
    singleLineIf_ = outer;
    withHolders_.removeLast();
    if (at(TokenKind::End))
        fail(CompileError::ExpectedEnd);
    endKeyword(Keyword::With, CompileError::ExpectedWith);
    return stmt;
}

ExprPtr Parser::withObject(SourcePos pos)
{
    if (withHolders_.isEmpty())
        fail(CompileError::SyntaxError);
    return std::make_unique<NameExpr>(pos, withHolders_.last(), ExprList(), false);
}

StmtPtr Parser::parseSet()
{
    const SourcePos pos = here();
    next();
    ExprPtr target = parsePostfix();
    if (!isCallable(target.get()))
        fail(CompileError::ExpectedIdentifier);
    expect(TokenKind::Eq, CompileError::ExpectedEquals);
    ExprPtr value = parseExpression();
    return std::make_unique<AssignStmt>(pos, std::move(target), std::move(value), true);
}

StmtPtr Parser::parseCall()
{
    const SourcePos pos = here();
    next();
    ExprPtr call = parsePostfix();
    if (auto *n = dynamic_cast<NameExpr *>(call.get()))
        n->calledAsProcedure = true;
    else if (!dynamic_cast<MemberExpr *>(call.get()))
        fail(CompileError::ExpectedIdentifier);
    return std::make_unique<CallStmt>(pos, std::move(call));
}

// A statement that starts with a name: an assignment (x = 1, a(i) = 2,
// o.p = 3) or a call with or without parentheses (f, f 1, 2, f(1), o.m 1).
StmtPtr Parser::parseAssignOrCall()
{
    const SourcePos pos = here();
    lastParenOwner_ = nullptr;
    ExprPtr head = parsePostfix();
    if (accept(TokenKind::Eq)) {
        if (!isCallable(head.get()))
            fail(CompileError::ExpectedStatement);
        ExprPtr value = parseExpression();
        return std::make_unique<AssignStmt>(pos, std::move(head), std::move(value), false);
    }
    bool *hasParens = nullptr;
    ExprList *args = argumentsOf(head.get(), &hasParens);
    if (!args)
        fail(CompileError::ExpectedStatement);
    if (auto *n = dynamic_cast<NameExpr *>(head.get()))
        n->calledAsProcedure = true;
    if (atStatementEnd()) {
        // f(a, b) as a statement is an error; f(a) passes (a), by value.
        if (*hasParens && args->size() > 1 && lastParenOwner_ == head.get())
            fail(CompileError::ParenthesesCallingSub);
        if (*hasParens && args->size() == 1) {
            ExprPtr only = std::move(args->front());
            const SourcePos p = only->pos;
            args->front() = std::make_unique<ParenExpr>(p, std::move(only));
        }
        return std::make_unique<CallStmt>(pos, std::move(head));
    }
    if (*hasParens) {
        // f (a) + 1, b: the parenthesis opened the first argument.
        if (lastParenOwner_ != head.get())
            fail(CompileError::ExpectedEndOfStatement);
        pos_ = lastParenPos_;
        args->clear();
        *hasParens = false;
    }
    *args = parseBareArguments();
    return std::make_unique<CallStmt>(pos, std::move(head));
}

// ----- expressions -----

ExprPtr Parser::binary(BinaryOp op, ExprPtr left, ExprPtr right, SourcePos pos)
{
    const int depth = std::max(left->depth, right->depth) + 1;
    if (depth > kMaxTreeDepth)
        fail(CompileError::TooDeeplyNested);
    auto e = std::make_unique<BinaryExpr>(pos, op, std::move(left), std::move(right));
    e->depth = depth;
    return e;
}

// VBScript's binary operators from the loosest binding to the tightest.
// Every one of them is left-associative. Not (between And and the
// comparisons) and the signs (between * and ^) are prefixes.
namespace {

enum class OperatorShape : quint8 { Binary, Is, Concat };

struct BinaryOperator {
    TokenKind token;
    Keyword keyword;  // for word operators (token is Name)
    BinaryOp op;
    int level;
    OperatorShape shape = OperatorShape::Binary;
};

constexpr int kNotLevel = 6;
constexpr int kComparisonLevel = 7;
constexpr int kSignLevel = 13;

constexpr BinaryOperator kBinaryOperators[] = {
    {TokenKind::Name, Keyword::Imp, BinaryOp::Imp, 1},
    {TokenKind::Name, Keyword::Eqv, BinaryOp::Eqv, 2},
    {TokenKind::Name, Keyword::Xor, BinaryOp::Xor, 3},
    {TokenKind::Name, Keyword::Or, BinaryOp::Or, 4},
    {TokenKind::Name, Keyword::And, BinaryOp::And, 5},
    {TokenKind::Eq, Keyword::None, BinaryOp::Eq, kComparisonLevel},
    {TokenKind::Ne, Keyword::None, BinaryOp::Ne, kComparisonLevel},
    {TokenKind::Lt, Keyword::None, BinaryOp::Lt, kComparisonLevel},
    {TokenKind::Gt, Keyword::None, BinaryOp::Gt, kComparisonLevel},
    {TokenKind::Le, Keyword::None, BinaryOp::Le, kComparisonLevel},
    {TokenKind::Ge, Keyword::None, BinaryOp::Ge, kComparisonLevel},
    {TokenKind::Name, Keyword::Is, BinaryOp::Eq, kComparisonLevel, OperatorShape::Is},
    {TokenKind::Amp, Keyword::None, BinaryOp::Add, 8, OperatorShape::Concat},
    {TokenKind::Plus, Keyword::None, BinaryOp::Add, 9},
    {TokenKind::Minus, Keyword::None, BinaryOp::Subtract, 9},
    {TokenKind::Name, Keyword::Mod, BinaryOp::Modulo, 10},
    {TokenKind::Backslash, Keyword::None, BinaryOp::IntDivide, 11},
    {TokenKind::Star, Keyword::None, BinaryOp::Multiply, 12},
    {TokenKind::Slash, Keyword::None, BinaryOp::Divide, 12},
    {TokenKind::Caret, Keyword::None, BinaryOp::Power, 14},
};

const BinaryOperator *binaryOperator(const Token &t)
{
    for (const BinaryOperator &o : kBinaryOperators)
        if (o.token == t.kind && (t.kind != TokenKind::Name || o.keyword == t.keyword))
            return &o;
    return nullptr;
}

}  // namespace

ExprPtr Parser::parseExpression()
{
    return parseBinary(0);
}

ExprPtr Parser::parseComparand()
{
    return parseBinary(kComparisonLevel);
}

// Operators binding tighter than limit, applied left to right.
ExprPtr Parser::parseBinary(int limit)
{
    ExprPtr left = parseOperand(limit);
    ConcatExpr *chain = nullptr;  // a & b & c ... becomes one node
    for (;;) {
        const BinaryOperator *o = binaryOperator(peek());
        if (!o || o->level <= limit)
            return left;
        const SourcePos pos = here();
        next();
        // 2 ^ -1: a sign may follow ^ although it binds more loosely.
        ExprPtr right = o->op == BinaryOp::Power && (at(TokenKind::Minus) || at(TokenKind::Plus))
                            ? parseOperand(kSignLevel)
                            : parseBinary(o->level);
        if (o->shape == OperatorShape::Concat) {
            if (!chain) {
                ExprList parts;
                parts.push_back(std::move(left));
                auto e = std::make_unique<ConcatExpr>(pos, std::move(parts));
                e->depth = e->parts.front()->depth + 1;
                chain = e.get();
                left = std::move(e);
            }
            chain->parts.push_back(std::move(right));
            chain->depth = std::max(chain->depth, chain->parts.back()->depth + 1);
            continue;
        }
        chain = nullptr;
        if (o->shape == OperatorShape::Is) {
            const int depth = std::max(left->depth, right->depth) + 1;
            if (depth > kMaxTreeDepth)
                fail(CompileError::TooDeeplyNested);
            left = std::make_unique<IsExpr>(pos, std::move(left), std::move(right));
            left->depth = depth;
            continue;
        }
        left = binary(o->op, std::move(left), std::move(right), pos);
    }
}

// A primary with the prefix operators that may stand where operators
// binding tighter than limit are read: Not 1 = 2 is Not (1 = 2), -2 ^ 2 is
// -(2 ^ 2), and 1 + Not 0 is no expression.
ExprPtr Parser::parseOperand(int limit)
{
    const bool isNot = atKeyword(Keyword::Not) && limit <= kNotLevel;
    const bool isSign = (at(TokenKind::Minus) || at(TokenKind::Plus)) && limit <= kSignLevel;
    if (!isNot && !isSign)
        return parsePostfix();
    NestingGuard guard(nesting_, peek());
    const SourcePos pos = here();
    const bool minus = next().kind == TokenKind::Minus;
    ExprPtr operand = parseBinary(isNot ? kNotLevel : kSignLevel);
    // -5 is a literal of its own, as VBScript's comparisons see it.
    if (auto *lit = dynamic_cast<Literal *>(operand.get()); isSign && minus && lit && lit->value.isNumber())
        return std::make_unique<Literal>(pos, negate(lit->value));
    const UnaryOp op = isNot ? UnaryOp::Not : minus ? UnaryOp::Negate : UnaryOp::Plus;
    const int depth = operand->depth + 1;
    auto e = std::make_unique<UnaryExpr>(pos, op, std::move(operand));
    e->depth = depth;
    return e;
}

ExprPtr Parser::parsePostfix()
{
    ExprPtr e = parsePrimary();
    for (;;) {
        if (at(TokenKind::LParen) && isCallable(e.get())) {
            NestingGuard guard(nesting_, peek());
            const qsizetype parenPos = pos_;
            bool *hasParens = nullptr;
            ExprList *args = argumentsOf(e.get(), &hasParens);
            next();
            ExprList list = parseArguments();
            int depth = e->depth;
            for (const auto &a : list)
                depth = std::max(depth, a->depth + 1);
            if (args && !*hasParens) {
                *args = std::move(list);
                *hasParens = true;
            } else {
                const SourcePos pos = e->pos;
                e = std::make_unique<IndexExpr>(pos, std::move(e), std::move(list));
            }
            e->depth = depth;
            lastParenPos_ = parenPos;
            lastParenOwner_ = e.get();
            continue;
        }
        if (at(TokenKind::Dot)) {
            next();
            const SourcePos pos = here();
            if (!at(TokenKind::Name))
                fail(CompileError::ExpectedIdentifier);
            const QString member = next().text;
            const int depth = e->depth + 1;
            if (depth > kMaxTreeDepth)
                fail(CompileError::TooDeeplyNested);
            e = std::make_unique<MemberExpr>(pos, std::move(e), member, ExprList(), false);
            e->depth = depth;
            continue;
        }
        return e;
    }
}

ExprList Parser::parseArguments()
{
    ExprList args;
    if (accept(TokenKind::RParen))
        return args;
    do {
        args.push_back(parseExpression());
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
    return args;
}

ExprList Parser::parseBareArguments()
{
    ExprList args;
    do {
        args.push_back(parseExpression());
    } while (accept(TokenKind::Comma));
    return args;
}

ExprPtr Parser::parsePrimary()
{
    const Token &t = peek();
    const SourcePos pos = here();
    switch (t.kind) {
    case TokenKind::Number: next(); return std::make_unique<Literal>(pos, t.value);
    case TokenKind::String: next(); return std::make_unique<Literal>(pos, Value(t.text));
    case TokenKind::LParen: {
        NestingGuard guard(nesting_, t);
        next();
        ExprPtr inner = parseExpression();
        expect(TokenKind::RParen, CompileError::ExpectedCloseParen);
        const int depth = inner->depth + 1;
        auto e = std::make_unique<ParenExpr>(pos, std::move(inner));
        e->depth = depth;
        return e;
    }
    case TokenKind::WithDot: {
        if (withHolders_.isEmpty())
            fail(CompileError::SyntaxError);
        next();
        if (!at(TokenKind::Name))
            fail(CompileError::ExpectedIdentifier);
        const QString member = next().text;
        return std::make_unique<MemberExpr>(pos, withObject(pos), member, ExprList(), false);
    }
    case TokenKind::Name: break;
    default: fail(CompileError::ExpectedExpression);
    }
    switch (t.keyword) {
    case Keyword::None: next(); return std::make_unique<NameExpr>(pos, t.text, ExprList(), false);
    case Keyword::True: next(); return std::make_unique<Literal>(pos, Value(true));
    case Keyword::False: next(); return std::make_unique<Literal>(pos, Value(false));
    case Keyword::Empty: next(); return std::make_unique<Literal>(pos, Value());
    case Keyword::Null: next(); return std::make_unique<Literal>(pos, Value::null());
    case Keyword::Nothing: next(); return std::make_unique<Literal>(pos, Value::nothing());
    case Keyword::Me:
        if (!procedure_ || !procedure_->owner)
            fail(CompileError::MustBeInsideClass);
        next();
        return std::make_unique<MeExpr>(pos);
    case Keyword::New: {
        next();
        if (!at(TokenKind::Name))
            fail(CompileError::ExpectedIdentifier);
        return std::make_unique<NewExpr>(pos, next().text);
    }
    default: fail(CompileError::ExpectedExpression);
    }
}

}  // namespace script::vbs
