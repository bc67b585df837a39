#include "engine/core/string_pool.h"

#include <cstring>

StringPool* g_string_pool = nullptr;

StringPoolBlock* StringPool::new_block(uint32_t capacity) {
    auto* block = static_cast<StringPoolBlock*>(mem_alloc(sizeof(StringPoolBlock) + capacity));
    block->capacity = capacity;
    block->used = 0;
    blocks_.push(block);
    return block;
}

const char* StringPool::add(const char* text) {
    size_t length = std::strlen(text) + 1;
    StringPoolBlock* target = nullptr;
    if (length >= kBlockText) {
        target = new_block(uint32_t(length));
    } else {
        for (StringPoolBlock* block : blocks_) {
            if (block->used + length < block->capacity) {
                target = block;
                break;
            }
        }
        if (!target) target = new_block(kBlockText);
    }
    char* copy = target->text() + target->used;
    std::memcpy(copy, text, length);
    target->used += uint32_t(length);
    return copy;
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
