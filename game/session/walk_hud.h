// The walk HUD: the menu page at the bottom of the map (buttons, the name of
// the hero's region and a "Health" line) and the red hit-point bar that
// slides left under the page as the hero loses hit points. The game owns
// one for the whole session; the walking screen reacts to its buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/core/geometry.h"

class Layer;
class Sprite;
class SpriteGroup;
class UiMenu;
class World;
struct GameSettings;

class WalkHud {
public:
    static constexpr int32_t kMenuDepth = 902;
    static constexpr int32_t kBarDepth = 901;
    static constexpr int32_t kBarTravel = 46;  // pixels between an empty and a full bar

    WalkHud();
    ~WalkHud();
    WalkHud(const WalkHud&) = delete;
    WalkHud& operator=(const WalkHud&) = delete;

    // Builds the HUD on the map layer: the menu group (page by the graphics
    // quality, or the HUD-mode page), the hit-point bar, then the status.
    // A HUD already built is destroyed first.
    void create(Layer& map_layer, World& world, const GameSettings& settings);
    // Takes both groups off the layer; nothing when not built.
    void destroy();
    bool created() const { return menu_ != nullptr; }

    // The hit-point bar, "place" and "stats" from the hero and its level,
    // then the page drawn again. Missing controls are skipped.
    void update_status();
    // The status again when the hero's hit points or their maximum are no
    // longer those shown (a fight, a load, a potion changed them).
    void follow_health();
    // The red bar's x from the hero's hit points; a maximum of 0 or less
    // (a damaged save) shows an empty bar.
    void set_hp_bar(int32_t hit_points, int32_t max_hit_points);

    // HUD mode (scripted scenes): its own page, an empty "place", and the
    // walking screen ignores input. Turning it off when it was on saves the
    // game automatically.
    void set_mode(bool on);
    bool mode() const { return mode_; }
    // A conversation's bubble stands over the strip and lets what is under
    // it show through, so while one is open "place" and "stats" stay empty;
    // showing them again refreshes the status.
    void set_texts_hidden(bool hidden);
    // The page again by the graphics quality (or the HUD mode), then the
    // status: a change of the settings shows at once.
    void show_settings();
    std::function<void()> autosave;

    // The command of the HUD button under a tap in layer pixels ("*MENU",
    // "*RUN", ...); empty when no button is there.
    std::u16string tap(int32_t x, int32_t y);

    UiMenu* menu() const { return menu_.get(); }
    SpriteGroup* group() const { return group_; }
    SpriteGroup* bar_group() const { return hp_group_; }
    Sprite* red_bar() const { return red_bar_; }
    Sprite* black_bar() const { return black_bar_; }
    Size size() const { return size_; }

private:
    void create_hp_bar();
    void show_mode_page();

    Layer* layer_ = nullptr;
    World* world_ = nullptr;
    const GameSettings* settings_ = nullptr;
    SpriteGroup* group_ = nullptr;
    SpriteGroup* hp_group_ = nullptr;
    Sprite* red_bar_ = nullptr;
    Sprite* black_bar_ = nullptr;
    std::unique_ptr<UiMenu> menu_;
    Size size_{0, 0};
    // What the bar and "stats" show.
    int32_t shown_hit_points_ = 0;
    int32_t shown_max_hit_points_ = 0;
    bool mode_ = false;
    bool texts_hidden_ = false;
};

// The HUD's page file for a map layer of this size.
std::u16string walk_hud_file(Size layer_size);
