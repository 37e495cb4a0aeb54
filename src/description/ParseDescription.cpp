#include "description/ParseDescription.h"

#include "proc/Text.h"

#include <utility>
#include <vector>

namespace {

constexpr QChar kBlank = u' ';

bool IsSkippedLine(const QString& trimmed) {
    return trimmed.size() < 2 || trimmed.startsWith(u"//");
}

// Joins the lines after pos to the statement begun on it until the text holds ">", leaving pos
// on the last line joined. A statement that never gets its ">" ends with the text, which
// stands in for it.
QString JoinStatement(QString statement, const QStringList& lines, qsizetype& pos) {
    bool closed = statement.contains(u'>');
    while (!closed && pos + 1 < lines.size()) {
        const QString next = TrimControl(lines[++pos]);
        statement += kBlank + next;
        closed = next.contains(u'>');  // only the new part can bring the first ">"
    }
    if (!closed) statement += u'>';
    return statement;
}

QString CutComment(const QString& statement) {
    const qsizetype comment = statement.indexOf(u"//");
    return comment < 0 ? statement : TrimControl(QStringView(statement).first(comment));
}

bool IsGroupTag(const QString& s) {
    return s[0] == u'<' && s[1] != u'/' && s.contains(u"!!");
}

bool IsClosingTag(const QString& s) {
    return s.startsWith(u"</");
}

// Blank runs become single blanks (the first two characters are copied as they are).
QString CollapseBlanks(QStringView part) {
    QString copy;
    copy.reserve(part.size());
    for (QChar c : part) {
        if (c == kBlank && copy.size() >= 2 && copy.back() == kBlank) continue;
        copy += c;
    }
    return copy;
}

// "name=value" sets attribute name; text without "=" is a value with an empty name.
void StorePair(TNvDescriptorItem& item, const QString& pair) {
    const qsizetype equals = pair.indexOf(u'=');
    if (equals < 0)
        item.SetAttr(QString(), pair);
    else
        item.SetAttr(pair.first(equals), pair.sliced(equals + 1));
}

// Splits the attribute part into pairs. A pair ends at a blank outside quotes once its value has
// begun; quotes (" or ') group blanks and "=" into a value and are not kept; blanks outside
// quotes are dropped, which glues a word without "=" onto the next pair's name.
void ParseAttributes(TNvDescriptorItem& item, QStringView part) {
    QString pair;
    bool inQuote = false;
    bool afterEquals = false;
    bool valueStarted = false;
    QChar quote;
    for (QChar c : CollapseBlanks(part)) {
        if (!inQuote && c == kBlank && valueStarted) {
            StorePair(item, pair);
            pair.clear();
            afterEquals = valueStarted = false;
            continue;
        }
        if (!inQuote && c == u'=') {
            pair += c;
            afterEquals = true;
            continue;
        }
        if (afterEquals && c != kBlank) valueStarted = true;
        if (inQuote && c == quote) {
            inQuote = false;
        } else if (!inQuote && (c == u'"' || c == u'\'')) {
            inQuote = true;
            quote = c;
        } else if (c != kBlank || inQuote) {
            pair += c;
        }
    }
    if (!pair.isEmpty()) StorePair(item, pair);
}

// The label ends at the last blank before the first "="; without "=" the whole body is label.
struct TagParts {
    QString name;
    QStringView attributes;
};

TagParts SplitBody(QStringView body) {
    const qsizetype equals = body.indexOf(u'=');
    if (equals < 0) return {TrimControl(body), {}};
    const qsizetype blank = equals > 0 ? body.first(equals).lastIndexOf(kBlank) : -1;
    if (blank < 0) return {QString(), body};
    return {TrimControl(body.first(blank)), body.sliced(blank + 1)};
}

// The first and last characters of the statement are dropped unseen ("<" and ">" when well
// formed); a body that starts with "!" loses two characters (the "!!" of a group tag). An empty
// body makes no item.
TNvDescriptorItem* ParseTag(const QString& statement, TNvDescriptor& list) {
    QStringView body = QStringView(statement).sliced(1, statement.size() - 2);
    if (body.isEmpty()) return nullptr;
    if (body[0] == u'!') body = body.sliced(qMin<qsizetype>(2, body.size()));
    const TagParts parts = SplitBody(body);
    TNvDescriptorItem& item = list.AddItem(parts.name);
    ParseAttributes(item, parts.attributes);
    return &item;
}

}  // namespace

void ParseDescription(TNvDescriptor& root, const QStringList& lines) {
    // Open lists, innermost last; kept here rather than on the call stack, as text may nest
    // groups as deep as it has lines.
    std::vector<TNvDescriptor*> open{&root};
    for (qsizetype pos = 0; pos < lines.size(); ++pos) {
        QString first = TrimControl(lines[pos]);
        if (IsSkippedLine(first)) continue;
        const QString s = CutComment(JoinStatement(std::move(first), lines, pos));
        if (s.size() < 2) continue;  // a lone "<" left by the comment cut
        if (IsGroupTag(s)) {
            if (TNvDescriptorItem* group = ParseTag(s, *open.back()))
                open.push_back(&group->EnsureChildren());
        } else if (IsClosingTag(s)) {
            open.pop_back();
            if (open.empty()) return;  // a closing tag at the top level ends the text
        } else {
            ParseTag(s, *open.back());
        }
    }
}
