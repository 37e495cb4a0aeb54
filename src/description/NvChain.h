#pragma once

#include <cstdint>

class TNvChainHolder;

// An element of an intrusive doubly linked list. An element made with a list is linked at its
// end and owned by it; destroying an element unlinks it. Only the typed subclasses are created
// and destroyed, so the destructor is protected and there are no virtual functions.
class TNvChainItem {
  public:
    TNvChainItem(const TNvChainItem&) = delete;
    TNvChainItem& operator=(const TNvChainItem&) = delete;

    TNvChainHolder* Holder() const { return holder_; }
    TNvChainItem* Next() const { return next_; }
    TNvChainItem* Prev() const { return prev_; }

  protected:
    // With a list the element is appended to it; without one it is free (no holder, no links).
    explicit TNvChainItem(TNvChainHolder* list = nullptr);
    ~TNvChainItem();

  private:
    friend class TNvChainHolder;

    TNvChainHolder* holder_ = nullptr;
    TNvChainItem* next_ = nullptr;
    TNvChainItem* prev_ = nullptr;
};

// The owning list. Appending is O(1) (the last element is kept); ItemAt walks from First.
class TNvChainHolder {
  public:
    virtual ~TNvChainHolder();
    TNvChainHolder(const TNvChainHolder&) = delete;
    TNvChainHolder& operator=(const TNvChainHolder&) = delete;

    TNvChainItem* First() const { return first_; }
    TNvChainItem* Last() const { return last_; }
    int32_t Count() const { return count_; }

    // Destroys every element, last to first.
    void Clear();

    // The element index steps after First; First for a negative index, null from Count on.
    virtual TNvChainItem* ItemAt(int32_t index) const;

  protected:
    // Destroys one element through its real type (the elements have no virtual destructor).
    using Destroyer = void (*)(TNvChainItem*);
    explicit TNvChainHolder(Destroyer destroy) : destroy_(destroy) {}

  private:
    friend class TNvChainItem;

    // Only an element's constructor appends, after setting its Holder.
    void Append(TNvChainItem* element);
    void Unlink(TNvChainItem* element);

    TNvChainItem* first_ = nullptr;
    TNvChainItem* last_ = nullptr;
    int32_t count_ = 0;
    Destroyer destroy_;
};
