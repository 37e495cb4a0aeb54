#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class TDataSource;
class TDbQuery;

// The register grid's rows: a view over the query behind a data source, bound once. Every later
// result set of that query shows through the same binding; the rows are read from the query,
// never copied. The query's cursor and the grid's current row follow each other: a cursor the
// query moved itself is announced by CursorMoved, and MoveCursor moves the query's.
class RegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RegisterModel(QObject* parent = nullptr);
    ~RegisterModel() override;

    void Bind(TDataSource& source);
    // Forgets the data source; to be called before the source goes away.
    void Unbind();

    // The fields' display labels changed (the window sets the column titles).
    void TitlesChanged();
    // Makes row (from 0) the query's current row.
    void MoveCursor(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The query's current row (from 0) after it changed its rows or moved by itself.
    void CursorMoved(int row);

private:
    TDbQuery* Query() const;
    void DataChanged();

    TDataSource* source_ = nullptr;
    QStringList titles_;  // kept while the query is closed, so the header stays
    bool moving_ = false;
};
