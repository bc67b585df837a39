#include "game/session/walk_hud.h"

#include <algorithm>

#include "engine/core/text_helpers.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/session/game_settings.h"
#include "game/session/state_helpers.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/map_region.h"
#include "game/world/world.h"

namespace {


std::string region_name_of(const World& world) {
    const MapLevel* level = world.current_level();
    const MapRegion* region = level && level->map ? level->map->region : nullptr;
    return region ? region->name : std::string();
}

}  // namespace

std::u16string walk_hud_file(Size layer_size) {
    if (layer_size.width == 480) return u"menus\\walk\\walk_480.def";
    if (layer_size.height == 480) return u"menus\\walk\\walk_q.def";
    return u"menus\\walk\\walk.def";
}

WalkHud::WalkHud() = default;
WalkHud::~WalkHud() { destroy(); }

void WalkHud::create(Layer& map_layer, World& world, const GameSettings& settings) {
    destroy();
    layer_ = &map_layer;
    world_ = &world;
    settings_ = &settings;
    texts_hidden_ = false;
    size_ = map_layer.size();
    if (size_.width <= 0 || size_.height <= 0) size_ = kScreenSize;

    group_ = new SpriteGroup;
    layer_->add_at(group_, 0, 0, size_.width, size_.height, kMenuDepth);
    group_->set_size(size_.width, size_.height);
    menu_ = std::make_unique<UiMenu>(group_, walk_hud_file(size_));
    show_mode_page();
    menu_->draw();
    create_hp_bar();
    update_status();
}

void WalkHud::create_hp_bar() {
    hp_group_ = new SpriteGroup;
    layer_->add_at(hp_group_, 0, 0, size_.width, size_.height, kBarDepth);
    hp_group_->set_size(size_.width, size_.height);
    const int32_t x = size_.width / 2 - 23;
    const int32_t y = size_.height - 33;
    red_bar_ = hp_group_->create_sprite(u"menus\\walk\\hpcsikred2.spr", x, y, 9, 0, 0, 0);
    black_bar_ = hp_group_->create_sprite(u"menus\\walk\\hpcsikblack2.spr", x, y, 8, 0, 0, 0);
}

void WalkHud::destroy() {
    // The menu lets go of its sprites before its group is deleted.
    menu_.reset();
    if (layer_) {
        if (group_) layer_->remove(group_);
        if (hp_group_) layer_->remove(hp_group_);
    }
    group_ = hp_group_ = nullptr;
    red_bar_ = black_bar_ = nullptr;
    layer_ = nullptr;
}

void WalkHud::set_hp_bar(int32_t hit_points, int32_t max_hit_points) {
    if (!red_bar_) return;
    int64_t filled = 0;
    if (max_hit_points > 0) filled = std::max<int64_t>(0, int64_t(hit_points) * kBarTravel / max_hit_points);
    const int64_t x = size_.width / 2 - 71 + filled;
    red_bar_->set_position(int32_t(std::min<int64_t>(x, INT32_MAX / 2)), Sprite::KEEP, Sprite::KEEP);
}

void WalkHud::update_status() {
    if (!created()) return;
    const HeroActor& hero = world_->hero();
    set_hp_bar(hero.hit_points, hero.max_hit_points);
    shown_hit_points_ = hero.hit_points;
    shown_max_hit_points_ = hero.max_hit_points;
    ui_set_element_text(menu_.get(), u"place", mode_ || texts_hidden_ ? std::string() : region_name_of(*world_));
    std::u16string stats;
    if (!texts_hidden_) {
        stats = u"Health: ";
        append_decimal(stats, hero.hit_points);
    }
    ui_set_element_wtext(menu_.get(), u"stats", stats);
    menu_->draw();
}

void WalkHud::follow_health() {
    if (!created()) return;
    const HeroActor& hero = world_->hero();
    if (hero.hit_points != shown_hit_points_ || hero.max_hit_points != shown_max_hit_points_) update_status();
}

void WalkHud::show_mode_page() {
    if (!menu_) return;
    if (mode_) menu_->show_page(u"MAIN3");
    else menu_->show_page(settings_ && settings_->gfx_quality ? u"MAIN" : u"MAIN2");
}

void WalkHud::set_mode(bool on) {
    const bool was_on = mode_;
    mode_ = on;
    if (!on && was_on && autosave) autosave();
    show_mode_page();
    update_status();
}

void WalkHud::set_texts_hidden(bool hidden) {
    texts_hidden_ = hidden;
    update_status();
}

void WalkHud::show_settings() {
    show_mode_page();
    update_status();
}

std::u16string WalkHud::tap(int32_t x, int32_t y) {
    std::u16string command;
    if (!menu_) return command;
    const Point at = group_->position();
    if (menu_->handle_event(kMenuTap, pack_point(x - at.x, y - at.y), &command) != kMenuCommand) command.clear();
    return command;
}
