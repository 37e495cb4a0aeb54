#include "binding/InputTypes.h"

#include "binding/ValueKinds.h"

namespace {

bool IsCustomInput(const TNvDescriptorItem& item) {
    return InputKind(item.GetAttr(QStringLiteral("input"))) == InputKindCode::Custom;
}

// GetAttrInt("define") != 0, without converting the two texts nearly every item holds: the
// lists ask every item this on every rebuild.
bool DefineIsSet(const TNvDescriptorItem& item) {
    const QString define = item.GetAttr(QStringLiteral("define"));
    if (define == u"1") return true;
    if (define.isEmpty() || define == u"0") return false;
    return item.GetAttrInt(QStringLiteral("define")) != 0;
}

}  // namespace

void InputTypeRegistry::Register(const QString& name, InputTypeEntry entry) {
    for (auto& [existing, slot] : entries_) {
        if (QString::compare(existing, name, Qt::CaseInsensitive) == 0) {
            slot = std::move(entry);
            return;
        }
    }
    entries_.emplace_back(name, std::move(entry));
}

const InputTypeEntry* InputTypeRegistry::Find(const QString& name) const {
    for (const auto& [existing, entry] : entries_)
        if (QString::compare(existing, name, Qt::CaseInsensitive) == 0) return &entry;
    return nullptr;
}

const InputTypeEntry* CustomHandler(const InputTypeRegistry& registry,
                                    const TNvDescriptorItem& item) {
    return registry.Find(item.GetAttr(QStringLiteral("inputtype")));
}

int CustomData(const InputTypeRegistry& registry, const TNvDescriptorItem& item) {
    const InputTypeEntry* entry = CustomHandler(registry, item);
    return entry ? entry->data : 0;
}

bool IsDefined(const InputTypeRegistry& registry, const TNvDescriptorItem& item) {
    if (!IsCustomInput(item)) return DefineIsSet(item);
    const InputTypeEntry* entry = CustomHandler(registry, item);
    return entry && entry->define && entry->define(item, entry->data);
}

QString DisplayText(const InputTypeRegistry& registry, const TNvDescriptorItem& item) {
    if (!IsCustomInput(item)) return item.GetAttr(QStringLiteral("value"));
    const InputTypeEntry* entry = CustomHandler(registry, item);
    return entry && entry->view ? entry->view(item, entry->data) : QString();
}
