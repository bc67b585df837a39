#include "game/effects/flying_sprite.h"

#include <utility>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"

FlyingSprite::FlyingSprite(SpriteGroup* layer, std::string_view file, uint32_t set_flags, int32_t depth,
                           int32_t alpha) {
    if (!layer) return;
    auto* sprite = new Sprite;
    if (!sprite->load(utf8_to_utf16(file), 0)) {
        delete sprite;
        return;
    }
    layer->add_sprite(sprite, 0, 0, depth, 0, set_flags | ALPHA_LAYER, 0);
    sprite->set_alpha(alpha);
    layer_ = layer;
    sprite_ = sprite;
}

FlyingSprite::FlyingSprite(FlyingSprite&& other) noexcept
    : layer_(std::exchange(other.layer_, nullptr)), sprite_(std::exchange(other.sprite_, nullptr)) {}

FlyingSprite& FlyingSprite::operator=(FlyingSprite&& other) noexcept {
    if (this != &other) {
        remove();
        layer_ = std::exchange(other.layer_, nullptr);
        sprite_ = std::exchange(other.sprite_, nullptr);
    }
    return *this;
}

void FlyingSprite::move_to(Point at, int32_t depth) {
    if (!sprite_) return;
    sprite_->set_position(at.x, at.y, depth);
}

void FlyingSprite::remove() {
    if (sprite_ && layer_) layer_->remove_sprite(sprite_);
    sprite_ = nullptr;
    layer_ = nullptr;
}
