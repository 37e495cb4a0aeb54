#include "SqlText.h"

namespace sqltext {
namespace {

// Length of the quoted run or comment starting at i, or 0 when none starts there.
int SkipQuotedOrComment(const QString& s, int i) {
    const QChar c = s.at(i);
    const int n = s.size();
    if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
        const QChar close = c == u'[' ? QChar(u']') : c;
        int j = i + 1;
        while (j < n) {
            if (s.at(j) == close) {
                if (close != u']' && j + 1 < n && s.at(j + 1) == close) {
                    j += 2;  // doubled quote inside
                    continue;
                }
                return j + 1 - i;
            }
            ++j;
        }
        return n - i;
    }
    if (c == u'-' && i + 1 < n && s.at(i + 1) == u'-') {
        int j = s.indexOf(u'\n', i);
        return (j < 0 ? n : j + 1) - i;
    }
    if (c == u'/' && i + 1 < n && s.at(i + 1) == u'*') {
        int j = s.indexOf(QStringLiteral("*/"), i + 2);
        return (j < 0 ? n : j + 2) - i;
    }
    return 0;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

}  // namespace

QStringList SplitStatements(const QString& text) {
    QStringList out;
    int start = 0;
    int i = 0;
    while (i < text.size()) {
        if (int skip = SkipQuotedOrComment(text, i)) {
            i += skip;
            continue;
        }
        if (text.at(i) == u';') {
            const QString piece = text.mid(start, i - start).trimmed();
            if (!piece.isEmpty()) out << piece;
            start = i + 1;
        }
        ++i;
    }
    const QString last = text.mid(start).trimmed();
    if (!last.isEmpty()) out << last;
    // A statement made only of comments is no statement.
    QStringList real;
    for (const QString& s : out) {
        Tokens t(s);
        if (!t.AtEnd()) real << s;
    }
    return real;
}

Tokens::Tokens(QString statement) : statement_(std::move(statement)) {}

Token Tokens::Lex() {
    const QString& s = statement_;
    const int n = s.size();
    while (pos_ < n) {
        if (s.at(pos_).isSpace()) {
            ++pos_;
            continue;
        }
        const QChar c = s.at(pos_);
        if ((c == u'-' || c == u'/') && SkipQuotedOrComment(s, pos_)) {
            pos_ += SkipQuotedOrComment(s, pos_);
            continue;
        }
        break;
    }
    Token t;
    t.begin = pos_;
    if (pos_ >= n) {
        t.end = pos_;
        return t;
    }
    const QChar c = s.at(pos_);
    if (c == u'"' || c == u'`' || c == u'[' || c == u'\'') {
        const int len = SkipQuotedOrComment(s, pos_);
        const QChar close = c == u'[' ? QChar(u']') : c;
        QString inner = s.mid(pos_ + 1, std::max(0, len - 2));
        if (close != u']') inner.replace(QString(2, close), QString(close));
        t.kind = c == u'\'' ? Token::Kind::String : Token::Kind::Quoted;
        t.text = inner;
        pos_ += len;
    } else if (IsWordChar(c)) {
        int j = pos_;
        while (j < n && IsWordChar(s.at(j))) ++j;
        t.text = s.mid(pos_, j - pos_);
        t.kind = c.isDigit() ? Token::Kind::Number : Token::Kind::Word;
        pos_ = j;
    } else {
        t.kind = Token::Kind::Symbol;
        t.text = QString(c);
        ++pos_;
    }
    t.end = pos_;
    return t;
}

const Token& Tokens::Peek(int ahead) {
    while (lookahead_.size() <= ahead) lookahead_.append(Lex());
    return lookahead_.at(ahead);
}

Token Tokens::Take() {
    Peek();
    return lookahead_.takeFirst();
}

bool Tokens::Accept(const char* keyword) {
    if (!IsKeyword(Peek(), keyword)) return false;
    Take();
    return true;
}

QString Tokens::Rest() { return statement_.mid(Peek().begin); }

bool IsKeyword(const Token& t, const char* keyword) {
    return t.kind == Token::Kind::Word &&
           t.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

}  // namespace sqltext
