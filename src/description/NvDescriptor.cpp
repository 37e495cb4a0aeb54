#include "description/NvDescriptor.h"

#include "proc/Text.h"

namespace {

void DestroyDescriptorItem(TNvChainItem* element) {
    delete static_cast<TNvDescriptorItem*>(element);
}

bool SameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

}  // namespace

// ---- TNvDescriptorItem

TNvDescriptorItem::TNvDescriptorItem(TNvDescriptor* list, const QString& name, const QString& value)
    : TNvChainItem(list), Name(name), Value(value) {
    TNvDescriptor* root = list ? list->root_ : nullptr;
    if (root) id_ = root->Register(this);
}

TNvDescriptor& TNvDescriptorItem::Attributes() const {
    if (!attributes_) {
        TNvDescriptor* root = Holder() ? Holder()->root_ : nullptr;
        attributes_.reset(new TNvDescriptor(TNvDescriptor::AttributeList,
                                            const_cast<TNvDescriptorItem*>(this), root));
    }
    return *attributes_;
}

TNvDescriptorItem::~TNvDescriptorItem() {
    DestroyDescendants();
    if (id_ != 0) Holder()->root_->Forget(id_);
    // The members then destroy the emptied Children and the Attributes, and the base unlinks
    // this item.
}

// Post-order, each list last to first, without recursion: groups may nest as deep as a text has
// lines. Every item deleted here is a leaf, so its own destructor does not come back here.
void TNvDescriptorItem::DestroyDescendants() {
    TNvDescriptorItem* node = this;
    while (true) {
        while (node->children_ && node->children_->Last()) node = node->children_->Last();
        if (node == this) return;
        TNvDescriptorItem* parent = node->Holder()->Owner();
        delete node;
        node = parent;
    }
}

TNvDescriptor* TNvDescriptorItem::Holder() const {
    return static_cast<TNvDescriptor*>(TNvChainItem::Holder());
}

TNvDescriptor& TNvDescriptorItem::EnsureChildren() {
    if (!children_) {
        TNvDescriptor* root = Holder() ? Holder()->root_ : nullptr;
        children_.reset(new TNvDescriptor(TNvDescriptor::ChildList, this, root));
    }
    return *children_;
}

QString TNvDescriptorItem::GetAttr(const QString& name) const {
    if (!attributes_) return QString();
    const TNvDescriptorItem* attribute = attributes_->Find(name);
    return attribute ? attribute->Value : QString();
}

int32_t TNvDescriptorItem::GetAttrInt(const QString& name) const {
    return ParseInt(GetAttr(name)).value_or(0);
}

void TNvDescriptorItem::SetAttr(const QString& name, const QString& text) {
    if (TNvDescriptorItem* attribute = Attributes().Find(name))
        attribute->Value = text;
    else
        attributes_->AddItem(name, text);
}

TNvDescriptorItem* TNvDescriptorItem::NextInTree() const {
    if (children_ && children_->First()) return children_->First();
    const TNvDescriptorItem* node = this;
    while (true) {
        if (node->Next()) return node->Next();
        const TNvDescriptor* list = node->Holder();
        if (!list || list->Kind() == TNvDescriptor::RootList || !list->Owner()) return nullptr;
        node = list->Owner();
    }
}

// ---- TNvDescriptor

TNvDescriptor::TNvDescriptor(uint8_t kind) : TNvDescriptor(kind, nullptr, this) {}

TNvDescriptor::TNvDescriptor(uint8_t kind, TNvDescriptorItem* owner, TNvDescriptor* root)
    : TNvChainHolder(DestroyDescriptorItem), owner_(owner), root_(root), kind_(kind) {}

TNvDescriptor::~TNvDescriptor() {
    Clear();  // here, while byId_ still exists for the items to leave it
}

TNvDescriptorItem* TNvDescriptor::First() const {
    return static_cast<TNvDescriptorItem*>(TNvChainHolder::First());
}

TNvDescriptorItem* TNvDescriptor::Last() const {
    return static_cast<TNvDescriptorItem*>(TNvChainHolder::Last());
}

TNvDescriptorItem* TNvDescriptor::ItemAt(int32_t index) const {
    return static_cast<TNvDescriptorItem*>(TNvChainHolder::ItemAt(index));
}

TNvDescriptorItem& TNvDescriptor::AddItem(const QString& name, const QString& value) {
    return *new TNvDescriptorItem(this, name, value);
}

TNvDescriptorItem* TNvDescriptor::Find(const QString& name) const {
    for (TNvDescriptorItem* item = First(); item; item = item->Next())
        if (SameName(item->Name, name)) return item;
    return nullptr;
}

int32_t TNvDescriptor::CountItems() const {
    int32_t count = 0;
    for (const TNvDescriptorItem* item = First(); item; item = item->NextInTree()) ++count;
    return count;
}

void TNvDescriptor::ForEachItem(const std::function<void(TNvDescriptorItem*, int32_t)>& fn,
                                int32_t number) {
    for (TNvDescriptorItem* item = First(); item; item = item->NextInTree()) fn(item, number);
}

TNvDescriptorItem* TNvDescriptor::ItemById(int32_t id) const {
    if (!root_ || id <= 0 || size_t(id) >= root_->byId_.size()) return nullptr;
    return root_->byId_[size_t(id)];
}

int32_t TNvDescriptor::Register(TNvDescriptorItem* item) {
    if (byId_.empty()) byId_.push_back(nullptr);
    byId_.push_back(item);
    return int32_t(byId_.size() - 1);
}

void TNvDescriptor::Forget(int32_t id) {
    byId_[size_t(id)] = nullptr;
}
