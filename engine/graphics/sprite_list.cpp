#include "engine/graphics/sprite_list.h"

#include <cstdlib>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"

int32_t SpriteList::add(Sprite* sprite, int32_t a, int32_t b, int32_t c, int32_t d) {
    entries_.push_back({sprite, {a, b, c, d}});
    return int32_t(entries_.size() - 1);
}

void SpriteList::remove_at(int32_t index) {
    if (index >= 0 && index < count()) entries_.erase(entries_.begin() + index);
}

void SpriteList::set_flags(uint32_t mask) {
    for (Entry& e : entries_) e.sprite->set_flags(mask);
}

void SpriteList::clear_flags(uint32_t mask) {
    for (Entry& e : entries_) e.sprite->clear_flags(mask);
}

void SpriteList::set_alpha(int32_t a) {
    for (Entry& e : entries_) e.sprite->set_alpha(a);
}

int32_t SpriteList::add_alpha(int32_t d) {
    int32_t any = 0;
    for (Entry& e : entries_) any |= e.sprite->add_alpha(d);
    return any;
}

// The point and the bounds are placed by the group that owns exclude (its
// scroll offset and position); without one, by nothing.
bool SpriteList::hits_rectangle(const Sprite& s, int32_t x, int32_t y, const Sprite* exclude) const {
    Point offset, position;
    if (exclude && exclude->group) {
        offset = exclude->group->offset();
        position = exclude->group->position();
    }
    int32_t px = x + offset.x, py = y + offset.y;
    int32_t ox = position.x + offset.x, oy = position.y + offset.y;
    if (s.flags & HIT_OPAQUE) return s.contains_opaque_point(px, py, ox, oy);
    return s.contains_point(px, py, ox, oy);
}

Sprite* SpriteList::hit_test(int32_t x, int32_t y, const Sprite* exclude) const {
    for (int32_t i = count() - 1; i >= 0; --i) {
        Sprite* s = entries_[size_t(i)].sprite;
        if (!s || s == exclude || !(s->flags & (HIT_DIAMOND | HIT_RECT))) continue;
        if (std::abs(int64_t(s->x) - x) >= int64_t(s->frame_width) + 20 ||
            std::abs(int64_t(s->y) - y) >= int64_t(s->frame_height) + 20)
            continue;
        if (s->flags & HIT_DIAMOND) {
            int64_t half = s->frame_width / 2;
            int64_t dx = half - x + s->x, dy = s->frame_height / 2 - y + s->y;
            if (std::abs(dx) + std::abs(dy) < half) return s;
        } else if (hits_rectangle(*s, x, y, exclude)) {
            return s;
        }
    }
    return nullptr;
}

Sprite* SpriteList::hit_test_bounds(int32_t x, int32_t y, const Sprite* exclude) const {
    for (int32_t i = count() - 1; i >= 0; --i) {
        Sprite* s = entries_[size_t(i)].sprite;
        if (!s || s == exclude || !(s->flags & (HIT_DIAMOND | HIT_RECT))) continue;
        if (hits_rectangle(*s, x, y, exclude)) return s;
    }
    return nullptr;
}
