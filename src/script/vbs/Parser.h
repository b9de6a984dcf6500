#pragma once

#include "script/vbs/Ast.h"
#include "script/vbs/Lexer.h"

#include <QSet>

namespace script::vbs {

// Builds the tree of one chunk from its tokens: statements and procedures
// (AddCode, ExecuteStatement) or a single expression (Eval). Declarations
// (Dim, Const, parameters, procedures) are noted in the chunk and its
// procedures for the resolver. Throws CompileFailure.
class Parser {
public:
    Parser(QList<Token> tokens, Chunk &chunk, int withSerialBase);

    void parseProgram();
    void parseExpressionOnly();

    // How many hidden With variables the chunk used.
    int withCount() const { return withSerial_; }

private:
    // ----- tokens -----
    const Token &peek(int ahead = 0) const;
    const Token &next();
    bool at(TokenKind kind) const { return peek().kind == kind; }
    bool atKeyword(Keyword k) const { return peek().kind == TokenKind::Name && peek().keyword == k; }
    bool atWord(const char *lowerWord) const;
    bool accept(TokenKind kind);
    bool acceptKeyword(Keyword k);
    void expect(TokenKind kind, CompileError error);
    void expectKeyword(Keyword k, CompileError error);
    QString expectName();
    [[noreturn]] void fail(CompileError error) const;
    [[noreturn]] void failAt(CompileError error, const Token &t) const;
    SourcePos here() const { return {peek().line, peek().column}; }

    // ----- statements -----
    void skipSeparators();
    bool atStatementEnd() const;
    void expectStatementEnd();
    bool atBlockEnd() const;
    StmtList parseBlock();
    void parseStatement(StmtList &out);
    void parseProcedure();
    // Class Name ... End Class, and one member of it.
    void parseClass();
    void parseClassMember(ClassDef &cls);
    // Sub, Function or Property with its body; the procedure of a class
    // goes to that class.
    enum class ProcKind : quint8 { Sub, Function, PropertyGet, PropertyLet, PropertySet };
    std::unique_ptr<Procedure> parseProcedureBody(ProcKind kind, ClassDef *cls);
    // Dim a, b(3): declarations; fixed arrays are made at entry.
    void parseDim();
    void parseConst();
    StmtPtr parseReDim();
    StmtPtr parseErase();
    StmtPtr parseIf();
    StmtPtr parseFor();
    StmtList parseLoopBody();
    StmtPtr parseDo();
    StmtPtr parseWhile();
    StmtPtr parseSelect();
    StmtPtr parseExit();
    StmtPtr parseOnError();
    StmtPtr parseWith();
    StmtPtr parseSet();
    StmtPtr parseCall();
    StmtPtr parseAssignOrCall();
    void endKeyword(Keyword k, CompileError error);

    // ----- expressions: precedence climbing over the operator table -----
    ExprPtr parseExpression();
    // What a comparison's right side may be (Case Is < x).
    ExprPtr parseComparand();
    ExprPtr parseBinary(int limit);
    ExprPtr parseOperand(int limit);
    ExprPtr parsePostfix();
    ExprPtr parsePrimary();
    ExprList parseArguments();  // after '(' up to and with ')'
    ExprList parseBareArguments();
    ExprPtr binary(BinaryOp op, ExprPtr left, ExprPtr right, SourcePos pos);
    ExprPtr withObject(SourcePos pos);

    // ----- declarations -----
    void declareVariable(const QString &name, const Token &at);
    bool isDeclared(const QString &lower) const;

    QList<Token> tokens_;
    qsizetype pos_ = 0;
    Chunk &chunk_;
    Procedure *procedure_ = nullptr;  // the procedure being parsed, if any
    ClassDef *class_ = nullptr;       // the class being parsed, if any
    // Lower-case names declared at the top level: variables, constants,
    // procedures.
    QSet<QString> topNames_;
    // Asked now and then during long compilations (the time limit).
    std::function<void()> poll_;
    int statements_ = 0;
  public:
    void setPoll(std::function<void()> poll) { poll_ = std::move(poll); }
  private:
    int nesting_ = 0;                 // for the depth limit
    int forDepth_ = 0;
    int doDepth_ = 0;
    bool singleLineIf_ = false;
    QStringList withHolders_;         // hidden variables of open With blocks
    int withSerialBase_ = 0;
    int withSerial_ = 0;
    // The position of the last argument list parsePostfix read, and the
    // node it belongs to: a call statement may have to read it again.
    qsizetype lastParenPos_ = -1;
    Expr *lastParenOwner_ = nullptr;
};

// The lower-case name of the hidden variable of the n-th With block.
QString withHolderName(int n);

}  // namespace script::vbs
