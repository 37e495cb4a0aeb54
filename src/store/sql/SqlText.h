#pragma once

#include <QString>
#include <QStringList>

// Just enough lexing of SQL text to route statements: splitting a text into statements and
// reading the leading words and names of one, with quotes and comments respected.
namespace sqltext {

struct Token {
    enum class Kind { Word, Quoted, Symbol, Number, String, End };
    Kind kind = Kind::End;
    QString text;   // the word, the name without its quotes, or the symbol
    int begin = 0;  // position in the statement
    int end = 0;
};

// The statements of a text, each without its terminating ";" and without blank ones.
QStringList SplitStatements(const QString& text);

class Tokens {
public:
    explicit Tokens(QString statement);
    const Token& Peek(int ahead = 0);
    Token Take();
    // Takes the next token when it is the given keyword (letter case ignored).
    bool Accept(const char* keyword);
    bool AtEnd() { return Peek().kind == Token::Kind::End; }
    const QString& Statement() const { return statement_; }
    // The rest of the statement from the next token on.
    QString Rest();

private:
    Token Lex();

    QString statement_;
    int pos_ = 0;
    QList<Token> lookahead_;
};

bool IsKeyword(const Token& t, const char* keyword);

}  // namespace sqltext
