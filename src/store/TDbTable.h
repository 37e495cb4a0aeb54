#pragma once

#include "TDbDataSet.h"

#include <QString>
#include <memory>
#include <vector>

// A connection in local mode: only names the folder whose tables it opens.
class TDbConnection {
public:
    QString ConnectString;  // the folder
    // Checks that the folder exists; throws EngineError otherwise.
    void SetConnected(bool connected);
    bool Connected() const { return connected_; }

private:
    bool connected_ = false;
};

// One table file walked in natural (file) order, directly on the codec. Open reads the
// live records (deleted ones are skipped); Append + field assignment + Post adds one.
class TDbTable : public TDbDataSet {
public:
    // tableName: a file name with or without ".dbf", matched ignoring letter case.
    TDbTable(TDbConnection& connection, QString tableName);
    ~TDbTable() override;

    void Open();  // throws EngineError naming the file
    void Close();
    bool Active() const { return active_; }

    int RecordCount() const { return static_cast<int>(rows_.size()); }
    void First();
    void Next();
    bool Eof() const;

    // Moves to the first row whose field equals value exactly; false (and the current row
    // unchanged) when there is none.
    bool Locate(const QString& field, const QVariant& value);

    // Starts a new row with every field blank; fields are then assigned, and Post writes
    // the row to the file durably. Throws EngineError.
    void Append();
    void Post();
    void Cancel();

    QVariant CurrentValue(int column) const override;
    void SetCurrentValue(int column, const QVariant& value) override;

private:
    QString FilePath() const;

    TDbConnection& connection_;
    QString tableName_;
    bool active_ = false;
    bool appending_ = false;
    size_t current_ = 0;
    std::vector<std::vector<QVariant>> rows_;
    std::vector<QVariant> pending_;
};
