#include "description/NvValues.h"

TNvValue::TNvValue(TNvValues* list, int32_t type, const QString& name)
    : TNvChainItem(list), Type(type), Name(name) {}

TNvValues* TNvValue::Holder() const {
    return static_cast<TNvValues*>(TNvChainItem::Holder());
}

TNvValues::TNvValues()
    : TNvChainHolder([](TNvChainItem* element) { delete static_cast<TNvValue*>(element); }) {}

TNvValue* TNvValues::ItemAt(int32_t index) const {
    return static_cast<TNvValue*>(TNvChainHolder::ItemAt(index));
}

TNvValue& TNvValues::AddValue(int32_t type, const QString& name) {
    return *new TNvValue(this, type, name);
}

TNvValue* TNvValues::Find(const QString& name) const {
    for (TNvValue* value = First(); value; value = value->Next())
        if (QString::compare(value->Name, name, Qt::CaseInsensitive) == 0) return value;
    return nullptr;
}
