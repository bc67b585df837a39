#include "game/effects/effect_sprite_copy.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "engine/blit/blit_modes.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_object.h"

bool group_holds(const SpriteGroup* group, const Sprite* sprite) {
    if (!group || !sprite) return false;
    for (const auto& entry : group->sprites())
        if (entry.element == sprite) return true;
    return false;
}

SpriteGroup* copy_group(const EffectTarget& target) {
    if (target.sprite && target.sprite->group) return target.sprite->group;
    return target.scene ? target.scene : target.layer;
}

FrameView current_frame(const Sprite& sprite) {
    FrameView view;
    const Bitmap* picture = sprite.bitmap();
    if (!picture || picture->width <= 0 || sprite.frame_offset < 0) return view;
    const int64_t rows_left = (int64_t(picture->pixels.size()) - sprite.frame_offset) / picture->width;
    if (rows_left <= 0) return view;
    view.pixels = picture->pixels.data() + sprite.frame_offset;
    view.stride = picture->width;
    view.size = {std::clamp(sprite.frame_width, 0, picture->width),
                 int32_t(std::clamp<int64_t>(sprite.frame_height, 0, rows_left))};
    return view;
}

FrameView frame_of(const Sprite& sprite, int32_t phase) {
    FrameView view = current_frame(sprite);
    const SpriteDef* def = sprite.def;
    if (view.empty() || !def || def->frame_height <= 0 || phase < 0 || phase >= def->frame_count()) return view;
    const int64_t offset = int64_t(def->bitmap->width) * def->frame_height * phase;
    const int64_t rows_left = (int64_t(def->bitmap->pixels.size()) - offset) / def->bitmap->width;
    view.pixels = std::as_const(def->bitmap->pixels).data() + offset;  // read only
    view.size.height = int32_t(std::min<int64_t>(view.size.height, rows_left));
    return view;
}

FrameKey frame_key(const Sprite& sprite) {
    return {sprite.bitmap(), sprite.frame_offset, {sprite.frame_width, sprite.frame_height}};
}

Point frame_top_left(const Sprite& sprite) {
    const WideRect placed = anchored_rect(sprite.x, sprite.y, sprite.frame_width, sprite.frame_height, sprite.flags);
    return {int32_t(placed.left), int32_t(placed.top)};
}

int32_t luminance565(uint16_t pixel) {
    const int32_t red = pixel >> 11, green = (pixel >> 5) & 0x3F, blue = pixel & 0x1F;
    return (green * 59 + red * 60 + blue * 22) / 25;
}

uint16_t luminance_color(int32_t luminance, int32_t color) {
    const int32_t l = std::clamp(luminance, 0, 255);
    switch (color) {
        case 1: return pack_channels565(l >> 3, 0, 0);
        case 2: return pack_channels565(0, l >> 2, 0);
        default: return pack_channels565(l >> 3, l >> 2, l >> 3);
    }
}

// --- the target ---------------------------------------------------------------------------

namespace {

// The look a sprite had before the first of the effects that change it
// began, and how many such effects still hold it: several effects may hide
// one fighter at once, and it comes back only when the last of them goes,
// as it was before the first.
struct HeldLook {
    int32_t alpha;
    uint32_t flags;
    int32_t holders;
};
std::unordered_map<const Sprite*, HeldLook>& held_looks() {
    static std::unordered_map<const Sprite*, HeldLook> looks;
    return looks;
}

constexpr uint32_t kChangedBits = ALPHA_LAYER | INVISIBLE;

}  // namespace

TargetLook::TargetLook(Sprite* sprite) : sprite_(sprite), group_(sprite ? sprite->group : nullptr) {
    if (!sprite_) return;
    const auto held = held_looks().find(sprite_);
    alpha_ = held != held_looks().end() ? held->second.alpha : sprite_->alpha;
    flags_ = held != held_looks().end() ? held->second.flags : sprite_->flags;
}

TargetLook::~TargetLook() { restore(); }

Sprite* TargetLook::get() const {
    if (!sprite_) return nullptr;
    // A target outside any group stays the caller's to keep alive.
    if (!group_) return sprite_;
    return group_holds(group_, sprite_) ? sprite_ : nullptr;
}

void TargetLook::hold() {
    if (changed_) return;
    changed_ = true;
    auto [held, added] = held_looks().try_emplace(sprite_, HeldLook{alpha_, flags_, 0});
    ++held->second.holders;
}

void TargetLook::set_alpha(int32_t alpha) {
    Sprite* sprite = get();
    if (!sprite) return;
    hold();
    if ((sprite->flags & ALPHA_LAYER) == 0) sprite->set_flags(ALPHA_LAYER);
    sprite->set_alpha(alpha);
}

void TargetLook::set_hidden(bool hidden) {
    Sprite* sprite = get();
    if (!sprite) return;
    hold();
    sprite->set_visible(hidden ? 0 : 1);
}

void TargetLook::restore() {
    if (!changed_) return;
    changed_ = false;
    const auto held = held_looks().find(sprite_);
    if (held == held_looks().end() || --held->second.holders > 0) return;
    held_looks().erase(held);
    Sprite* sprite = get();
    if (!sprite) return;
    sprite->invalidate();
    sprite->flags = (sprite->flags & ~kChangedBits) | (flags_ & kChangedBits);
    sprite->alpha = alpha_;
}

// --- the effect's own sprites -------------------------------------------------------------

OwnSprite::OwnSprite(OwnSprite&& other) noexcept : sprite_(other.sprite_), group_(other.group_) {
    other.sprite_ = nullptr;
    other.group_ = nullptr;
}

OwnSprite& OwnSprite::operator=(OwnSprite&& other) noexcept {
    if (this == &other) return *this;
    remove();
    sprite_ = other.sprite_;
    group_ = other.group_;
    other.sprite_ = nullptr;
    other.group_ = nullptr;
    return *this;
}

bool OwnSprite::create(SpriteGroup* group, Size size, Point place, int32_t depth, uint32_t flags, int32_t alpha) {
    remove();
    if (!group) return false;
    auto* sprite = new Sprite;
    sprite->create_blank(size.width, size.height);
    clear_picture(*sprite->bitmap());
    sprite->assign_flags(flags | ALPHA_LAYER | TRANS_COLOR);
    sprite->alpha = std::clamp(alpha, 0, 32);
    group->add_sprite(sprite, place.x, place.y, depth, 0, 0, 0);
    sprite_ = sprite;
    group_ = group;
    return true;
}

void OwnSprite::adopt(SpriteGroup* group, Sprite* sprite) {
    remove();
    group_ = group;
    sprite_ = sprite;
}

void OwnSprite::resize(Size size) {
    Sprite* sprite = get();
    if (!sprite) return;
    Bitmap* picture = sprite->bitmap();
    size = {std::max(size.width, 1), std::max(size.height, 1)};
    if (picture->width == size.width && picture->height == size.height) return;
    sprite->changed = 0;  // the old rectangle, at the old size
    sprite->invalidate();
    picture->width = size.width;
    picture->height = size.height;
    picture->pixels.assign(size_t(size.width) * size_t(size.height), kColorKey);
    picture->alpha.clear();
    sprite->def->frame_height = size.height;
    sprite->frame_width = size.width;
    sprite->frame_height = size.height;
    sprite->frame_offset = 0;
    sprite->phase = 0;
}

void OwnSprite::remove() {
    if (sprite_ && group_holds(group_, sprite_)) group_->remove_sprite(sprite_);
    sprite_ = nullptr;
    group_ = nullptr;
}

Sprite* OwnSprite::get() const { return group_holds(group_, sprite_) ? sprite_ : nullptr; }

Bitmap* OwnSprite::picture() const {
    Sprite* sprite = get();
    return sprite ? sprite->bitmap() : nullptr;
}

void OwnSprite::changed() const {
    if (Sprite* sprite = get()) {
        sprite->changed = 0;
        sprite->invalidate();
    }
}

void clear_picture(Bitmap& picture) { std::fill(picture.pixels.begin(), picture.pixels.end(), kColorKey); }
