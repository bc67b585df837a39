// Growable array of pointers, the engine's everyday collection. The element
// type decides only how an element is destroyed when an owning array clears
// itself: objects derived from PoolObject are deleted (so a virtual
// destructor picks the right class), anything else is destroyed in place and
// its block handed back to the pool. Specialise ElementDestroyer for other
// rules.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/core/memory_pool.h"

template <typename T>
struct ElementDestroyer {
    static void destroy(T* element) {
        if constexpr (std::is_base_of_v<PoolObject, T>) {
            delete element;
        } else {
            if constexpr (!std::is_trivially_destructible_v<T>) element->~T();
            mem_free(const_cast<std::remove_const_t<T>*>(element));
        }
    }
};

// Growth shared by PtrArray and DepthList: a quarter more plus two, so an
// empty array holds 2, then 4, 7, 10, 14, 19 ...
inline int32_t grown_capacity(int32_t capacity) { return capacity + capacity / 4 + 2; }

template <typename T>
class PtrArray {
public:
    explicit PtrArray(bool owns = true) : owns_(owns) {}
    ~PtrArray() {
        delete_all();
        mem_free(items_);
    }

    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;
    PtrArray(PtrArray&& other) noexcept { take(other); }
    PtrArray& operator=(PtrArray&& other) noexcept {
        if (this != &other) {
            delete_all();
            mem_free(items_);
            take(other);
        }
        return *this;
    }

    int32_t count() const { return count_; }
    int32_t capacity() const { return capacity_; }
    bool owns() const { return owns_; }
    void set_owns(bool owns) { owns_ = owns; }
    bool empty() const { return count_ == 0; }

    T* operator[](int32_t index) const { return items_[index]; }
    T* at(int32_t index) const {
        return index >= 0 && index < count_ ? items_[index] : nullptr;
    }
    T** begin() const { return items_; }
    T** end() const { return items_ + count_; }

    // Stores the element at the end; returns its index.
    int32_t push(T* element) {
        if (count_ + 1 > capacity_) grow();
        items_[count_] = element;
        return count_++;
    }

    T* append(T* element) {
        push(element);
        return element;
    }

    // Takes the first slot holding this pointer out of the array without
    // deleting the element. 1 when found, 0 when absent.
    int32_t remove(const T* element) {
        int32_t index = index_of(element);
        if (index < 0) return 0;
        remove_at(index);
        return 1;
    }

    // Closes the gap at the index; returns the new count. Nothing is deleted.
    int32_t remove_at(int32_t index) {
        std::memmove(items_ + index, items_ + index + 1,
                     sizeof(T*) * size_t(count_ - index - 1));
        return --count_;
    }

    // As remove_at, but an owning array destroys the element first.
    int32_t erase_at(int32_t index) {
        if (owns_ && items_[index]) ElementDestroyer<T>::destroy(items_[index]);
        return remove_at(index);
    }

    int32_t index_of(const T* element) const {
        for (int32_t i = 0; i < count_; ++i)
            if (items_[i] == element) return i;
        return -1;
    }

    // Empties the array; an owning array frees every element's block without
    // running a destructor. The slots are kept for reuse.
    void free_all() {
        if (owns_)
            for (int32_t i = 0; i < count_; ++i)
                if (items_[i]) mem_free(const_cast<std::remove_const_t<T>*>(items_[i]));
        count_ = 0;
    }

    // Empties the array; an owning array destroys every element. The slots
    // are kept for reuse.
    void delete_all() {
        // Reset the count first: a destructor may look at its owner.
        int32_t n = count_;
        count_ = 0;
        if (owns_)
            for (int32_t i = 0; i < n; ++i)
                if (items_[i]) ElementDestroyer<T>::destroy(items_[i]);
    }

private:
    void grow() {
        capacity_ = grown_capacity(capacity_);
        items_ = static_cast<T**>(mem_realloc(items_, sizeof(T*) * size_t(capacity_)));
    }

    void take(PtrArray& other) {
        items_ = std::exchange(other.items_, nullptr);
        count_ = std::exchange(other.count_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        owns_ = other.owns_;
    }

    T** items_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    bool owns_ = true;
};
