#include "binding/EditRules.h"

#include "binding/SqlValues.h"
#include "binding/ValueKinds.h"
#include "proc/Dates.h"
#include "proc/Text.h"

namespace {

using Decision = CharDecision::Kind;
using Commit = CommitResult::Kind;

const QString kValue = QStringLiteral("value");
const QString kDefine = QStringLiteral("define");

constexpr char16_t kBackspace = 8;
constexpr char16_t kTab = 9;
constexpr char16_t kEnter = 13;
// A date's year goes into a four-digit column.
constexpr int kLastYear = 9999;

CharDecision Decide(Decision kind, QChar replacement = {}, const QString& reason = {}) {
    CharDecision decision;
    decision.kind = kind;
    decision.replacement = replacement;
    decision.reason = reason;
    return decision;
}

CommitResult Result(Commit kind, const QString& reason = {}) {
    CommitResult result;
    result.kind = kind;
    result.reason = reason;
    return result;
}

ValueType TypeOf(const TNvDescriptorItem& item) {
    return TypeCode(item.GetAttr(QStringLiteral("type")));
}

bool IsIntegerKind(ValueType type) {
    return type == ValueType::Int;
}

bool IsTextKind(ValueType type) {
    return type == ValueType::Char || type == ValueType::Text;
}

QString Candidate(const QString& before, QChar ch, const QString& after) {
    return ch.unicode() >= 32 ? before + ch + after : before + after;
}

CharDecision FloatChar(const QString& before, QChar ch, const QString& after,
                       const QLocale& locale) {
    const QString point = locale.decimalPoint();
    const QChar separator = point.isEmpty() ? QChar(u'.') : point.front();
    const QChar typed = ch == u'.' || ch == u',' ? separator : ch;
    if (!ParseLocaleFloat(Candidate(before, typed, after), locale)) return Decide(Decision::Drop);
    return Decide(typed != ch ? Decision::Replace : Decision::Accept, typed);
}

void Store(TNvDescriptorItem& item, const QString& value, bool defined) {
    item.SetAttr(kValue, value);
    item.SetAttr(kDefine, defined ? QStringLiteral("1") : QStringLiteral("0"));
}

CommitResult CommitDate(TNvDescriptorItem& item, const QString& text) {
    if (text.isEmpty()) {
        item.SetAttr(kDefine, QStringLiteral("0"));
        return Result(Commit::Stored);
    }
    const ParsedDate date = ParseDate(text);
    if (!date.ok || date.year > kLastYear) return Result(Commit::DateInvalid);
    Store(item, QString::asprintf("%02d-%02d-%04d", date.day, date.month, date.year), true);
    return Result(Commit::Stored);
}

}  // namespace

CharDecision AcceptEditChar(const TNvDescriptorItem& item, const QString& before, QChar ch,
                            const QString& after, const QLocale& locale) {
    if (ch == kBackspace) return Decide(Decision::Accept);
    if (ch == kEnter || ch == kTab) return Decide(Decision::MoveNext);
    if (ch.unicode() >= 32)
        if (auto problem = Cp1251Problem(QString(ch))) return Decide(Decision::Drop, {}, *problem);
    const ValueType type = TypeOf(item);
    if (IsIntegerKind(type))
        return Decide(ch >= u'0' && ch <= u'9' ? Decision::Accept : Decision::Drop);
    if (type == ValueType::Float) return FloatChar(before, ch, after, locale);
    if (type == ValueType::Date)
        return Decide(IsDatePrefix(Candidate(before, ch, after)) ? Decision::Accept : Decision::Drop);
    return Decide(Decision::Accept);
}

TypedText TypeIntoEditor(const TNvDescriptorItem& item, const QString& typed,
                         const QLocale& locale) {
    TypedText result;
    QString& text = result.text;
    for (QChar ch : typed) {
        const CharDecision decision = AcceptEditChar(item, text, ch, QString(), locale);
        if (result.refusal.isEmpty()) result.refusal = decision.reason;
        switch (decision.kind) {
            case Decision::Accept:
                if (ch == kBackspace)
                    text.chop(1);
                else
                    text += ch;
                break;
            case Decision::Replace: text += decision.replacement; break;
            case Decision::Drop:
            case Decision::MoveNext: break;
        }
    }
    return result;
}

CommitResult CommitEditValue(TNvDescriptorItem& item, const QString& text,
                             const QLocale& locale) {
    const ValueType type = TypeOf(item);
    const bool takesText =
        IsIntegerKind(type) || type == ValueType::Float || IsTextKind(type) || type == ValueType::Date;
    if (!takesText) return Result(Commit::NotStored);
    if (auto problem = Cp1251Problem(text)) return Result(Commit::Refused, *problem);
    const QString trimmed = TrimControl(text);
    if (IsIntegerKind(type)) {
        Store(item, trimmed, !trimmed.isEmpty());
    } else if (type == ValueType::Float) {
        const bool number = !text.isEmpty() && ParseLocaleFloat(trimmed, locale).has_value();
        Store(item, number ? trimmed : QString(), number);
    } else if (IsTextKind(type)) {
        item.SetAttr(kValue, trimmed);
        if (!trimmed.isEmpty()) item.SetAttr(kDefine, QStringLiteral("1"));
    } else {
        return CommitDate(item, text);
    }
    return Result(Commit::Stored);
}

CommitResult CommitMemoValue(TNvDescriptorItem& item, const QString& text) {
    // The memo is closed either way, so its item's value is shown again.
    item.SetAttr(QStringLiteral("edited"), QStringLiteral("0"));
    if (auto problem = Cp1251Problem(text)) return Result(Commit::Refused, *problem);
    const QString trimmed = TrimControl(text);
    item.SetAttr(kValue, trimmed);
    if (!trimmed.isEmpty()) item.SetAttr(kDefine, QStringLiteral("1"));
    return Result(Commit::Stored);
}
