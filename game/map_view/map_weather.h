// The weather over the map: its tint above the ground and the objects and
// its drops or fog above the tint, on the map layer. Drops live in map
// coordinates on the visible part of the map: they appear anywhere on the
// screen and wrap round its edges as they fall, so the camera never leaves
// them behind.
#pragma once

#include "game/map_view/weather.h"

class Layer;

class MapWeather : private DropPlacement {
public:
    static constexpr uint32_t kTintDepth = 30;
    static constexpr uint32_t kGroupDepth = 40;

    MapWeather() : overlay_(*this) {}

    // Adds the tint and the group to the map layer (which owns them); the
    // view's origin is the ground group's scroll offset.
    void add_to(Layer& layer, const SpriteGroup* ground);
    WeatherOverlay& overlay() { return overlay_; }
    const WeatherOverlay& overlay() const { return overlay_; }

private:
    Point first_place() override;
    DropPlace respawn_place() override;
    void fall(Sprite& drop, Point by) override;
    Point view_origin() const;
    Size view_size() const;

    const SpriteGroup* ground_ = nullptr;
    WeatherOverlay overlay_;
};
