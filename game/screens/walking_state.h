// "Walking": the screen in which the player moves the hero over the map with
// the arrow keys, by tapping or dragging, or toward an action target. Each
// tick it runs queued story actions, moves the level's people and monsters,
// moves the hero with collision, leaves the level over its edges, fires the
// level's triggers when the hero enters a new cell and starts fights. It also
// runs scripted sequences: walk targets, waits and camera pans.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/core/geometry.h"
#include "game/session/game_screen_state.h"

class Actor;
class MonsterActor;
class NpcActor;
class Sprite;
class SpriteGroup;
class UiMenu;
struct MapLevel;

class WalkingState : public GameScreenState {
public:
    // Enter arguments.
    static constexpr uintptr_t kEnterNormal = 0;
    static constexpr uintptr_t kEnterScripted = 1;   // a scripted step of the story
    static constexpr uintptr_t kEnterAfterSleep = 2;  // shows that the hero is healed

    // Ticks a message stays; kMessageWaits keeps it until a key or a tap.
    static constexpr int32_t kMessageWaits = -1;

    WalkingState();
    ~WalkingState() override;

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;
    int on_event(int code, int kind, uint32_t a, uint32_t b) override;

    // --- scripted steps (story actions) ----------------------------------------
    // Walks the hero to the pixel position (0 on an axis: no target there).
    void set_walk_target(Point target);
    void set_wait_ticks(int32_t ticks);
    // The camera follows the person until its path is walked.
    void follow(const NpcActor* actor);

    // Records where the hero stands ({cell, level}, and whether the player
    // acted on the cell) and fires the level's triggers there.
    void set_hero_position(int32_t cell_x, int32_t cell_y, bool by_action);
    // The action key: walks to and acts on the nearest person or trigger
    // tile near the hero; false when there is none.
    bool find_action_target();
    // Talks to the level's person nearest to (x, y) within 32 pixels.
    bool talk_to_nearest(Point at);

    // --- what tests and the HUD look at ----------------------------------------
    bool scripted() const { return scripted_; }
    Point walk_target() const { return walk_target_; }
    int32_t wait_ticks() const { return wait_ticks_; }
    bool action_available() const { return action_available_; }
    bool action_pending() const { return action_pending_; }
    int32_t encounter_countdown() const { return encounter_countdown_; }
    void set_encounter_countdown(int32_t ticks) { encounter_countdown_ = ticks; }
    bool has_message() const { return message_menu_ != nullptr; }
    const UiMenu* message() const { return message_menu_.get(); }
    int32_t message_countdown() const { return message_countdown_; }
    Sprite* click_marker() const { return click_marker_; }

private:
    // --- ticks (walking_state.cpp) -----------------------------------------------
    bool update_message();
    void update_click_marker();
    bool run_queued_actions();
    Point next_position();
    Point step_toward_walk_target(Point from);
    bool leave_over_edge(Point next);
    void push_out_of_obstacle();
    void move_hero(Point next);
    void fire_on_new_cell();
    void update_script_waits();
    // A scripted walk, followed person, wait or camera pan still under way.
    bool script_step_running() const;
    void continue_script();
    void perform_action();
    void reset_last_cell_on_level_entry();
    void arrive_on_level(uint32_t level_id, uint32_t position);

    // --- people and monsters (walking_encounters.cpp) ----------------------------
    bool update_characters();
    bool surroundings_built(const Actor& actor) const;
    void count_down_encounter();
    void start_combat(std::shared_ptr<MonsterActor> monster, int32_t music_order);
    void begin_fight();

    // --- action button and targets (walking_targets.cpp) -------------------------
    void check_action_button();
    bool trigger_tile_near_hero(Point* tile) const;
    bool person_to_talk_near_hero() const;
    void show_action_button(bool shown);
    NpcActor* nearest_person(Point at, int32_t bound, int32_t within) const;

    // --- input (walking_input.cpp) -----------------------------------------------
    bool input_blocked() const;
    void on_message_key(int kind, uint32_t game_key);
    void on_message_pointer(int kind, int32_t x, int32_t y);
    void on_message_result(int32_t result, const std::u16string& command);
    void on_map_pen_down(int32_t x, int32_t y);
    void on_map_pen_move(int32_t x, int32_t y);
    void on_map_pen_up(int32_t x, int32_t y);
    void on_hud_command(std::u16string_view command);
    void place_click_marker(Point at);
    void remove_click_marker();
    void open_screen(const char* name, ScreenArgument argument);
    // The game menu, from which the game can be resumed.
    void open_game_menu();
    Point map_offset() const;

    // --- messages (walking_messages.cpp) -----------------------------------------
    void show_message(const char* def, const char* control, const char* text, int32_t ticks);
    void show_question(const char* text);
    void close_message();
    void check_worn_out_gear();

    SpriteGroup* hud_group_ = nullptr;
    Sprite* action_sprite_ = nullptr;
    Sprite* click_marker_ = nullptr;
    SpriteGroup* message_group_ = nullptr;
    std::unique_ptr<UiMenu> message_menu_;
    MapLevel* level_ = nullptr;

    int32_t last_cell_x_ = 0;
    int32_t last_cell_y_ = 0;
    uint32_t last_level_id_ = 0;
    uint32_t seen_level_entries_ = 0;
    int32_t encounter_countdown_ = 0;
    Point walk_target_{0, 0};
    Point action_offset_{0, 0};
    Point action_target_{-1, -1};
    // The action is a talk: its walk ends as soon as the person is within
    // reach, since the hero cannot stand where she stands.
    bool action_at_person_ = false;
    int32_t wait_ticks_ = 0;
    bool action_available_ = false;
    bool action_pending_ = false;
    uint32_t pen_down_time_ = 0;
    int32_t message_countdown_ = kMessageWaits;
    int32_t walk_mode_ = 0;
    int32_t walk_timer_ = 0;
    bool scripted_ = false;
};
