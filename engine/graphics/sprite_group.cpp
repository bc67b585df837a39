#include "engine/graphics/sprite_group.h"

#include <algorithm>

#include "engine/blit/sprite_blitters.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"

namespace {

using SpriteBlitter = void (*)(const BlitTarget&, Sprite&, const BlitView&);

// The blitter for a sprite on screen: by its scaling bits, with the plain
// blitter wherever scaling would change nothing; null draws nothing.
SpriteBlitter screen_blitter(const Sprite& s) {
    const bool centred = (s.flags & GRAB_MASK) == GRAB_CENTER;
    switch (s.flags & RZ_MASK) {
        case 0: return blit_sprite;
        case RZ_ZOOMED: return s.zoom == 1024 && centred ? blit_sprite : blit_sprite_zoomed;
        case RZ_ROTOZOOMED:
            return s.zoom == 1024 && s.rotation == 0 && centred ? blit_sprite : blit_sprite_rotozoomed;
        case RZ_HQZOOMED: return s.zoom == 1024 && centred ? blit_sprite : blit_sprite_hq_zoomed;
        default: return nullptr;
    }
}

// The blitter for drawing into a picture: no filtered zoom there.
SpriteBlitter picture_blitter(const Sprite& s) {
    switch (s.flags & RZ_MASK) {
        case 0: return blit_sprite;
        case RZ_ZOOMED: return blit_sprite_zoomed;
        case RZ_ROTOZOOMED: return blit_sprite_rotozoomed;
        default: return nullptr;
    }
}

// The picture of dst as a blit target, and its area within the given rectangle.
bool picture_target(Sprite* dst, Rect wanted, BlitTarget& target, BlitView& view) {
    Bitmap* picture = dst ? dst->bitmap() : nullptr;
    if (!picture) return false;
    target = {reinterpret_cast<uint8_t*>(picture->pixels.data()), 0, picture->width * 2};
    view = {wanted.intersect({0, 0, picture->width, picture->height}), Point{}};
    return !view.clip.empty();
}

}  // namespace

SpriteGroup::SpriteGroup() { flags_ = kInvalidateOnOffset | kFollowLayerSize | kFollowLayerOffset; }

SpriteGroup::~SpriteGroup() {
    for (const auto& entry : sprites_) entry.element->group = nullptr;
    sprites_.delete_all();
}

void SpriteGroup::place(Sprite* s, int32_t x, int32_t y, int32_t depth, int32_t phase, uint32_t set,
                        uint32_t clear) {
    s->x = x;
    s->y = y;
    s->depth = depth;
    if (phase != 0) s->set_phase(phase);
    s->flags = (s->flags | set) & ~clear;
    s->group = this;
    sprites_.insert(s, uint32_t(depth));
}

Sprite* SpriteGroup::create_sprite(std::u16string_view name, int32_t x, int32_t y, int32_t depth, int32_t phase,
                                   uint32_t set, uint32_t clear) {
    auto* s = new Sprite;
    s->load(name, 1);
    place(s, x, y, depth, phase, set, clear);
    s->changed = 1;
    return s;
}

Sprite* SpriteGroup::create_bitmap_sprite(std::u16string_view name, int32_t x, int32_t y, int32_t depth) {
    auto* s = new Sprite;
    s->init_from_bitmap(name, x, y, depth, 0);
    if (s->bitmap() && s->bitmap()->has_alpha()) {
        s->flags |= ALPHA_PIXEL;
        s->def->default_flags |= ALPHA_PIXEL;
    }
    place(s, x, y, depth, 0, 0, 0);
    s->changed = 1;
    return s;
}

Sprite* SpriteGroup::create_shared_sprite(const Sprite& other, int32_t x, int32_t y, int32_t depth, int32_t phase,
                                          uint32_t set, uint32_t clear) {
    auto* s = new Sprite(other);
    place(s, x, y, depth, phase, set, clear);
    s->changed = 1;
    return s;
}

void SpriteGroup::add_sprite(Sprite* s, int32_t x, int32_t y, int32_t depth, int32_t phase, uint32_t set,
                             uint32_t clear) {
    place(s, x, y, depth, phase, set, clear);
    invalidate_sprite(s);
}

void SpriteGroup::remove_sprite(Sprite* s) {
    if (!s) return;
    invalidate_sprite(s);
    sprites_.remove(s);
    s->group = nullptr;
    delete s;
}

void SpriteGroup::remove_all() {
    while (!sprites_.empty()) remove_sprite(sprites_[0]);
}

void SpriteGroup::remove_list(SpriteList* list) {
    if (!list) return;
    for (int32_t i = list->count() - 1; i >= 0; --i) {
        Sprite* s = list->sprite(i);
        list->remove_at(i);
        if (s && s->group == this) remove_sprite(s);
    }
    delete list;
}

int32_t SpriteGroup::remove_entry(Sprite* s) {
    if (!sprites_.remove(s)) return 0;
    s->group = nullptr;
    return 1;
}

void SpriteGroup::clear() {
    if (sprites_.count() < 20) {
        for (const auto& entry : sprites_) invalidate_sprite(entry.element);
    } else {
        invalidate();
    }
    for (const auto& entry : sprites_) entry.element->group = nullptr;
    sprites_.delete_all();
}

void SpriteGroup::set_alpha(int32_t a) {
    for (const auto& entry : sprites_)
        if (entry.element->flags & ALPHA_AUTO) entry.element->set_alpha(a);
    group_alpha_ = a & 0xFF;
}

int32_t SpriteGroup::add_alpha(int32_t d) {
    group_alpha_ = std::clamp(group_alpha_ + d, 0, 32);
    int32_t any = 0;
    for (const auto& entry : sprites_)
        if (entry.element->flags & ALPHA_AUTO) any |= entry.element->add_alpha(d);
    return any;
}

void SpriteGroup::set_all_flags(uint32_t mask) {
    for (const auto& entry : sprites_) entry.element->set_flags(mask);
}

void SpriteGroup::set_sprite_phase(Sprite* s, int32_t p) {
    if (s->phase == p) return;
    s->set_phase(p);
    invalidate_sprite(s);
}

void SpriteGroup::report(Sprite* s) {
    Point shift = origin_shift();
    if (Layer* l = layer()) l->invalidate_rect(s->bounds(shift.x, shift.y));
}

void SpriteGroup::invalidate_sprite(Sprite* s) {
    if (dirty_) return;  // the whole group is reported this frame already
    report(s);
}

void SpriteGroup::move_to_depth(Sprite* s) {
    if (sprites_.remove(s)) sprites_.insert(s, uint32_t(s->depth));
}

void SpriteGroup::flush_dirty() {
    if (dirty_) {
        dirty_ = false;
        for (const auto& entry : sprites_) entry.element->changed = 0;
        return;
    }
    for (const auto& entry : sprites_) {
        if (!entry.element->changed) continue;
        report(entry.element);
        entry.element->changed = 0;
    }
}

void SpriteGroup::draw(const DrawTarget& target) {
    BlitView view{bounds().intersect(target.clip), origin_shift()};
    if (view.clip.empty()) return;
    BlitTarget to = blit_target_of(target);
    for (const auto& entry : sprites_) {
        Sprite& s = *entry.element;
        if ((s.flags & INVISIBLE) || ((s.flags & ALPHA_LAYER) && s.alpha == 0)) continue;
        if (SpriteBlitter blit = screen_blitter(s)) blit(to, s, view);
    }
}

void SpriteGroup::draw_into_sprite(Sprite* dst, int32_t x, int32_t y, int32_t w, int32_t h) {
    BlitTarget target;
    BlitView view;
    if (!picture_target(dst, {x, y, x + w, y + h}, target, view)) return;
    for (const auto& entry : sprites_)
        if (SpriteBlitter blit = picture_blitter(*entry.element)) blit(target, *entry.element, view);
}

void draw_sprite_into_sprite(Sprite* dst, Sprite* src) {
    BlitTarget target;
    BlitView view;
    if (!src || !picture_target(dst, {0, 0, dst->frame_width, dst->frame_height}, target, view)) return;
    if (SpriteBlitter blit = picture_blitter(*src)) blit(target, *src, view);
}
