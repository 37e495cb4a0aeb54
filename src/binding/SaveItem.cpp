#include "binding/SaveItem.h"

#include "EngineError.h"
#include "MainTable.h"
#include "binding/SqlValues.h"
#include "binding/ValueKinds.h"

#include <QRegularExpression>

#include <optional>

namespace {

using Status = SaveOutcome::Status;

SaveOutcome Refusal(const QString& message) {
    return {Status::Refused, {}, message};
}

QString NotOfForm(const QString& value, const QString& field, const char16_t* form) {
    return QStringLiteral("Значение «%1» поля %2 не записано: это не %3.")
        .arg(value, field, QStringView(form));
}

// dd-mm-yyyy as the date editor writes it, to 'yyyy-mm-dd'.
std::optional<QString> SqlDate(const QString& value) {
    static const QRegularExpression kDate(QStringLiteral("^([0-9]{2})-([0-9]{2})-([0-9]{4})$"));
    const QRegularExpressionMatch m = kDate.match(value);
    if (!m.hasMatch()) return std::nullopt;
    return u'\'' + m.captured(3) + u'-' + m.captured(2) + u'-' + m.captured(1) + u'\'';
}

// The right-hand side of the assignment, or why there is none.
std::optional<QString> Assigned(ValueType type, const TNvDescriptorItem& item,
                                const QLocale& locale, QString& refusal) {
    const QString field = item.GetAttr(QStringLiteral("field"));
    const QString value = item.GetAttr(QStringLiteral("value"));
    const bool defined = item.GetAttrInt(QStringLiteral("define")) != 0;
    const QString empty = QString::number(EmptyNumber);
    std::optional<QString> literal;
    switch (type) {
        case ValueType::Int:
            if (!defined) return empty;
            literal = SqlIntegerLiteral(value);
            if (!literal) refusal = NotOfForm(value, field, u"целое число");
            return literal;
        case ValueType::Float:
            if (!defined) return empty;
            literal = SqlFloatLiteral(value, locale);
            if (!literal) refusal = NotOfForm(value, field, u"число");
            return literal;
        case ValueType::Char:
        case ValueType::Text:
        case ValueType::RefGroup:
            if (auto problem = Cp1251Problem(value)) {
                refusal = *problem;
                return std::nullopt;
            }
            return SqlText(value);
        case ValueType::Ref:
        case ValueType::Bool:
            // No choice yet is position 0; a bare "=" would not be a statement.
            if (value.isEmpty()) return QStringLiteral("0");
            literal = SqlIntegerLiteral(value);
            if (!literal) refusal = NotOfForm(value, field, u"целое число");
            return literal;
        case ValueType::Date:
            if (!defined) return QStringLiteral("'0000-00-00'");
            literal = SqlDate(value);
            if (!literal) refusal = NotOfForm(value, field, u"дата вида дд-мм-гггг");
            return literal;
        default:
            return std::nullopt;
    }
}

}  // namespace

SaveOutcome PrepareSave(const TNvDescriptorItem& item, int number, const QLocale& locale) {
    const ValueType type = TypeCode(item.GetAttr(QStringLiteral("type")));
    QString refusal;
    const std::optional<QString> assigned = Assigned(type, item, locale, refusal);
    if (!refusal.isEmpty()) return Refusal(refusal);
    if (!assigned) return {};
    const QString statement = QStringLiteral("update ") + SqlName(item.GetAttr(QStringLiteral("db"))) +
                              QStringLiteral(" set ") + SqlName(item.GetAttr(QStringLiteral("field"))) +
                              u'=' + *assigned + QStringLiteral(" where code=") +
                              QString::number(number);
    return {Status::Written, statement, {}};
}

SaveOutcome SaveItem(TFolderDB& db, const TNvDescriptorItem& item, int number,
                     const QLocale& locale) {
    SaveOutcome outcome = PrepareSave(item, number, locale);
    if (outcome.status != Status::Written) return outcome;
    try {
        if (db.Execute(outcome.statement) == 0) {
            outcome.status = Status::Failed;
            outcome.message = QStringLiteral("Протокол №%1 не найден: значение не записано.")
                                  .arg(number);
        }
    } catch (const EngineError& e) {
        outcome.status = Status::Failed;
        outcome.message = e.message();
    }
    return outcome;
}
