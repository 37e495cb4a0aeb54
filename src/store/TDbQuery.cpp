#include "TDbQuery.h"

#include "EngineError.h"
#include "FolderSession.h"

#include <algorithm>

TDbQuery::TDbQuery(QString databaseName) : DatabaseName(std::move(databaseName)) {}

QString TDbQuery::Statement() const { return SQL.join(u' '); }

void TDbQuery::Open() {
    Close();
    QueryResult result = FolderSession::For(DatabaseName)->Query(Statement());
    columns_ = result.columns;
    rows_ = std::move(result.rows);
    SetFieldNames(columns_);
    current_ = 0;
    active_ = true;
    Notify();
}

void TDbQuery::Close() {
    if (!active_ && rows_.empty()) return;
    active_ = false;
    rows_.clear();
    columns_.clear();
    ClearFields();
    current_ = 0;
    Notify();
}

int TDbQuery::ExecSQL() {
    Close();
    return FolderSession::For(DatabaseName)->Execute(Statement());
}

int TDbQuery::RecNo() const { return rows_.empty() ? 0 : std::min<int>(current_, RecordCount() - 1) + 1; }

void TDbQuery::SetRecNo(int recNo) {
    if (rows_.empty()) return;
    current_ = std::clamp(recNo, 1, RecordCount()) - 1;
    Notify();
}

void TDbQuery::First() {
    current_ = 0;
    Notify();
}

void TDbQuery::Next() {
    if (current_ < static_cast<int>(rows_.size())) ++current_;
    Notify();
}

bool TDbQuery::Eof() const { return current_ >= static_cast<int>(rows_.size()); }

void TDbQuery::Refresh() {
    const int keep = RecNo();
    Open();
    if (keep > 0) SetRecNo(keep);
}

QVariant TDbQuery::CurrentValue(int column) const {
    if (Eof()) {
        if (rows_.empty()) return QVariant();
        return ValueAt(RecordCount() - 1, column);
    }
    return ValueAt(current_, column);
}

void TDbQuery::SetCurrentValue(int, const QVariant&) {
    throw EngineError(QStringLiteral("the result of a query cannot be changed"));
}

QVariant TDbQuery::ValueAt(int row, int column) const {
    if (row < 0 || row >= RecordCount() || column < 0 || column >= columns_.size()) return QVariant();
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int TDbQuery::Subscribe(Listener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void TDbQuery::Unsubscribe(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [id](const auto& l) { return l.first == id; }),
                     listeners_.end());
}

void TDbQuery::Notify() {
    const auto copy = listeners_;
    for (const auto& l : copy) l.second();
}
