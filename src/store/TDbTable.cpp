#include "TDbTable.h"

#include "DbfError.h"
#include "DbfTable.h"
#include "EngineError.h"

#include <QDir>
#include <QFileInfo>

namespace {

QVariant ToVariant(const dbf::DbfValue& v) {
    switch (v.kind) {
        case dbf::DbfValue::Kind::Integer: return QVariant(static_cast<qlonglong>(v.integer));
        case dbf::DbfValue::Kind::Real: return QVariant(v.real);
        case dbf::DbfValue::Kind::Text: return QVariant(QString::fromUtf8(v.bytes));
        case dbf::DbfValue::Kind::Blob: return QVariant(v.bytes);
        default: return QVariant();
    }
}

dbf::DbfValue FromVariant(const QVariant& v) {
    if (v.isNull()) return dbf::DbfValue::null();
    switch (v.typeId()) {
        case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt:
        case QMetaType::ULongLong: case QMetaType::Bool:
            return dbf::DbfValue::fromInteger(v.toLongLong());
        case QMetaType::Double: case QMetaType::Float: return dbf::DbfValue::fromReal(v.toDouble());
        case QMetaType::QByteArray: return dbf::DbfValue::fromBlob(v.toByteArray());
        default: return dbf::DbfValue::fromText(v.toString().toUtf8());
    }
}

// Holds a lock for one operation; the table file is never left locked between calls.
class LockGuard {
public:
    LockGuard(dbf::DbfTable& t, dbf::DbfTable::Lock level) : t_(t) { t_.lock(level); }
    ~LockGuard() { t_.unlock(); }

private:
    dbf::DbfTable& t_;
};

}  // namespace

void TDbConnection::SetConnected(bool connected) {
    if (connected && !QFileInfo(ConnectString).isDir())
        throw EngineError(QStringLiteral("the folder \"%1\" does not exist").arg(ConnectString));
    connected_ = connected;
}

TDbTable::TDbTable(TDbConnection& connection, QString tableName)
    : connection_(connection), tableName_(std::move(tableName)) {}

TDbTable::~TDbTable() = default;

QString TDbTable::FilePath() const {
    QString wanted = tableName_;
    if (!wanted.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive)) wanted += QStringLiteral(".dbf");
    const QDir dir(connection_.ConnectString);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(name);
    return dir.filePath(wanted);
}

void TDbTable::Open() {
    Close();
    try {
        auto table = dbf::DbfTable::open(FilePath(), dbf::DbfTable::Access::ReadOnly);
        LockGuard lock(*table, dbf::DbfTable::Lock::Shared);
        table->reloadIfChanged();
        QStringList names;
        for (const auto& f : table->fields()) names << f.name;
        SetFieldNames(names);
        const uint32_t count = table->recordCount();
        for (uint32_t r = 0; r < count; ++r) {
            const char* rec = table->record(r);
            if (dbf::DbfTable::isDeleted(rec)) continue;
            std::vector<QVariant> row;
            for (int f = 0; f < static_cast<int>(table->fields().size()); ++f)
                row.push_back(ToVariant(table->value(rec, f)));
            rows_.push_back(std::move(row));
        }
    } catch (const dbf::DbfError& e) {
        rows_.clear();
        ClearFields();
        throw EngineError(e.message());
    }
    active_ = true;
    current_ = 0;
}

void TDbTable::Close() {
    active_ = false;
    appending_ = false;
    rows_.clear();
    pending_.clear();
    current_ = 0;
}

void TDbTable::First() { current_ = 0; }

void TDbTable::Next() {
    if (current_ < rows_.size()) ++current_;
}

bool TDbTable::Eof() const { return current_ >= rows_.size(); }

bool TDbTable::Locate(const QString& field, const QVariant& value) {
    TDbField* f = FindField(field);
    if (f == nullptr) throw EngineError(QStringLiteral("Field '%1' not found").arg(field));
    for (size_t r = 0; r < rows_.size(); ++r) {
        const QVariant& v = rows_[r][static_cast<size_t>(f->Index())];
        const bool equal = value.typeId() == QMetaType::QString || v.typeId() == QMetaType::QString
                               ? v.toString() == value.toString()
                               : v == value;
        if (equal && !v.isNull()) {
            current_ = r;
            return true;
        }
    }
    return false;
}

void TDbTable::Append() {
    if (!active_) throw EngineError(QStringLiteral("%1: the table is not open").arg(tableName_));
    appending_ = true;
    pending_.assign(static_cast<size_t>(FieldCount()), QVariant());
}

void TDbTable::Cancel() {
    appending_ = false;
    pending_.clear();
}

void TDbTable::Post() {
    if (!appending_) return;
    try {
        auto table = dbf::DbfTable::open(FilePath(), dbf::DbfTable::Access::ReadWrite);
        LockGuard lock(*table, dbf::DbfTable::Lock::Exclusive);
        table->reloadIfChanged();
        QByteArray rec = table->blankRecord();
        for (size_t i = 0; i < pending_.size() && i < table->fields().size(); ++i)
            if (!pending_[i].isNull()) table->setValue(rec, static_cast<int>(i), FromVariant(pending_[i]));
        table->append(rec);
        table->flush(true);
    } catch (const dbf::DbfError& e) {
        throw EngineError(e.message());
    }
    rows_.push_back(pending_);
    current_ = rows_.size() - 1;
    appending_ = false;
    pending_.clear();
}

QVariant TDbTable::CurrentValue(int column) const {
    if (appending_) return pending_.at(static_cast<size_t>(column));
    if (current_ >= rows_.size()) return QVariant();
    return rows_[current_].at(static_cast<size_t>(column));
}

void TDbTable::SetCurrentValue(int column, const QVariant& value) {
    if (!appending_) throw EngineError(QStringLiteral("%1: a field can be set only while appending").arg(tableName_));
    pending_.at(static_cast<size_t>(column)) = value;
}
