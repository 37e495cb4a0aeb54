#pragma once

#include "description/NvChain.h"

#include <QString>

#include <cstdint>

class TNvValues;

// A named value element; the entry window keeps its picture catalogue in these (Type 4).
class TNvValue : public TNvChainItem {
  public:
    // With a list, allocate it with new: the list owns it from then on (see TNvValues::AddValue).
    TNvValue(TNvValues* list, int32_t type, const QString& name);
    ~TNvValue() = default;

    TNvValues* Holder() const;
    TNvValue* Next() const { return static_cast<TNvValue*>(TNvChainItem::Next()); }
    TNvValue* Prev() const { return static_cast<TNvValue*>(TNvChainItem::Prev()); }

    int32_t Type = 0;
    QString Name;
    // Not owned: whoever stores a picture here frees it before the list goes away.
    void* Picture = nullptr;
};

class TNvValues : public TNvChainHolder {
  public:
    TNvValues();
    ~TNvValues() override = default;

    TNvValue* First() const { return static_cast<TNvValue*>(TNvChainHolder::First()); }
    TNvValue* Last() const { return static_cast<TNvValue*>(TNvChainHolder::Last()); }
    TNvValue* ItemAt(int32_t index) const override;

    // Appends a new element owned by this list.
    TNvValue& AddValue(int32_t type, const QString& name);

    // First element whose Name equals name, letter case ignored; null when none does.
    TNvValue* Find(const QString& name) const;
};
