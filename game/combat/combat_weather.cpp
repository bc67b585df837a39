#include "game/combat/combat_weather.h"

#include <initializer_list>

#include "engine/core/crt_random.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"

namespace {

constexpr int32_t kFirstSpread = 300;
constexpr Point kRespawnCorner{-10, -50};
constexpr Size kRespawnSpread{260, 370};
constexpr int32_t kRespawnDepth = 100;

}  // namespace

void CombatWeather::add_to(Layer& layer, int32_t width) {
    constexpr uint32_t kFollowLayer = Drawable::kFollowLayerSize | Drawable::kFollowLayerOffset;
    auto* tint = new FadeLayer;
    tint->set_flags(tint->flags() & ~kFollowLayer);
    layer.add_at(tint, 0, kBandTop, width, kBandHeight, kTintDepth);
    tint->set_size(width, kBandHeight);
    tint->set_tint(1, 1, 1);
    auto* group = new SpriteGroup;
    group->set_flags(group->flags() & ~kFollowLayer);
    layer.add_at(group, 0, kBandTop, width, kBandHeight, kGroupDepth);
    group->set_size(width, kBandHeight);
    overlay_.attach(tint, group);
}

void CombatWeather::remove_from(Layer& layer) {
    overlay_.stop();
    for (Drawable* drawable : std::initializer_list<Drawable*>{overlay_.tint(), overlay_.group()})
        if (drawable) layer.remove(drawable);
    overlay_.attach(nullptr, nullptr);
}

Point CombatWeather::first_place() {
    const int32_t a = crt_rand();
    const int32_t b = crt_rand();
    return {b % kFirstSpread, a % kFirstSpread};
}

DropPlace CombatWeather::respawn_place() {
    const int32_t a = crt_rand();
    const int32_t b = crt_rand();
    return {{b % kRespawnSpread.width + kRespawnCorner.x, a % kRespawnSpread.height + kRespawnCorner.y},
            kRespawnDepth};
}

void CombatWeather::fall(Sprite& drop, Point by) { drop.move_by(by.x, by.y); }
