#include "game/map_view/weather.h"

#include <array>

#include "engine/core/crt_random.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/map_view/decoration.h"

namespace {

constexpr int32_t kFullAlpha = 32;
constexpr int32_t kSnowFadeEvery = 3;  // flakes fade in on every third tick
constexpr int32_t kRainFall = 2;

constexpr std::array<WeatherKind, 10> kKinds = {{
    {},
    {2, 2, 1, WeatherSprites::kNone},
    {2, 2, 1, WeatherSprites::kRain},
    {1, 1, 1, WeatherSprites::kRain},
    {2, 2, 1, WeatherSprites::kSnow},
    {1, 1, 1, WeatherSprites::kSnow},
    {2, 2, 2, WeatherSprites::kFog},
    {1, 1, 1, WeatherSprites::kFog},
    {2, 2, 1, WeatherSprites::kFog},
    {1, 2, 2, WeatherSprites::kRedFog},
}};

bool foggy(WeatherSprites s) { return s == WeatherSprites::kFog || s == WeatherSprites::kRedFog; }

}  // namespace

WeatherKind weather_kind(int32_t code) {
    const uint32_t type = uint32_t(code) & 0xFF;
    return type < kKinds.size() ? kKinds[type] : WeatherKind{};
}

void WeatherOverlay::attach(FadeLayer* tint, SpriteGroup* group) {
    tint_ = tint;
    group_ = group;
    drops_.clear();
    kind_ = {};
    code_ = 0;
}

void WeatherOverlay::start(int32_t code) {
    ticks_ = 0;
    stop();
    code_ = int32_t(uint32_t(code) & 0xFF);
    kind_ = weather_kind(code_);
    if (tint_) tint_->set_tint(kind_.red, kind_.green, kind_.blue);
    switch (kind_.sprites) {
    case WeatherSprites::kRain: create_drops(u"weather/rain.spr", kRainDrops); break;
    case WeatherSprites::kSnow: create_drops(u"weather/snow.spr", kSnowFlakes); break;
    case WeatherSprites::kFog: create_fog(u"weather/fog.spr"); break;
    case WeatherSprites::kRedFog: create_fog(u"weather/redfog.spr"); break;
    case WeatherSprites::kNone: break;
    }
    invalidate_tint();
}

void WeatherOverlay::stop() {
    if (tint_) tint_->set_tint(1, 1, 1);
    if (group_) group_->clear();
    drops_.clear();
    kind_ = {};
    code_ = 0;
    invalidate_tint();
}

void WeatherOverlay::invalidate_tint() {
    // The tint marks nothing itself: everything under it changes colour.
    if (tint_) tint_->invalidate();
}

void WeatherOverlay::create_drops(const char16_t* file, int32_t count) {
    if (!group_) return;
    // Without its picture the weather is the tint alone.
    const std::unique_ptr<Sprite> picture = load_decoration_sprite(file);
    if (!picture) return;
    drops_.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const Point at = placement_.first_place();
        Sprite* drop = group_->create_shared_sprite(*picture, at.x, at.y, 0, 0, 0, 0);
        drop->set_alpha(crt_rand() % kFullAlpha);
        drops_.push_back(drop);
    }
}

void WeatherOverlay::create_fog(const char16_t* file) {
    if (!group_) return;
    const std::unique_ptr<Sprite> picture = load_decoration_sprite(file);
    if (!picture) return;
    for (int32_t i = 0; i < 9; ++i)
        group_->create_shared_sprite(*picture, (i / 3) * kFogTile, (i % 3) * kFogTile, 0, 0, 0, 0);
}

void WeatherOverlay::step() {
    ++ticks_;
    const bool rain = kind_.sprites == WeatherSprites::kRain;
    if (!group_ || !(rain || kind_.sprites == WeatherSprites::kSnow)) return;
    group_->invalidate();
    for (Sprite* drop : drops_) {
        if (rain) step_rain(*drop);
        else step_snow(*drop);
    }
}

void WeatherOverlay::step_rain(Sprite& drop) {
    if (drop.add_alpha(1)) placement_.fall(drop, {0, kRainFall});
    else respawn(drop);
}

void WeatherOverlay::step_snow(Sprite& drop) {
    if (ticks_ % kSnowFadeEvery != 0) {
        drop.move_by(0, 1);
    } else if (drop.add_alpha(1)) {
        const int32_t sideways = crt_rand() % 3 - 1;
        placement_.fall(drop, {sideways, 1});
    } else {
        respawn(drop);
    }
}

void WeatherOverlay::respawn(Sprite& drop) {
    // Drops are recycled, never made again: the faded-in one starts anew.
    const DropPlace place = placement_.respawn_place();
    drop.set_position(place.at.x, place.at.y, place.depth);
    drop.set_alpha(1);
}

void WeatherOverlay::scroll(Point origin) {
    if (!group_) return;
    if (foggy(kind_.sprites)) {
        // Non-negative remainders: the camera's origin may lie left of or
        // above the map, and the 3 x 3 tiles must still cover the screen.
        group_->set_offset(wrap_into(origin.x + ticks_ / kFogTicksPerPixel, kFogTile), wrap_into(origin.y, kFogTile));
    } else if (kind_.sprites != WeatherSprites::kNone) {
        group_->set_offset(origin.x, origin.y);
    }
}
