#pragma once

#include "DbfTable.h"

#include <QByteArray>
#include <QHashFunctions>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Record numbers by the value of one column, so that "where code=N" is a lookup, not a scan.
// Kept in memory; the owner rebuilds it when the table's generation moves on without it.
class EqualityIndex {
public:
    EqualityIndex(int field, bool numeric) : field_(field), numeric_(numeric) {}

    int field() const { return field_; }
    bool numeric() const { return numeric_; }
    uint64_t generation = 0;
    bool built = false;

    void Build(dbf::DbfTable& table);
    void Add(const dbf::DbfValue& value, uint32_t record);
    void Remove(const dbf::DbfValue& value, uint32_t record);
    // Records whose value equals key (a number for numeric columns, UTF-8 text otherwise).
    const std::vector<uint32_t>* Find(const dbf::DbfValue& key) const;

private:
    bool KeyOf(const dbf::DbfValue& v, double& number, QByteArray& text) const;

    int field_;
    bool numeric_;
    std::unordered_map<double, std::vector<uint32_t>> numbers_;
    struct BytesHash {
        size_t operator()(const QByteArray& b) const { return qHash(b); }
    };
    std::unordered_map<QByteArray, std::vector<uint32_t>, BytesHash> texts_;
};
