#include "description/NvChain.h"

TNvChainItem::TNvChainItem(TNvChainHolder* list) : holder_(list) {
    if (list) list->Append(this);
}

TNvChainItem::~TNvChainItem() {
    if (holder_) holder_->Unlink(this);
}

TNvChainHolder::~TNvChainHolder() {
    Clear();
}

void TNvChainHolder::Clear() {
    while (last_) destroy_(last_);  // each destruction unlinks, moving last_ back
}

TNvChainItem* TNvChainHolder::ItemAt(int32_t index) const {
    if (index >= count_) return nullptr;
    TNvChainItem* element = first_;
    for (int32_t i = 0; i < index; ++i) element = element->next_;
    return element;
}

void TNvChainHolder::Append(TNvChainItem* element) {
    if (!element) return;
    element->prev_ = last_;
    element->next_ = nullptr;
    if (last_)
        last_->next_ = element;
    else
        first_ = element;
    last_ = element;
    ++count_;
}

void TNvChainHolder::Unlink(TNvChainItem* element) {
    if (element->next_)
        element->next_->prev_ = element->prev_;
    else
        last_ = element->prev_;
    if (element->prev_)
        element->prev_->next_ = element->next_;
    else
        first_ = element->next_;
    element->holder_ = nullptr;
    element->next_ = element->prev_ = nullptr;
    --count_;
}
