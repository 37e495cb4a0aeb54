#pragma once

#include <QString>
#include <QVariant>
#include <deque>

class TDbDataSet;

// One column of a data set's current row. Reading a NULL gives 0, 0.0 or the empty text.
class TDbField {
public:
    TDbField(TDbDataSet& owner, int column, QString name)
        : owner_(&owner), column_(column), FieldName(name), DisplayLabel(std::move(name)) {}

    bool IsNull() const;
    QVariant Value() const;
    QString AsString() const;   // integers in decimal, reals with up to 15 significant digits
    int AsInteger() const;      // reals truncated toward zero, text converted (0 if not a number)
    double AsFloat() const;
    // Assignment, allowed while the owner is appending a row (TDbTable::Append).
    void SetValue(const QVariant& v);
    void SetAsString(const QString& v) { SetValue(v); }
    void SetAsInteger(int v) { SetValue(v); }

    int Index() const { return column_; }

private:
    TDbDataSet* owner_;
    int column_;

public:
    QString FieldName;
    QString DisplayLabel;  // the grid's column title
};

// What TDbQuery and TDbTable share: named fields over a current row.
class TDbDataSet {
public:
    virtual ~TDbDataSet() = default;

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TDbField& Fields(int i) { return fields_.at(static_cast<size_t>(i)); }
    const TDbField& Fields(int i) const { return fields_.at(static_cast<size_t>(i)); }
    // Letter case ignored. FieldByName throws EngineError when there is no such field.
    TDbField& FieldByName(const QString& name);
    TDbField* FindField(const QString& name);

    virtual QVariant CurrentValue(int column) const = 0;
    virtual void SetCurrentValue(int column, const QVariant& value) = 0;

protected:
    void SetFieldNames(const QStringList& names);
    void ClearFields() { fields_.clear(); }

private:
    std::deque<TDbField> fields_;  // deque: references stay valid
};
