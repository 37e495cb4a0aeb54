#include "TDbDataSet.h"

#include "EngineError.h"

#include <cmath>

bool TDbField::IsNull() const { return owner_->CurrentValue(column_).isNull(); }

QVariant TDbField::Value() const { return owner_->CurrentValue(column_); }

QString TDbField::AsString() const {
    const QVariant v = Value();
    if (v.isNull()) return QString();
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

int TDbField::AsInteger() const {
    const QVariant v = Value();
    if (v.isNull()) return 0;
    switch (v.typeId()) {
        case QMetaType::Double: {
            const double d = std::trunc(v.toDouble());
            if (!(d >= -2147483648.0 && d <= 2147483647.0)) return 0;
            return static_cast<int>(d);
        }
        case QMetaType::QString: {
            bool ok = false;
            const int i = v.toString().trimmed().toInt(&ok);
            if (ok) return i;
            const double d = v.toString().trimmed().toDouble(&ok);
            return ok && d >= -2147483648.0 && d <= 2147483647.0 ? static_cast<int>(d) : 0;
        }
        default: return static_cast<int>(v.toLongLong());
    }
}

double TDbField::AsFloat() const {
    const QVariant v = Value();
    if (v.isNull()) return 0.0;
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toDouble();
    return v.toDouble();
}

void TDbField::SetValue(const QVariant& v) { owner_->SetCurrentValue(column_, v); }

TDbField& TDbDataSet::FieldByName(const QString& name) {
    if (TDbField* f = FindField(name)) return *f;
    throw EngineError(QStringLiteral("Field '%1' not found").arg(name));
}

TDbField* TDbDataSet::FindField(const QString& name) {
    for (TDbField& f : fields_)
        if (f.FieldName.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

void TDbDataSet::SetFieldNames(const QStringList& names) {
    fields_.clear();
    for (int i = 0; i < names.size(); ++i) fields_.emplace_back(*this, i, names.at(i));
}
