#include "game/session/game.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/app/frame_loop.h"
#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/graphics/display.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/fill_rect.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/platform/host_memory.h"
#include "engine/platform/platform_services.h"
#include "game/effects/action_player.h"
#include "game/session/game_screen_state.h"
#include "game/session/story_module.h"
#include "game/sound/sound_manager.h"
#include "game/story/save_folder_names.h"
#include "game/story/story_file_io.h"
#include "game/world/actor.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/map_region.h"

namespace {

GameScreenFactory g_screen_factory = nullptr;

constexpr int32_t kTile = ViewGrid::kTilePixels;
constexpr int32_t kPanSteps = 1000;
constexpr int32_t kPurgeAfterTicks = 100;
constexpr const char* kTitleMusic = "music/title-ending.xm";
// Save games live in the write folder, beside the settings.
constexpr const char* kSaveFolder = "\\savegame";

bool names_verworld(const std::string& name) { return fold_case(name).find("verworld") != std::string::npos; }

constexpr uint32_t kMainFadeDepth = 900;
constexpr uint32_t kUpperFadeDepth = 2000;
constexpr uint16_t kBlack565 = 0x0000;
constexpr uint16_t kWhite565 = 0xFFFF;

FadeLayer* add_fade(Layer& layer, uint32_t depth, uint16_t color) {
    auto* fade = new FadeLayer;
    layer.add(fade, depth);
    fade->set_color(color);
    return fade;
}

// A text file of the game; empty when it is missing.
std::string read_text_file(std::u16string_view name) {
    const std::optional<std::vector<uint8_t>> bytes = read_game_file(name);
    return bytes ? std::string(as_text(*bytes)) : std::string();
}

// One axis of the camera: the view follows the focus but stops at the map's
// edges, except that `covered_end` pixels past the far edge may show, where
// something drawn over the map hides them. A map shorter than the view
// follows the focus between the fixed margin and `centre_bias` pixels past
// its far edge (the far end first, so the margin wins where they cross):
// a 9-row map under the walk HUD moves from -11 to -1 as the hero walks
// down, so its bottom row is not held deep under the HUD's strip.
int32_t camera_axis(int32_t focus, int32_t view, int32_t map, int32_t centre_bias, int32_t covered_end,
                    int32_t short_map_margin) {
    const int32_t centred = focus - (view - centre_bias) / 2;
    const int32_t last = map - view + covered_end;
    if (last < 0) return std::max(std::min(centred, map - view + centre_bias), short_map_margin);
    return std::clamp(centred, 0, last);
}

}  // namespace

Point camera_origin(Point focus, Size level_tiles, Size display) {
    // The walk HUD's strip (34 pixels) covers the bottom of the screen, so the
    // view may run 31 pixels past the map's bottom edge; nothing covers the
    // other edges.
    return {camera_axis(focus.x, display.width, level_tiles.width * kTile, 5, 0, -5),
            camera_axis(focus.y, display.height, level_tiles.height * kTile, 31, 31, -11)};
}

void set_game_screen_factory(GameScreenFactory factory) { g_screen_factory = factory; }

Game::Game(Display* display, std::string_view name) : Scene(display, name) {
    free_memory = [] { return free_memory_mb(); };
    if (!g_screen_factory) fatal_assert(__FILE__, __LINE__, "No screen factory installed", "", "");
    for (const char* state_name : kGameStateNames) add_state(state_name, g_screen_factory(state_name));
}

Game::~Game() = default;

StoryModule* Game::module() const { return static_cast<StoryModule*>(owner()); }
World& Game::world() const { return module()->world; }
HeroActor& Game::hero() const { return world().hero(); }
bool Game::hero_runs() const { return hero().running; }

Size Game::display_size() const { return kScreenSize; }

Size Game::level_tiles() const {
    const MapLevel* level = world().current_level();
    return level ? Size{level->width, level->height} : Size{0, 0};
}

void Game::build_display_list() {
    if (map_layer_) return;
    map_layer_ = create_layer();
    backdrop_ = new FillRect;
    backdrop_->set_color(0);
    map_layer_->add(backdrop_, 0);
    ground_group_ = new SpriteGroup;
    object_group_ = new SpriteGroup;
    map_layer_->add(ground_group_, 10);
    map_layer_->add(object_group_, 20);
    weather_.add_to(*map_layer_, ground_group_);
    main_fade_.attach(add_fade(*map_layer_, kMainFadeDepth, kBlack565));
    upper_fade_.attach(add_fade(*map_layer_, kUpperFadeDepth, kWhite565));
}

void Game::enter(ScreenArgument) {
    World& w = world();
    w.play_time = 0;
    if (MapLevel* first = w.first_level()) w.set_current_level(first->id);
    view_.clear();
    build_display_list();
    main_fade_.set_level(FadeControl::kDark);  // the screen starts dark
    upper_fade_.set_level(0);
    play_clock_ = false;
    logic_period = kLogicTickMs;
    animation_period = kAnimationTickMs;
    // An abandoned game's actions never run in the next one.
    actions_.clear();
    transition_.clear();

    module()->settings = load_settings_file(settings_path());
    map_cells_.attach(&w, ground_group_, object_group_);
    map_cells_.renderer().lighting = module()->settings.gfx_quality != 0;
    actor_sprites_.install(object_group_, module()->gfx);
    load_start_config();
    post_transition(kTransitionFadeIn, 0, 0, 0);

    w.save_folder = kSaveFolder;
    w.init_save_folder();
    if (!load_saved_game()) {
        // Nothing saved reads (or its level is gone): the hero starts where
        // the new-game key file puts it.
        w.move_hero(w.current_level_id(), start_config_.tile_x * kTile, start_config_.tile_y * kTile,
                    hero().facing);
        enter_level();
        rebuild_view(true);
    }
    hud.autosave = [this] { autosave(); };
    hud.create(*map_layer_, w, module()->settings);
    switch_state(kMainMenuScreen, 0);
    play_music(kTitleMusic, 0);
    animation_counter_ = 0;
    tile_phase_ = 0;
    action_player_ = std::make_unique<ActionPlayer>(g_sound_manager);
}

void Game::load_start_config() {
    start_config_ = StartConfig::parse(read_text_file(u"Story\\story.txt"));
    World& w = world();
    if (MapLevel* start = w.find_level(start_config_.region, start_config_.map, start_config_.level))
        w.set_current_level(start->id);
    hero().attach_sprite_at(map_layer_, start_config_.tile_x * kTile, start_config_.tile_y * kTile,
                            w.current_level());
    apply_start_config();
}

void Game::apply_start_config() {
    const StartConfig& c = start_config_;
    World& w = world();
    HeroActor& h = hero();
    h.init_named(1, c.dexterity, c.strength, c.knowledge, c.defence, c.resistance, utf8_to_utf16(c.name));
    h.gold = c.money;
    h.level_number = c.hero_level;
    h.experience = c.experience;
    if (c.health != 0) h.hit_points = h.max_hit_points = c.health;
    h.armour = h.shield = nullptr;
    h.current_item = nullptr;
    for (const auto& [name, done] : c.quests) {
        const uint32_t id = w.quest_id_by_name(name);
        if (!id) continue;
        h.add_quest(id);
        if (done && !h.quests.empty()) h.quests.back().done = done;
    }
    for (const std::string& name : c.items)
        if (const uint32_t id = w.item_id_by_name(name)) w.hero_add_item(id);
    if (!c.all_items) return;
    h.gold = 1000;
    for (const auto& group : w.item_groups)
        if (group->group_kind < 7)
            for (const auto& item : group->items) w.hero_add_item(item->id);
}

void Game::leave() {
    hud.destroy();
    hero().detach_sprite();
    action_player_.reset();
    actor_sprites_.uninstall();
    leave_level();
    stop_weather();
    view_.clear();
    map_cells_.detach();
    forget_pending_actions();
}

// --- games in progress -----------------------------------------------------------

bool Game::enter_saved_level() {
    HeroActor& h = hero();
    const uint32_t level_id = h.level ? h.level->id : h.level_id;
    const MapLevel* level = world().get_level(level_id);
    if (!level) {
        std::fprintf(stderr, "tarrowind: the saved game stands on level %08X, which the story lacks\n",
                     unsigned(level_id));
        return false;
    }
    last_region_ = level->region_name();
    if (!teleport(level_id, h.x, h.y, h.facing)) return false;
    // The load replaced the hero's level: its sprite goes to the new one.
    h.detach_sprite();
    h.attach_sprite(map_layer_, world().current_level());
    return true;
}

bool Game::load_saved_game() {
    World& w = world();
    if (w.load_autosave()) {
        if (enter_saved_level()) {
            set_resumable(true);
            return true;
        }
    } else if (w.autosave_exists) {
        std::fprintf(stderr, "tarrowind: %s\n", w.last_error().c_str());
    }
    if (w.load_new_game()) return enter_saved_level();
    std::fprintf(stderr, "tarrowind: %s\n", w.last_error().c_str());
    return false;
}

bool Game::start_new_game() {
    World& w = world();
    if (!w.load_new_game()) {
        std::fprintf(stderr, "tarrowind: cannot start a new game: %s\n", w.last_error().c_str());
        return false;
    }
    music_locked = false;
    saved_music_order = 0;
    forget_pending_actions();
    if (!enter_saved_level()) return false;
    set_resumable(true);
    return true;
}

bool Game::save_game(int slot, SlotList& slots) {
    World& w = world();
    const SaveSlot filled = slot_for_game_in_play(w, slot);
    if (!w.save_state(w.save_path(filled.file.c_str()))) {
        std::fprintf(stderr, "tarrowind: saving into slot %d failed: %s\n", slot + 1, w.last_error().c_str());
        return false;
    }
    slots[size_t(slot)] = filled;
    if (!write_slot_index(w, slots)) {
        const std::string reason = save_failure_reason();
        std::fprintf(stderr, "tarrowind: slot %d is saved in %s, but the slot index %s could not be written: %s\n",
                     slot + 1, filled.file.c_str(), w.save_path(kSlotIndexFile).c_str(), reason.c_str());
    }
    w.saves_exist = true;
    return true;
}

bool Game::load_game(const std::string& path) {
    World& w = world();
    if (!w.load_state(path)) {
        std::fprintf(stderr, "tarrowind: cannot load the game: %s\n", w.last_error().c_str());
        return false;
    }
    forget_pending_actions();
    if (!enter_saved_level()) return false;
    set_resumable(true);
    return true;
}

void Game::forget_pending_actions() {
    actions_.clear();
    transition_.clear();
    // A screen left dark by the dropped transition fades back in.
    if (main_fade_.level() > 0) post_transition(kTransitionFadeIn, 0, 0, 0);
}

bool Game::autosave() {
    if (hero().hit_points <= 0) return false;
    if (world().autosave()) return true;
    std::fprintf(stderr, "tarrowind: automatic save failed: %s\n", world().last_error().c_str());
    return false;
}

bool Game::resumable() const { return module() && module()->resumable; }

void Game::set_resumable(bool on) {
    if (module()) module()->resumable = on;
}

bool Game::save_for_resume() {
    // A dead hero is never saved to be continued.
    if (!resumable() || hero().hit_points <= 0) return false;
    World& w = world();
    if (w.save_state(w.save_path(kAutosaveFile))) return true;
    std::fprintf(stderr, "tarrowind: %s; the last saved game stays\n", w.last_error().c_str());
    return false;
}

// --- camera ------------------------------------------------------------------

void Game::follow_camera() {
    if (camera_frozen) return;
    if (scripted_focus_.x && scripted_focus_.y && actions_.empty()) {
        scripted_focus_ = {0, 0};
        pan_countdown_ = kPanSteps;
    }
    const GameState* state = current_state();
    const bool scripted_screen = state && (state->name() == kWalkingScreen || state->name() == kTalkingScreen ||
                                           state->name() == kItemNoticeScreen || state->name() == kStoryScreen);
    const bool follows_actor = followed_actor && state && state->name() == kWalkingScreen;
    Point target = hero().position();
    if (follows_actor || (scripted_screen && scripted_focus_.x && scripted_focus_.y)) {
        target = follows_actor ? followed_actor->position() : scripted_focus_;
        if (!focus_scripted_) {
            focus_scripted_ = true;
            pan_countdown_ = kPanSteps;
        }
    } else if (focus_scripted_) {
        focus_scripted_ = false;
        pan_countdown_ = kPanSteps;
    }
    if (pan_countdown_ > 0) {
        --pan_countdown_;
        const Point before = focus_;
        focus_.x += std::clamp(target.x - focus_.x, -2, 2);
        focus_.y += std::clamp(target.y - focus_.y, -2, 2);
        if (focus_ == before) pan_countdown_ = 0;
    } else {
        focus_ = target;
    }
    refresh_view(focus_, !full_refresh_, full_refresh_);
    full_refresh_ = false;
}

void Game::start_pan() { pan_countdown_ = kPanSteps; }

void Game::pre_render() {
    view_.start_frame();
    if (!level_entered_) return;
    follow_camera();
    if (camera_frozen) return;
    const Point at = focus_scripted_ || pan_countdown_ > 0 ? focus_ : hero().position();
    refresh_view(at, true, false);
    origin_ = camera_origin(at, level_tiles(), display_size());
    for (SpriteGroup* group : {ground_group_, object_group_})
        if (group) group->set_offset(origin_.x, origin_.y);
    scroll_weather(origin_);
}

void Game::refresh_view(Point at, bool incremental, bool force) {
    const GameState* state = current_state();
    if (!state || state->name() == kMainMenuScreen || state->name() == kInventoryScreen || full_screen_page) return;
    view_.refresh(at, level_tiles(), display_size(), incremental, force, free_memory());
}

void Game::clear_view_grid() { view_.clear(); }

void Game::set_map_drawables_visible(bool visible) {
    for (Drawable* drawable : std::initializer_list<Drawable*>{ground_group_, object_group_, hud.group(), hud.bar_group()})
        if (drawable) {
            drawable->set_visible(visible);
            if (visible) drawable->invalidate();
        }
}

void Game::rebuild_view(bool preload) {
    view_.clear();
    full_refresh_ = true;
    if (!preload || free_memory() <= 8 || !module()->settings.gfx_quality) return;
    for (int32_t dy : {-200, -50, 100})
        for (int32_t dx : {-200, -50, 100})
            refresh_view({hero().x + dx, hero().y + dy}, false, true);
}

void Game::apply_graphics_quality() {
    map_cells_.renderer().lighting = module()->settings.gfx_quality != 0;
    rebuild_view(false);
    hud.show_settings();
}

void Game::rebuild_cell(int32_t tile_x, int32_t tile_y, bool objects) {
    const int32_t column = tile_x / ViewGrid::kTilesPerCell, row = tile_y / ViewGrid::kTilesPerCell;
    if (objects) view_.drop_lists(column, row);
    else view_.drop_block(column, row);
    // Built again around the camera, so that nothing on screen is dropped.
    refresh_view(focus_, false, true);
    for (SpriteGroup* group : {ground_group_, object_group_})
        if (group) group->invalidate();
}


// --- ticks -------------------------------------------------------------------

void Game::update() {
    update_weather();
    hud.follow_health();
    if (++purge_counter_ > kPurgeAfterTicks && free_memory() < 1) {
        purge_resource_caches();
        purge_counter_ = 0;
    }
    logic_period = kLogicTickMs;
    animation_period = kAnimationTickMs;
}

void Game::animate() {
    if (++animation_counter_ % 10 == 0) {
        tile_phase_ = (tile_phase_ + 1) % 8;
        map_cells_.set_tile_phase(tile_phase_);
    }
    GameState* walking = nullptr;
    for (GameState* state : states())
        if (state->name() == kWalkingScreen) walking = state;
    transition_.step(current_state(), walking, main_fade_, upper_fade_, [] { render_frame(); });
    if (play_clock_) world().play_time += kAnimationTickMs;
}

// --- levels ------------------------------------------------------------------

void Game::enter_level() {
    World& w = world();
    MapLevel* level = w.current_level();
    if (!level) return;
    if (level->width > ViewGrid::kMaxLevelTiles || level->height > ViewGrid::kMaxLevelTiles) {
        std::fprintf(stderr, "tarrowind: level \"%s\" (%dx%d tiles) is larger than the view can hold\n",
                     level->name.c_str(), int(level->width), int(level->height));
        return;
    }
    if (level_entered_) leave_level();
    scripted_focus_ = {0, 0};
    focus_scripted_ = false;
    pan_countdown_ = 0;
    clear_held_keys();
    level_entered_ = true;
    entered_level_ = level;
    ++level_entries_;
    full_refresh_ = true;
    saved_music_order = 0;

    // The people are made again: no one is followed any more.
    followed_actor = nullptr;
    load_level_story(*level);
    MapRegion* region = level->map ? level->map->region : nullptr;
    const std::string map_name = level->map ? level->map->name : "";
    const std::string region_name = region ? region->name : "";
    hero().running = !(names_verworld(level->name) || names_verworld(map_name) || names_verworld(region_name));
    place_level_actors(*level);
    start_weather(level_weather());

    if (free_memory() < 4) {
        map_cells_.renderer().clear_cache();
        purge_resource_caches();
    }
    if (const int32_t free_mb = free_memory(); free_mb > 3) {
        map_cells_.renderer().preload(*level);
        // Memory for the ground blocks the view will keep round the hero is
        // made ready now rather than page by page while walking; never more
        // than is free above the preload's threshold.
        const size_t blocks = size_t(ViewGrid::most_kept_cells(level_tiles(), display_size(), free_mb));
        warm_heap(std::min(blocks * TileRenderer::kBlockBytes, size_t(free_mb - 3) << 20));
    }
    const Size display = display_size();
    const int32_t group_w = std::max((level->width + 1) * kTile, display.width);
    const int32_t group_h = std::max(level->height * kTile + 92, display.height);
    for (SpriteGroup* group : {ground_group_, object_group_})
        if (group) group->set_size(group_w, group_h);

    if (!last_region_.empty() && region_name != last_region_ && !hud_mode()) autosave();
    last_region_ = region_name;
    pre_render();
    restart_scene_timers();
    if (free_memory() < 2) purge_resource_caches();
}

// --- weather -----------------------------------------------------------------

int32_t Game::level_weather() const {
    const MapLevel* level = world().current_level();
    if (!level || !module()->settings.weather_fx) return 0;
    return int32_t(level->weather & 0xFF);
}

void Game::start_weather(int32_t code) {
    weather_.overlay().start(code);
    if (map_layer_) map_layer_->invalidate_all();
}

void Game::stop_weather() { weather_.overlay().stop(); }

void Game::update_weather() { weather_.overlay().step(); }

void Game::scroll_weather(Point origin) { weather_.overlay().scroll(origin); }

void Game::load_level_story(MapLevel& level) {
    World& w = world();
    // Triggers and people are reread for the level; what already fired stays
    // fired.
    w.record_fired_triggers();
    if (w.people_from_files) {
        w.clear_triggers();
        w.load_trigger_file(level.id);
    }
    w.clear_npcs();
    w.spawn_level_npcs(level.id);
    w.restore_fired_triggers();
    MapRegion* region = level.map ? level.map->region : nullptr;
    if (region && !region->loaded) w.load_region(*region);
    level.collect_triggers(w.triggers);
}

void Game::place_level_actors(MapLevel& level) {
    for (Actor* npc : level.actors) {
        npc->place(level.id, npc->home_x, npc->home_y, npc->facing);
        npc->attach_sprite(map_layer_, &level);
        if (free_memory() < 2) purge_resource_caches();
    }
    for (const auto& monster : level.extra_actors) {
        monster->place(level.id, monster->home_x, monster->home_y, monster->facing);
        monster->attach_sprite(map_layer_, &level);
    }
}

void Game::detach_level_actors(MapLevel& level) {
    for (Actor* npc : level.actors) npc->detach_sprite();
    for (const auto& monster : level.extra_actors) monster->detach_sprite();
}

void Game::leave_level() {
    if (!level_entered_) return;
    level_entered_ = false;
    MapLevel* level = entered_level_;
    entered_level_ = nullptr;
    if (level) {
        detach_level_actors(*level);
        if (level->map && level->map->region) level->map->region->unload_file();
    }
    view_.clear();
    if (free_memory() < 3) purge_resource_caches();
}

void Game::release_level_sprites() {
    if (free_memory() >= 4) {
        level_sprites_released_ = false;
        return;
    }
    map_cells_.renderer().clear_cache();
    if (entered_level_) detach_level_actors(*entered_level_);
    hero().detach_sprite();
    level_sprites_released_ = true;
    purge_resource_caches();
}

void Game::restore_level_sprites() {
    if (!level_sprites_released_) return;
    level_sprites_released_ = false;
    if (MapLevel* level = entered_level_) {
        for (Actor* npc : level->actors) {
            npc->attach_sprite(map_layer_, level);
            if (free_memory() < 3) purge_resource_caches();
        }
        for (const auto& monster : level->extra_actors) {
            monster->attach_sprite(map_layer_, level);
            if (free_memory() < 3) purge_resource_caches();
        }
    }
    hero().attach_sprite(map_layer_, hero().level);
    if (free_memory() < 5) purge_resource_caches();
}

void Game::refresh_if_current_level(uint32_t level_id) {
    if (hero().level && hero().level->id == level_id) rebuild_view(false);
}

bool Game::teleport(uint32_t level_id, int32_t x, int32_t y, int32_t facing) {
    if (!world().get_level(level_id)) {
        std::fprintf(stderr, "tarrowind: no level %08X in the story; staying on this one\n", unsigned(level_id));
        return false;
    }
    leave_level();
    world().move_hero(level_id, x, y, facing);
    enter_level();
    rebuild_view(true);
    // One facing step toward its own facing: the hero's sprite shows it.
    hero().turn_toward(facing);
    return true;
}

// --- music -------------------------------------------------------------------

void Game::play_music(const std::string& name, int32_t order) {
    if (music_locked) return;
    if (name == music_name_ && order == music_order_ && !name.empty()) return;
    if (!g_sound_manager) return;
    g_sound_manager->stop_music();
    music_name_ = name;
    music_order_ = order;
    if (name.empty()) return;
    g_sound_manager->play_music_narrow(name, 256);
    g_sound_manager->set_music_order(order);
}

void Game::play_level_music() {
    if (music_locked) return;
    const MapLevel* level = world().current_level();
    if (!level) return;
    if (!level->music.empty()) play_music(level->music, level->music_loop);
    else if (level->map && !level->map->music.empty()) play_music(level->map->music, level->map->music_loop);
    else stop_music();
}

void Game::stop_music() {
    if (music_locked) return;
    if (g_sound_manager) g_sound_manager->stop_music();
    music_name_.clear();
    music_order_ = 0;
}
