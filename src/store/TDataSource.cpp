#include "TDataSource.h"

void TDataSource::SetDataSet(TDbQuery* query) {
    if (dataSet_ != nullptr) dataSet_->Unsubscribe(subscription_);
    dataSet_ = query;
    subscription_ = 0;
    if (dataSet_ != nullptr) subscription_ = dataSet_->Subscribe([this] { Fire(); });
    Fire();
}

void TDataSource::SetOnDataChange(TDbQuery::Listener listener) { onChange_ = std::move(listener); }

void TDataSource::Fire() {
    if (onChange_) onChange_();
}
