#include "RegisterSearch.h"

#include "InputFilters.h"
#include "TFolderDB.h"

namespace {

bool AllDigits(const QString& text) {
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

std::optional<QString> SearchStatement(const SearchFields& fields) {
    const QString head = QStringLiteral("select code, fio from main");
    const QString tail = QStringLiteral(" order by code desc");
    if (!fields.number.isEmpty()) {
        if (!AllDigits(fields.number)) return std::nullopt;
        return head + QStringLiteral(" where code=") + fields.number + tail;
    }
    if (!fields.name.isEmpty() && fields.name != kRussianPrompt) {
        const QString name = SqlQuoted(fields.name);
        if (fields.fragment) return head + QStringLiteral(" where fio like '%") + name + QStringLiteral("%'") + tail;
        return head + QStringLiteral(" where fio='") + name + QStringLiteral("'") + tail;
    }
    return head + tail;
}

QString CountText(int n) {
    if (n < 0) return {};
    const QString number = QString::number(n);
    if (n == 1) return number + QStringLiteral(" протокол");
    if (n >= 2 && n <= 4) return number + QStringLiteral(" протокола");
    return number + QStringLiteral(" протоколов");
}

int CountProtocols(TFolderDB& db) {
    TMyQuerySlot slot;
    db.OpenQuery(QStringLiteral("select count(*) as total from main"), slot, false);
    return slot->Query->FieldByName(QStringLiteral("total")).AsInteger();
}
