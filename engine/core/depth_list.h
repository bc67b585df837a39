// A PtrArray whose slots carry a depth and stay sorted by it, the order in
// which layers and drawables are drawn. Depths compare as unsigned 32-bit
// numbers, so a negative depth sorts after every non-negative one, and an
// element always goes after the elements of equal depth.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/core/ptr_array.h"

template <typename T>
class DepthList {
public:
    struct Entry {
        T* element;
        uint32_t depth;
    };

    explicit DepthList(bool owns = true) : owns_(owns) {}
    ~DepthList() {
        delete_all();
        mem_free(entries_);
    }

    DepthList(const DepthList&) = delete;
    DepthList& operator=(const DepthList&) = delete;

    int32_t count() const { return count_; }
    int32_t capacity() const { return capacity_; }
    bool owns() const { return owns_; }
    void set_owns(bool owns) { owns_ = owns; }
    bool empty() const { return count_ == 0; }

    T* operator[](int32_t index) const { return entries_[index].element; }
    uint32_t depth(int32_t index) const { return entries_[index].depth; }
    const Entry* begin() const { return entries_; }
    const Entry* end() const { return entries_ + count_; }

    // Inserts after every element of a lower or equal depth; returns the
    // index it landed at. Rising depths append without a search.
    int32_t insert(T* element, uint32_t depth) {
        if (count_ + 1 > capacity_) grow();
        int32_t index = count_;
        if (count_ > 0 && depth < entries_[count_ - 1].depth) {
            index = first_deeper_than(depth);
            std::memmove(entries_ + index + 1, entries_ + index,
                         sizeof(Entry) * size_t(count_ - index));
        }
        entries_[index] = {element, depth};
        ++count_;
        return index;
    }

    // 1 when the element was found and taken out (not deleted), 0 otherwise.
    int32_t remove(const T* element) {
        for (int32_t i = 0; i < count_; ++i) {
            if (entries_[i].element != element) continue;
            std::memmove(entries_ + i, entries_ + i + 1, sizeof(Entry) * size_t(count_ - i - 1));
            --count_;
            return 1;
        }
        return 0;
    }

    void delete_all() {
        int32_t n = count_;
        count_ = 0;
        if (owns_)
            for (int32_t i = 0; i < n; ++i)
                if (entries_[i].element) ElementDestroyer<T>::destroy(entries_[i].element);
    }

private:
    int32_t first_deeper_than(uint32_t depth) const {
        int32_t low = 0, high = count_;
        while (low < high) {
            int32_t mid = low + (high - low) / 2;
            if (entries_[mid].depth > depth)
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    }

    void grow() {
        capacity_ = grown_capacity(capacity_);
        entries_ = static_cast<Entry*>(mem_realloc(entries_, sizeof(Entry) * size_t(capacity_)));
    }

    Entry* entries_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    bool owns_ = true;
};
