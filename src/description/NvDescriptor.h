#pragma once

#include "description/NvChain.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TNvDescriptor;

// One item of a description tree. A tag item (in a root list or a group's children) has the
// label as Name, an empty Value and its attributes in Attributes; it is a group when it has
// Children. An attribute item (in an Attributes list) is a name/value pair.
//
// Every item appended to a list of a tree gets an Id, unique in that tree and never reused, by
// which the tree's root finds it again in constant time (TNvDescriptor::ItemById).
class TNvDescriptorItem : public TNvChainItem {
  public:
    // With a list, allocate it with new: the list owns it from then on (see
    // TNvDescriptor::AddItem). Without a list the item is free and owned by the caller.
    explicit TNvDescriptorItem(TNvDescriptor* list, const QString& name = {},
                               const QString& value = {});
    ~TNvDescriptorItem();

    TNvDescriptor* Holder() const;
    TNvDescriptorItem* Next() const {
        return static_cast<TNvDescriptorItem*>(TNvChainItem::Next());
    }
    TNvDescriptorItem* Prev() const {
        return static_cast<TNvDescriptorItem*>(TNvChainItem::Prev());
    }

    // Made on first use: most attribute items never get attributes of their own.
    TNvDescriptor& Attributes() const;
    TNvDescriptor* Children() const { return children_.get(); }
    // The children list, created empty on first use; this makes the item a group.
    TNvDescriptor& EnsureChildren();

    // 0 for an item that belongs to no tree.
    int32_t Id() const { return id_; }

    const QString& GetValue() const { return Value; }
    void SetValue(const QString& text) { Value = text; }

    // Attribute lookups ignore letter case (Cyrillic too). A missing attribute reads as empty
    // text, and as 0 through GetAttrInt, as does text that is not a decimal integer.
    QString GetAttr(const QString& name) const;
    int32_t GetAttrInt(const QString& name) const;
    // Replaces the value of an existing attribute (its name and place stay as first written),
    // otherwise appends a new one.
    void SetAttr(const QString& name, const QString& text);

    // The next item in pre-order: first child, else next sibling, else the next sibling of the
    // nearest enclosing group; null at the end of the tree.
    TNvDescriptorItem* NextInTree() const;

    QString Name;
    QString Value;

  private:
    void DestroyDescendants();

    mutable std::unique_ptr<TNvDescriptor> attributes_;
    std::unique_ptr<TNvDescriptor> children_;
    int32_t id_ = 0;
};

// A list of items: a tree's root (Kind 0), the children of a group (1) or an item's attributes
// (2). Lists of kinds 1 and 2 are made by their owning item.
class TNvDescriptor : public TNvChainHolder {
  public:
    enum ListKind : uint8_t { RootList = 0, ChildList = 1, AttributeList = 2 };

    // A stand-alone list: the root of its own tree, without an owner.
    explicit TNvDescriptor(uint8_t kind = RootList);
    ~TNvDescriptor() override;

    TNvDescriptorItem* First() const;
    TNvDescriptorItem* Last() const;
    TNvDescriptorItem* ItemAt(int32_t index) const override;

    // The item that holds this list as Children or Attributes; null for a root.
    TNvDescriptorItem* Owner() const { return owner_; }
    uint8_t Kind() const { return kind_; }

    // Appends a new item owned by this list.
    TNvDescriptorItem& AddItem(const QString& name, const QString& value = {});

    // First item whose Name equals name, letter case ignored; null when none does.
    TNvDescriptorItem* Find(const QString& name) const;

    // Items from First on along NextInTree. For a root that is its whole tree in pre-order,
    // attributes excluded; from a nested list the walk runs on to the end of the enclosing tree.
    int32_t CountItems() const;
    // fn(item, number) for each of those items in order; fn must not destroy the item it gets.
    void ForEachItem(const std::function<void(TNvDescriptorItem*, int32_t)>& fn, int32_t number);

    // The live item of this list's tree with that Id, or null (never issued, or destroyed).
    TNvDescriptorItem* ItemById(int32_t id) const;

  private:
    friend class TNvDescriptorItem;

    TNvDescriptor(uint8_t kind, TNvDescriptorItem* owner, TNvDescriptor* root);

    int32_t Register(TNvDescriptorItem* item);
    void Forget(int32_t id);

    TNvDescriptorItem* owner_ = nullptr;
    // The list at the top of this list's tree; null inside an item that belongs to no tree.
    TNvDescriptor* root_ = nullptr;
    uint8_t kind_ = RootList;
    // Only in a root: items by Id (slot 0 unused); destroyed items leave a null slot.
    std::vector<TNvDescriptorItem*> byId_;
};
