#include "binding/RowText.h"

QString HeadingRowText(const TNvDescriptorItem& group) {
    return u'+' + QString::number(group.Id());
}

QString ItemRowText(const TNvDescriptorItem& item) {
    return QString::number(item.Id());
}

bool IsHeadingRow(const QString& text) {
    return text.startsWith(u'+');
}

TNvDescriptorItem* ItemOfRow(const TNvDescriptor& tree, const QString& text) {
    const QStringView number = IsHeadingRow(text) ? QStringView(text).sliced(1) : QStringView(text);
    bool ok = false;
    const int id = number.toInt(&ok);
    TNvDescriptorItem* item = ok ? tree.ItemById(id) : nullptr;
    // Attribute items have Ids too, but no row ever names one.
    if (item && item->Holder()->Kind() == TNvDescriptor::AttributeList) return nullptr;
    return item;
}
