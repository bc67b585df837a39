// The scene in which the whole game runs ("Game"): it owns the fourteen
// game screens, the map layer with its sprite groups, the view grid, the
// pending transition and the queue of story actions; it keeps the camera on
// the hero (or on a scripted focus), runs the 12 ms and 10 ms ticks and
// loads and unloads map levels.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/app/scene.h"
#include "engine/core/geometry.h"
#include "game/map_view/actor_sprites.h"
#include "game/map_view/fade_control.h"
#include "game/map_view/map_view_cells.h"
#include "game/map_view/map_weather.h"
#include "game/map_view/transition.h"
#include "game/map_view/view_grid.h"
#include "game/session/action_queue.h"
#include "game/session/screen_subjects.h"
#include "game/session/start_config.h"
#include "game/session/walk_hud.h"
#include "game/story/slot_index.h"
#include "game/world/screen_names.h"

class ActionPlayer;
class Actor;
class FillRect;
class GameScreenState;
class HeroActor;
struct MapLevel;
class SpriteGroup;
class StoryModule;
class World;

// The screens in the order the game registers them.
inline constexpr std::array<const char*, 14> kGameStateNames = {
    kWalkingScreen, kZoomScreen, kSleepScreen, kMainMenuScreen, kTalkingScreen,
    kStoryScreen, kShopScreen, kInventoryScreen, kItemNoticeScreen, kCombatScreen,
    kGameIOScreen, kEndOfGameScreen, kLevelUpScreen, kStatsScreen};

// Makes the screen that serves one of those names. The screens (combat's
// among them) build on the session, so the session cannot name them: the
// program installs their factory at start-up, before the game scene is made.
using GameScreenFactory = GameScreenState* (*)(std::string_view name);
void set_game_screen_factory(GameScreenFactory factory);

// The top-left map pixel shown for a focus: the screen follows the focus
// but shows nothing beyond the map's left, top and right edges, and beyond
// its bottom edge only the 31 pixels the walk HUD covers. A level narrower
// or lower than the view is shown from -5 or -11 with black around it,
// moving with the focus only as far as its far edge allows (a 9-row level
// down to -1).
Point camera_origin(Point focus, Size level_tiles, Size display);

class Game : public Scene, private ViewCellBuilder {
public:
    static constexpr uint32_t kLogicTickMs = 12;
    static constexpr uint32_t kAnimationTickMs = 10;

    Game(Display* display, std::string_view name);
    ~Game() override;

    void enter(ScreenArgument argument) override;  // starts a session
    void leave() override;                    // ends it
    void pre_render() override;               // the camera
    void update() override;                   // 12 ms tick
    void animate() override;                  // 10 ms tick
    // Keys and the pen are not the scene's own: the shell passes them on to
    // the current screen.

    // --- story actions and transitions ------------------------------------
    ActionQueue& actions() { return actions_; }
    void post_transition(int32_t type, int32_t kind, uint32_t a, uint32_t b) { transition_.post(type, kind, a, b); }
    const TransitionRunner& transition() const { return transition_; }
    FadeControl& main_fade() { return main_fade_; }
    FadeControl& upper_fade() { return upper_fade_; }
    // What the screens that story actions and the walk open work on.
    ScreenSubjects screen_subjects;

    // The combat action player of the running session (made by enter,
    // deleted by leave; null outside a session).
    ActionPlayer* action_player() const { return action_player_.get(); }

    // --- camera -----------------------------------------------------------
    void set_scripted_focus(Point focus) { scripted_focus_ = focus; }
    bool focus_scripted() const { return focus_scripted_; }
    // The focus glides toward its next target for at most 1000 frames.
    void start_pan();
    bool pan_running() const { return pan_countdown_ > 0; }
    // Moves the focus toward the hero, the scripted focus or the followed
    // actor, and refreshes the view around it.
    void follow_camera();
    // A person the walking screen has the camera follow (a scripted walk).
    const Actor* followed_actor = nullptr;
    Point focus() const { return focus_; }
    Point origin() const { return origin_; }
    bool camera_frozen = false;
    // Set while a screen's page covers the whole map (level-up, stats): the
    // view is not refreshed behind it.
    bool full_screen_page = false;
    HeroActor& hero() const;

    // --- levels -----------------------------------------------------------
    // Enters the World's current level.
    void enter_level();
    void leave_level();
    // Moves the hero to a level of the story; false (logged, the current
    // level kept) when the story has no such level.
    bool teleport(uint32_t level_id, int32_t x, int32_t y, int32_t facing);
    void rebuild_view(bool preload);
    // The graphics quality changed: the map lighting and the HUD page follow
    // it, and the view is built again with the new lighting.
    void apply_graphics_quality();
    // Drops every built view cell (ground blocks and object lists); the next
    // camera refresh builds them again.
    void clear_view_grid();
    // Hides or shows the four drawables of the map: the ground and object
    // groups and the walk HUD's two groups (screens drawn over the whole
    // map hide them).
    void set_map_drawables_visible(bool visible);
    // The view rebuilt (without preload) when the hero stands on that level:
    // a tile of it changed.
    void refresh_if_current_level(uint32_t level_id);
    // Screens drawn over the map (menu, inventory, combat) call these when
    // entered and left: below 4 MB free the map's characters give their
    // sprites up until the map shows again.
    void release_level_sprites();
    void restore_level_sprites();
    // After a change of tile (x, y): its view cell's object lists (or its
    // ground block) are built again.
    void rebuild_cell(int32_t tile_x, int32_t tile_y, bool objects);
    bool level_entered() const { return level_entered_; }
    // Counts level entries (teleports, new games and loads enter a level):
    // the walking screen forgets the hero's last cell when it changes.
    uint32_t level_entries() const { return level_entries_; }
    // The next camera refresh builds every visible cell at once.
    void request_full_refresh() { full_refresh_ = true; }
    // Whether the hero runs on this level (walks in the "verworld").
    bool hero_runs() const;
    const ViewGrid& view() const { return view_; }
    // The display the map is laid out for.
    Size display_size() const;
    MapViewCells& map_cells() { return map_cells_; }
    SpriteGroup* ground_group() const { return ground_group_; }
    SpriteGroup* object_group() const { return object_group_; }

    // --- music ------------------------------------------------------------
    void play_music(const std::string& name, int32_t order);
    void play_level_music();
    void stop_music();
    bool music_locked = false;
    // Where combat resumes the level music; every level change clears it.
    int32_t saved_music_order = 0;
    const std::string& music_name() const { return music_name_; }

    // --- weather ------------------------------------------------------------
    // The map's weather: the code's low byte (0 none, 1..9; others show
    // nothing). A fight stops it and gives it back; entering a level starts
    // the level's when the WeatherFx setting is on.
    void start_weather(int32_t code);
    void stop_weather();
    // Every logic tick: drops fall and fade in.
    void update_weather();
    // With the camera's origin: drops stay on the map, fog drifts.
    void scroll_weather(Point origin);
    int32_t weather_type() const { return weather_.overlay().code(); }
    const WeatherOverlay& weather() const { return weather_.overlay(); }
    // The weather the settings give the current level: its code, or 0 when
    // the WeatherFx setting is off.
    int32_t level_weather() const;

    void set_play_clock(bool on) { play_clock_ = on; }
    StoryModule* module() const;
    World& world() const;
    const StartConfig& start_config() const { return start_config_; }
    int32_t tile_phase() const { return tile_phase_; }

    // Free physical memory in MB; tests inject their own figure.
    std::function<int32_t()> free_memory;
    // The walk HUD at the bottom of the map, built for the whole session.
    WalkHud hud;
    void update_hud_status() { hud.update_status(); }
    void set_hud_mode(bool on) { hud.set_mode(on); }
    bool hud_mode() const { return hud.mode(); }

    // --- games in progress ------------------------------------------------
    // The automatic save of a region change or a level-up ("save6.dat" and
    // the "autoio.ini" index); false (logged) when it could not be written,
    // and false without writing for a dead hero.
    bool autosave();
    // Resumes the game saved on leaving ("autosave.gam"), else the new-game
    // state; false, with nothing loaded, when neither reads.
    bool load_saved_game();
    // The main menu's new game: the new-game state loaded, the hero on its
    // level, music unlocked, the old game's actions dropped, and the game
    // resumable from then on. False (logged, game unchanged) when the
    // new-game file cannot be read.
    bool start_new_game();
    // The save screen's save into player slot `slot` of `slots` (the list it
    // shows): the slot's file is written whole or not at all, then the index
    // of all the slots. A save whose file was written is made even when the
    // index cannot be rewritten (the slot list and loading read the file);
    // stderr names the index and why. False (logged; the file, the index and
    // `slots` as they were) when the file cannot be written.
    bool save_game(int slot, SlotList& slots);
    // The save screen's load: the file read, the hero put on its level, the
    // old game's actions dropped, the game resumable. False (logged, game
    // unchanged) for a missing or damaged file.
    bool load_game(const std::string& path);
    // Drops the story actions and any transition the running game left
    // behind (a new game, a load, the end of a game); a fade already under
    // way still brings the screen back.
    void forget_pending_actions();
    // Whether leaving the program saves the game ("autosave.gam") so that
    // it can be continued. The end of a game clears it.
    bool resumable() const;
    void set_resumable(bool on);
    // The exit's save: written only when resumable and the hero is alive;
    // a failed write keeps the old file. True when a file was written.
    bool save_for_resume();

private:
    void build_display_list();
    void load_start_config();
    void apply_start_config();
    // Triggers, people and the region file of a level being entered.
    void load_level_story(MapLevel& level);
    // People and monsters back home, with their sprites on the map.
    void place_level_actors(MapLevel& level);
    void detach_level_actors(MapLevel& level);
    // Puts the hero of a freshly loaded state on its level.
    bool enter_saved_level();
    void refresh_view(Point at, bool incremental, bool force);
    Size level_tiles() const;

    // ViewCellBuilder: the tile renderer draws the cells.
    void build_block(int32_t column, int32_t row) override { map_cells_.build_block(column, row); }
    void drop_block(int32_t column, int32_t row) override { map_cells_.drop_block(column, row); }
    void build_lists(int32_t column, int32_t row) override { map_cells_.build_lists(column, row); }
    void drop_lists(int32_t column, int32_t row) override { map_cells_.drop_lists(column, row); }

    ActionQueue actions_;
    std::unique_ptr<ActionPlayer> action_player_;
    TransitionRunner transition_;
    FadeLayerControl main_fade_;   // depth 900, toward black
    FadeLayerControl upper_fade_;  // depth 2000, toward white
    Layer* map_layer_ = nullptr;
    FillRect* backdrop_ = nullptr;
    SpriteGroup* ground_group_ = nullptr;
    SpriteGroup* object_group_ = nullptr;
    MapViewCells map_cells_;
    ActorSprites actor_sprites_;
    ViewGrid view_{*this};
    StartConfig start_config_;

    bool play_clock_ = false;
    int32_t purge_counter_ = 0;
    bool level_entered_ = false;
    MapLevel* entered_level_ = nullptr;
    bool level_sprites_released_ = false;
    uint32_t level_entries_ = 0;
    int32_t tile_phase_ = 0;
    int32_t animation_counter_ = 0;
    std::string music_name_;
    int32_t music_order_ = 0;
    MapWeather weather_;
    std::string last_region_;
    Point scripted_focus_{0, 0};
    int32_t pan_countdown_ = 0;
    bool focus_scripted_ = false;
    Point focus_{0, 0};
    Point origin_{0, 0};
    bool full_refresh_ = false;
};
