#pragma once

#include "TDbQuery.h"

// Binds a view (the register grid) to a query: whoever shows the rows listens here and
// is told whenever the query's rows change, including every later result set of the query.
class TDataSource {
public:
    TDataSource() = default;
    ~TDataSource() { SetDataSet(nullptr); }
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TDbQuery* DataSet() const { return dataSet_; }
    void SetDataSet(TDbQuery* query);

    // The view's callback; called after every change of the rows.
    void SetOnDataChange(TDbQuery::Listener listener);

private:
    void Fire();

    TDbQuery* dataSet_ = nullptr;
    int subscription_ = 0;
    TDbQuery::Listener onChange_;
};
