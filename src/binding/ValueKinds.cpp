#include "binding/ValueKinds.h"

#include <array>
#include <utility>

namespace {

// Case folding keeps the length of these Latin words, so the length is checked first: every
// item is asked its type and input several times while a protocol opens.
bool SameWord(const QString& a, const char16_t* b) {
    const QStringView word(b);
    return a.size() == word.size() && QString::compare(a, word, Qt::CaseInsensitive) == 0;
}

}  // namespace

ValueType TypeCode(const QString& text) {
    static constexpr std::array<std::pair<const char16_t*, ValueType>, 12> kWords{{
        {u"null", ValueType::Int},        {u"int", ValueType::Int},
        {u"float", ValueType::Float},     {u"double", ValueType::Float},
        {u"char", ValueType::Char},       {u"text", ValueType::Text},
        {u"ref", ValueType::Ref},         {u"date", ValueType::Date},
        {u"refgroup", ValueType::RefGroup}, {u"group", ValueType::Group},
        {u"bool", ValueType::Bool},       {u"custom", ValueType::Custom},
    }};
    for (const auto& [word, code] : kWords)
        if (SameWord(text, word)) return code;
    return ValueType::None;  // "none" and every other text
}

InputKindCode InputKind(const QString& text) {
    static constexpr std::array<std::pair<const char16_t*, InputKindCode>, 7> kWords{{
        {u"edit", InputKindCode::Edit},
        {u"checkbox", InputKindCode::Checkbox},
        {u"radio", InputKindCode::Radio},
        {u"group", InputKindCode::Group},
        {u"memo", InputKindCode::Memo},
        {u"checkgroup", InputKindCode::CheckGroup},
        {u"custom", InputKindCode::Custom},
    }};
    for (const auto& [word, code] : kWords)
        if (SameWord(text, word)) return code;
    return InputKindCode::None;
}

QString RefTableName(const QString& text) {
    return text.isEmpty() ? QStringLiteral("reference") : text;
}
