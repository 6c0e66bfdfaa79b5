#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// A fixed number of slots filled in turn: once full, each new value takes
// the place of the oldest. It allocates once, when made, so a long run at
// any rate keeps the same memory.
template <typename T>
class Ring {
public:
    explicit Ring(size_t capacity)
        : slots_(capacity)
    {
    }

    size_t capacity() const { return slots_.size(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    void push(T value)
    {
        slots_[slot(size_)] = std::move(value);
        if (size_ < slots_.size())
            ++size_;
        else
            first_ = slot(1);
    }

    // The values from the oldest (0) to the newest (size() - 1).
    const T &operator[](size_t index) const { return slots_[slot(index)]; }
    T &back() { return slots_[slot(size_ - 1)]; }
    const T &back() const { return (*this)[size_ - 1]; }

    void clear()
    {
        first_ = 0;
        size_ = 0;
    }

private:
    // Where the value `index` places from the oldest goes, for an index up
    // to the capacity; without a division, as plots read every value.
    size_t slot(size_t index) const
    {
        const size_t at = first_ + index;
        return at < slots_.size() ? at : at - slots_.size();
    }

    std::vector<T> slots_;
    size_t first_ = 0;
    size_t size_ = 0;
};
