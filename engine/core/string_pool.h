// Immutable narrow strings copied into 16 KB blocks. The story readers hand
// the strings of their records to the global pool, where they live until the
// game ends; nothing is ever freed one string at a time. Main thread only.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/core/ptr_array.h"

struct StringPoolBlock {
    uint32_t capacity;  // bytes of text the block holds
    uint32_t used;      // bytes of text given out
    char* text() { return reinterpret_cast<char*>(this + 1); }
    const char* text() const { return reinterpret_cast<const char*>(this + 1); }
};

class StringPool : public PoolObject {
public:
    static constexpr uint32_t kBlockText = 16384;

    // A pooled copy of the text. A string that fills a block or more gets a
    // block of its own, sized to it.
    const char* add(const char* text);
    // The pooled copy of an equal text given by `intern` before, else a new
    // one. Records read again (people and triggers come back with every
    // visit to their level) so keep the pool to the texts the story has.
    const char* intern(const char* text);

    // Whether `text` points into one of the blocks.
    bool holds(const char* text) const;

    int32_t block_count() const { return blocks_.count(); }
    const StringPoolBlock* block(int32_t index) const { return blocks_[index]; }

private:
    StringPoolBlock* new_block(uint32_t capacity);
    // The first block with more than `length` bytes free, or -1.
    int32_t first_block_with_room(uint32_t length) const;
    void note_room(int32_t index);

    PtrArray<StringPoolBlock> blocks_;
    // Free bytes of the blocks as a max-tree (leaves from leaves_ on), so the
    // first block a string fits is found without visiting every block.
    std::vector<uint32_t> room_;
    int32_t leaves_ = 0;
    std::unordered_set<std::string_view> interned_;
};

extern StringPool* g_string_pool;

void string_pool_create();
void string_pool_destroy();
// Moves a mem_alloc'd string into the global pool and frees the original.
// Null gives null.
const char* string_pool_adopt(char* text);
