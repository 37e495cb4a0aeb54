#include "EqualityIndex.h"

#include <algorithm>

bool EqualityIndex::KeyOf(const dbf::DbfValue& v, double& number, QByteArray& text) const {
    using K = dbf::DbfValue::Kind;
    if (numeric_) {
        if (v.kind == K::Integer) number = static_cast<double>(v.integer);
        else if (v.kind == K::Real) number = v.real;
        else return false;
        if (number == 0.0) number = 0.0;  // one key for -0 and +0
        return true;
    }
    if (v.kind != K::Text) return false;
    text = v.bytes;
    return true;
}

void EqualityIndex::Build(dbf::DbfTable& table) {
    numbers_.clear();
    texts_.clear();
    const uint32_t count = table.recordCount();
    for (uint32_t r = 0; r < count; ++r) {
        const char* rec = table.record(r);
        if (dbf::DbfTable::isDeleted(rec)) continue;
        Add(table.value(rec, field_), r);
    }
    generation = table.generation();
    built = true;
}

void EqualityIndex::Add(const dbf::DbfValue& value, uint32_t record) {
    double n = 0;
    QByteArray t;
    if (!KeyOf(value, n, t)) return;
    if (numeric_) numbers_[n].push_back(record);
    else texts_[t].push_back(record);
}

void EqualityIndex::Remove(const dbf::DbfValue& value, uint32_t record) {
    double n = 0;
    QByteArray t;
    if (!KeyOf(value, n, t)) return;
    auto erase = [record](auto& map, const auto& key) {
        auto it = map.find(key);
        if (it == map.end()) return;
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), record), v.end());
        if (v.empty()) map.erase(it);
    };
    if (numeric_) erase(numbers_, n);
    else erase(texts_, t);
}

const std::vector<uint32_t>* EqualityIndex::Find(const dbf::DbfValue& key) const {
    double n = 0;
    QByteArray t;
    if (!KeyOf(key, n, t)) return nullptr;
    if (numeric_) {
        auto it = numbers_.find(n);
        return it == numbers_.end() ? nullptr : &it->second;
    }
    auto it = texts_.find(t);
    return it == texts_.end() ? nullptr : &it->second;
}
