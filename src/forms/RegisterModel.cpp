#include "RegisterModel.h"

#include "TDataSource.h"

RegisterModel::RegisterModel(QObject* parent) : QAbstractTableModel(parent) {}

RegisterModel::~RegisterModel() { Unbind(); }

void RegisterModel::Bind(TDataSource& source) {
    Unbind();
    source_ = &source;
    source_->SetOnDataChange([this] { DataChanged(); });
    DataChanged();
}

void RegisterModel::Unbind() {
    if (source_ == nullptr) return;
    source_->SetOnDataChange(nullptr);
    source_ = nullptr;
    beginResetModel();
    endResetModel();
}

TDbQuery* RegisterModel::Query() const { return source_ ? source_->DataSet() : nullptr; }

void RegisterModel::DataChanged() {
    if (moving_) return;
    beginResetModel();
    if (const TDbQuery* query = Query(); query && query->FieldCount() > 0) {
        titles_.clear();
        for (int i = 0; i < query->FieldCount(); ++i) titles_ << query->Fields(i).DisplayLabel;
    }
    endResetModel();
    if (const TDbQuery* query = Query(); query && query->RecordCount() > 0) emit CursorMoved(query->RecNo() - 1);
}

void RegisterModel::TitlesChanged() {
    if (const TDbQuery* query = Query(); query && query->FieldCount() == titles_.size()) {
        for (int i = 0; i < query->FieldCount(); ++i) titles_[i] = query->Fields(i).DisplayLabel;
    }
    if (!titles_.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(titles_.size()) - 1);
}

void RegisterModel::MoveCursor(int row) {
    TDbQuery* query = Query();
    if (query == nullptr || row < 0 || row >= query->RecordCount() || query->RecNo() == row + 1) return;
    moving_ = true;
    query->SetRecNo(row + 1);
    moving_ = false;
}

int RegisterModel::rowCount(const QModelIndex& parent) const {
    const TDbQuery* query = Query();
    return parent.isValid() || query == nullptr ? 0 : query->RecordCount();
}

int RegisterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
    const TDbQuery* query = Query();
    if (query == nullptr || !index.isValid() || index.column() >= query->FieldCount()) return {};
    const QVariant value = query->ValueAt(index.row(), index.column());
    const bool number = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
                        value.typeId() == QMetaType::Double;
    switch (role) {
    case Qt::DisplayRole:
        if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
        return value.toString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size()) return {};
    if (role == Qt::DisplayRole) return titles_.at(section);
    return {};
}
