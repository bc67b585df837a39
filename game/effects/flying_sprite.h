// A sprite an effect adds to the effect layer and removes when it goes: the
// dragonfly's flier, the lens flare's light and flares. It is drawn at its
// alpha (ALPHA_LAYER joins the flags asked for). Loading a picture
// that is not there gives an empty one, and every call on it does nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/geometry.h"

class Sprite;
class SpriteGroup;

class FlyingSprite {
public:
    FlyingSprite() = default;
    FlyingSprite(SpriteGroup* layer, std::string_view file, uint32_t set_flags, int32_t depth, int32_t alpha);
    ~FlyingSprite() { remove(); }
    FlyingSprite(const FlyingSprite&) = delete;
    FlyingSprite& operator=(const FlyingSprite&) = delete;
    FlyingSprite(FlyingSprite&& other) noexcept;
    FlyingSprite& operator=(FlyingSprite&& other) noexcept;

    explicit operator bool() const { return sprite_ != nullptr; }
    Sprite* get() const { return sprite_; }
    void move_to(Point at, int32_t depth);
    void remove();

private:
    SpriteGroup* layer_ = nullptr;
    Sprite* sprite_ = nullptr;
};
