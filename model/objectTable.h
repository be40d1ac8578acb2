// A table of owned device objects whose capacity is fixed when it is made: filled from
// position 0 without gaps, and never written beyond its capacity.
#ifndef QVL_OBJECTTABLE_H
#define QVL_OBJECTTABLE_H

#include <memory>
#include <vector>

template <class T> class TObjectTable {
public:
    TObjectTable() = default;
    explicit TObjectTable(int capacity) : items_(capacity > 0 ? capacity : 0) {}
    TObjectTable(const TObjectTable &) = delete;
    TObjectTable &operator=(const TObjectTable &) = delete;
    TObjectTable(TObjectTable &&) = default;
    TObjectTable &operator=(TObjectTable &&) = default;

    int Capacity() const { return static_cast<int>(items_.size()); }
    int Count() const { return count_; }
    bool Full() const { return count_ >= Capacity(); }
    // The object at a position, or none at and beyond the count.
    T *operator[](int index) const { return index >= 0 && index < count_ ? items_[index].get() : nullptr; }
    // Takes the object at the next position; a full table refuses it (and it is destroyed).
    T *Add(std::unique_ptr<T> object)
    {
        if (!object || Full())
            return nullptr;
        items_[count_] = std::move(object);
        return items_[count_++].get();
    }
    void Clear()
    {
        for (auto &item : items_)
            item.reset();
        count_ = 0;
    }

private:
    std::vector<std::unique_ptr<T>> items_;
    int count_ = 0;
};

#endif
