// A non-owning list of sprites that a screen keeps beside a group, to change
// a subset in bulk and to find the sprite under the stylus.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/memory_pool.h"

class Sprite;

class SpriteList : public PoolObject {
public:
    struct Entry {
        Sprite* sprite;
        int32_t words[4];  // the caller's own data
    };

    // Appends an entry; returns its index.
    int32_t add(Sprite* sprite, int32_t a = 0, int32_t b = 0, int32_t c = 0, int32_t d = 0);
    void remove_at(int32_t index);
    int32_t count() const { return int32_t(entries_.size()); }
    Sprite* sprite(int32_t index) const { return entries_[size_t(index)].sprite; }
    const Entry& entry(int32_t index) const { return entries_[size_t(index)]; }

    void set_flags(uint32_t mask);
    void clear_flags(uint32_t mask);
    void set_alpha(int32_t a);
    int32_t add_alpha(int32_t d);

    // The last listed sprite (other than exclude) that takes hits and lies
    // under x, y: by a diamond inside its frame (HIT_DIAMOND), else by its
    // rectangle (HIT_RECT, with HIT_OPAQUE only on an opaque pixel). Null
    // when none.
    Sprite* hit_test(int32_t x, int32_t y, const Sprite* exclude) const;
    // The same by rectangles only, without the nearness test.
    Sprite* hit_test_bounds(int32_t x, int32_t y, const Sprite* exclude) const;

private:
    bool hits_rectangle(const Sprite& s, int32_t x, int32_t y, const Sprite* exclude) const;

    std::vector<Entry> entries_;
};
