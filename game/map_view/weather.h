// Weather over a scene: a colour tint and falling rain or snow, or drifting
// fog, chosen by a weather code. The map and the combat screen show the same
// codes the same way and differ only in where a drop appears and how it
// falls, which each gives as a DropPlacement.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"

class FadeLayer;
class Sprite;
class SpriteGroup;

enum class WeatherSprites { kNone, kRain, kSnow, kFog, kRedFog };

// What a code shows: the tint's divisors and the sprites.
struct WeatherKind {
    int32_t red = 1, green = 1, blue = 1;
    WeatherSprites sprites = WeatherSprites::kNone;
};

// The kind of a code's low byte; 0 and 10..255 show nothing (tint 1, 1, 1).
WeatherKind weather_kind(int32_t code);

// The remainder of v by n (n > 0) in 0..n-1, also for negative v.
constexpr int32_t wrap_into(int32_t v, int32_t n) { return (v % n + n) % n; }

struct DropPlace {
    Point at;
    int32_t depth;  // Sprite::KEEP keeps the drop's depth
};

class DropPlacement {
public:
    virtual ~DropPlacement() = default;
    // Where a drop is created (its alpha is drawn after).
    virtual Point first_place() = 0;
    // Where a drop that has faded in completely starts again.
    virtual DropPlace respawn_place() = 0;
    // A drop still fading in moves on by `by`.
    virtual void fall(Sprite& drop, Point by) = 0;
};

class WeatherOverlay {
public:
    static constexpr int32_t kRainDrops = 100;
    static constexpr int32_t kSnowFlakes = 200;
    static constexpr int32_t kFogTile = 480;  // fog is 3 x 3 tiles of this size
    static constexpr int32_t kFogTicksPerPixel = 5;

    explicit WeatherOverlay(DropPlacement& placement) : placement_(placement) {}

    // The tint and the group the weather draws into (their layer owns them);
    // detaching (nulls) forgets the drops without touching the group.
    void attach(FadeLayer* tint, SpriteGroup* group);
    FadeLayer* tint() const { return tint_; }
    SpriteGroup* group() const { return group_; }

    // Stops the old weather and shows the code's low byte; the ticks start
    // again at 0. Drops and fog are decoration: without their picture
    // (missing or damaged) the weather is its tint alone.
    void start(int32_t code);
    // Tint 1, 1, 1, every weather sprite deleted, code 0.
    void stop();
    // One tick: the counter grows, drops fall and fade in, full ones start anew.
    void step();
    // Moves the group with the view's origin: drops are in the origin's
    // coordinates, fog drifts one pixel every 5 ticks and wraps every tile.
    void scroll(Point origin);

    int32_t code() const { return code_; }
    int32_t ticks() const { return ticks_; }
    WeatherSprites sprites() const { return kind_.sprites; }
    const std::vector<Sprite*>& drops() const { return drops_; }

private:
    void create_drops(const char16_t* file, int32_t count);
    void create_fog(const char16_t* file);
    void respawn(Sprite& drop);
    void step_rain(Sprite& drop);
    void step_snow(Sprite& drop);
    void invalidate_tint();

    DropPlacement& placement_;
    FadeLayer* tint_ = nullptr;
    SpriteGroup* group_ = nullptr;
    WeatherKind kind_;
    int32_t code_ = 0;
    int32_t ticks_ = 0;
    std::vector<Sprite*> drops_;  // rain or snow, in the group
};
