#pragma once

#include "TDbDataSet.h"

#include <QStringList>
#include <functional>
#include <vector>

// A statement and, for a SELECT, its materialised rows. The folder named by DatabaseName is
// the database: every *.dbf file in it is a table named by its file name without extension.
class TDbQuery : public TDbDataSet {
public:
    explicit TDbQuery(QString databaseName = {});

    QString DatabaseName;
    QStringList SQL;  // the statement; its lines are joined with a blank

    // Runs the SELECT and keeps its rows; the cursor is on the first row. Throws EngineError;
    // after a failure the query is closed.
    void Open();
    void Close();
    void SetActive(bool active) { active ? Open() : Close(); }
    bool Active() const { return active_; }

    // Runs a statement that returns no rows; returns the number of rows it changed.
    int ExecSQL();

    int RecordCount() const { return static_cast<int>(rows_.size()); }
    // The current row, counted from 1; 0 when there are no rows.
    int RecNo() const;
    void SetRecNo(int recNo);
    void First();
    void Next();
    bool Eof() const;
    // Runs the statement again; the row number stays where it was (or the last row).
    void Refresh();

    QVariant CurrentValue(int column) const override;
    void SetCurrentValue(int column, const QVariant& value) override;
    // Direct access for views over the rows.
    QVariant ValueAt(int row, int column) const;

    // Called after every change of the rows (open, close, refresh, a new current row);
    // TDataSource subscribes here.
    using Listener = std::function<void()>;
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

private:
    void Notify();
    QString Statement() const;

    bool active_ = false;
    int current_ = 0;  // index into rows_, == rows_.size() at end of file
    QStringList columns_;
    std::vector<std::vector<QVariant>> rows_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
};
