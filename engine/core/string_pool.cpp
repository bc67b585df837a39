#include "engine/core/string_pool.h"

#include <algorithm>
#include <cstring>

StringPool* g_string_pool = nullptr;

StringPoolBlock* StringPool::new_block(uint32_t capacity) {
    auto* block = static_cast<StringPoolBlock*>(mem_alloc(sizeof(StringPoolBlock) + capacity));
    block->capacity = capacity;
    block->used = 0;
    int32_t index = blocks_.push(block);
    if (index >= leaves_) {
        // Double the leaves and refill the tree from the blocks.
        leaves_ = leaves_ ? leaves_ * 2 : 16;
        room_.assign(size_t(2 * leaves_), 0);
        for (int32_t i = 0; i < blocks_.count(); ++i) note_room(i);
    } else {
        note_room(index);
    }
    return block;
}

void StringPool::note_room(int32_t index) {
    size_t node = size_t(leaves_ + index);
    room_[node] = blocks_[index]->capacity - blocks_[index]->used;
    for (node /= 2; node >= 1; node /= 2) room_[node] = std::max(room_[2 * node], room_[2 * node + 1]);
}

int32_t StringPool::first_block_with_room(uint32_t length) const {
    if (room_.empty() || room_[1] <= length) return -1;
    size_t node = 1;
    while (node < size_t(leaves_)) node = room_[2 * node] > length ? 2 * node : 2 * node + 1;
    return int32_t(node - size_t(leaves_));
}

const char* StringPool::add(const char* text) {
    size_t length = std::strlen(text) + 1;
    // The first block (in order) where used + length stays below the
    // capacity; a string of a block or more gets a block of its own.
    int32_t index = length >= kBlockText ? -1 : first_block_with_room(uint32_t(length));
    if (index < 0) {
        new_block(std::max<uint32_t>(kBlockText, uint32_t(length)));
        index = blocks_.count() - 1;
    }
    StringPoolBlock* target = blocks_[index];
    char* copy = target->text() + target->used;
    std::memcpy(copy, text, length);
    target->used += uint32_t(length);
    note_room(index);
    return copy;
}

const char* StringPool::intern(const char* text) {
    auto found = interned_.find(text);
    if (found != interned_.end()) return found->data();
    const char* copy = add(text);
    interned_.insert(copy);
    return copy;
}

bool StringPool::holds(const char* text) const {
    for (int32_t i = 0; i < blocks_.count(); ++i) {
        const StringPoolBlock* b = blocks_[i];
        if (text >= b->text() && text < b->text() + b->used) return true;
    }
    return false;
}

void string_pool_create() { g_string_pool = new StringPool; }

void string_pool_destroy() {
    delete g_string_pool;
    g_string_pool = nullptr;
}

const char* string_pool_adopt(char* text) {
    if (!text) return nullptr;
    const char* pooled = g_string_pool->add(text);
    mem_free(text);
    return pooled;
}
