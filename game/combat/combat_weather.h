// The weather over a fight: the map's weather code shown over the combat
// scene's band (below the bars, above the controls), in a tint and a group
// of its own. Drops appear in and above the band and fall straight down;
// those that faded in completely start again somewhere over it.
#pragma once

#include "game/map_view/weather.h"

class Layer;

class CombatWeather : private DropPlacement {
public:
    static constexpr uint32_t kTintDepth = 103;
    static constexpr uint32_t kGroupDepth = 104;
    static constexpr int32_t kBandTop = 30;
    static constexpr int32_t kBandHeight = 200;

    CombatWeather() : overlay_(*this) {}

    // The tint and the group over (0, 30, width, 200) of the layer, which
    // owns them; no tint yet.
    void add_to(Layer& layer, int32_t width);
    // Clears the weather and takes both out of the layer (deleting them).
    void remove_from(Layer& layer);

    void set_weather(int32_t code) { overlay_.start(code); }
    void clear_weather() { overlay_.stop(); }
    // Once a frame, in this order.
    void update_weather() { overlay_.step(); }
    void scroll_fog() { overlay_.scroll({0, 0}); }

    const WeatherOverlay& overlay() const { return overlay_; }

private:
    Point first_place() override;
    DropPlace respawn_place() override;
    void fall(Sprite& drop, Point by) override;

    WeatherOverlay overlay_;
};
