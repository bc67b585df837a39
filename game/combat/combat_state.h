// "Combat": one fight between the hero and a monster, from the walking
// screen's fade to the return to the map (or to the end of the game). Each
// logic tick steps a phase machine that alternates the hero's and the
// monster's turns, resolves each attack through the combat rules, shows it
// through the game's action player and on the combat screen, and hands out
// the reward, the flight or the funeral.
//
// The code is spread over one file per concern:
//   combat_state.cpp     entering, leaving and the phases
//   combat_input.cpp     keys, the pen and the buttons
//   combat_screen.cpp    the screen: groups, sprites, bars, arrow, pages
//   combat_carousel.cpp  the quick-item carousel and its caption
//   combat_messages.cpp  the message board
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/combat/combat_rules.h"
#include "game/combat/combat_tools.h"
#include "game/combat/combat_weather.h"
#include "game/session/game_screen_state.h"

class FadeLayer;
struct ItemRecord;
class MonsterActor;
class Sprite;
class SpriteGroup;
class TextEffects;
class UiMenu;
struct InventoryEntry;

// The board's line for a hero's blow that did damage: by the weapon's
// matchup and the critical bit.
std::u16string hero_damage_line(const CombatResult& result);

class CombatState : public GameScreenState {
public:
    enum Phase : int32_t {
        kHeroActs = 10,
        kHeroAction = 15,
        kHeroResult = 20,
        kItemUsedUp = 22,
        kPause = 25,
        kMonsterActs = 30,
        kMonsterAction = 35,
        kMonsterResult = 40,
        kMonsterDefeated = 80,
        kDeath = 90,
        kBlinkOut = 95,
        kReward = 150,
        kHeroInput = 200,
        kGameOver = 500,
        kBackToMap = 1000,
        kStart = 1999,
        kInitiative = 2000,
        kCountedWait = 3000,
    };
    // Message-board events (see combat_messages.cpp).
    enum Event : int32_t {
        kNoEvent = -1,
        kEventAppeared = 0,
        kEventHeroUses = 10,
        kEventRefused = 11,
        kEventHeroResult = 20,
        kEventWornOut = 22,
        kEventMonsterUses = 30,
        kEventMonsterResult = 40,
        kEventClear = 50,
        kEventDefeated = 80,
        kEventDied = 90,
        kEventExperience = 151,
        kEventFound = 152,
        kEventItemStats = 900,
        kEventItemName = 901,
        kEventEscape = 4000,
        kEventNoEscape = 4001,
    };
    // Matchup arrow frames.
    static constexpr int32_t kArrowHidden = 3;

    CombatState();
    ~CombatState() override;

    // The argument is the MonsterActor met (not owned).
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    // --- what tests and benchmarks look at ---------------------------------------
    int32_t phase() const { return phase_; }
    int32_t next_phase() const { return next_phase_; }
    MonsterActor* monster() const { return monster_; }
    const CombatResult& result() const { return result_; }
    const CombatReward& reward() const { return reward_; }
    const CombatToolList& tools() const { return tools_; }
    int32_t page() const;
    const std::u16string& latest_line() const { return lines_[0]; }
    const std::u16string& older_line() const { return lines_[1]; }
    int32_t action_id() const { return action_id_; }
    bool input_enabled() const { return input_enabled_; }
    bool skip_allowed() const { return skip_allowed_; }
    bool parting_attack_done() const { return parting_attack_done_; }
    int32_t arrow_frame() const;
    uint32_t seed() const { return rules_.seed(); }
    Sprite* hero_sprite() const { return hero_sprite_; }
    Sprite* monster_sprite() const { return monster_sprite_; }
    Sprite* funeral_sprite() const { return funeral_sprite_; }
    UiMenu* menu() const { return menu_.get(); }
    const WeatherOverlay& weather() const { return weather_.overlay(); }
    // Whether the screen's groups are on the map layer (between enter and
    // leave).
    bool screen_built() const { return scene_group_ != nullptr; }

private:
    // --- phases (combat_state.cpp) ----------------------------------------------
    void step_phase();
    void start();
    void decide_initiative();
    void hero_acts();
    void wait_for_action(int32_t event, int32_t then);
    void hero_result();
    void after_hero_turn();
    void item_used_up();
    void monster_acts();
    void after_monster_turn();
    void count_turn();
    void monster_defeated();
    void blink_out();
    void give_reward();
    void counted_wait();
    void game_over();
    void back_to_map();
    void die();
    void remove_monster_from_world();
    void end_appear_action();
    // Starts an attack's action; 0 when the item names none.
    int32_t start_action(const std::string& name, Sprite* first, Sprite* second, int32_t flags,
                         int32_t weapon_kind, int32_t anchor_x, int32_t anchor_y);
    void remove_fight_actions();
    void hide_map(bool hidden);
    void reset_fight();

    // --- input (combat_input.cpp) --------------------------------------------------
    void act();
    void flee();
    // Tells the escape (taking the gold it costs) and leaves the fight.
    void escape();
    void take_tool_page();
    void start_held_scroll(int32_t direction);
    void step_held_scroll();
    void on_command(const std::u16string& command);

    // --- the screen (combat_screen.cpp) -------------------------------------------
    void build_screen();
    void add_groups();
    void remove_groups();
    void set_hero_sprite(int32_t choice);
    void show_idle_pose();
    void show_hp();
    void set_arrow_frame(int32_t frame);
    void show_matchup_if_easy();
    void create_dim_strip();
    void fade_dim_strip();
    void show_reward();
    void show_funeral();
    int32_t hero_weapon_kind_of(const ItemRecord* item) const;
    void note_weapon_kind();

    // --- carousel and caption (combat_carousel.cpp) -----------------------------------
    void build_tool_list(int32_t page);
    void rebuild_carousel(bool with_stats);
    void scroll_carousel(int32_t direction);
    void slide_carousel();
    void remove_carousel();
    void previous_page();
    void next_page();
    void step_page(int32_t step);
    void show_item_caption(bool with_stats);
    void set_page(int32_t page);
    int32_t selection() const;
    void set_selection(int32_t index);
    Sprite* make_icon(int32_t index, int32_t x);
    // The icons of the selection and its neighbours into the empty slots;
    // an icon of `reusable` showing the right group stays. New icons start
    // at entering_x (-1: at their slot).
    void fill_carousel(int32_t entering_x, const std::array<Sprite*, 3>& reusable);
    // An item icon ("tiles/item_<n>.bmp", the plain bag when missing).
    Sprite* add_item_icon(SpriteGroup* group, int32_t icon, int32_t x, int32_t y, int32_t depth, uint32_t flags);

    // --- messages (combat_messages.cpp) ------------------------------------------------
    void show_event(int32_t event);
    void show_message();
    std::u16string event_text(int32_t event);
    std::u16string hero_result_text();
    std::u16string monster_result_text();
    void fly(const std::u16string& text, bool over_monster, int32_t dy = 0);
    void set_status_color(const char16_t* control, uint32_t colour);
    void place_line(int32_t event, const std::u16string& text);

    MonsterActor* monster_ = nullptr;
    CombatRules rules_;
    bool in_fight_ = false;  // between enter (with a monster) and leave
    CombatResult result_;
    CombatReward reward_;

    // Display groups on the map layer (owned by it while entered).
    SpriteGroup* scene_group_ = nullptr;
    SpriteGroup* bar_group_ = nullptr;
    SpriteGroup* menu_group_ = nullptr;
    SpriteGroup* overlay_group_ = nullptr;
    SpriteGroup* spare_group_ = nullptr;
    FadeLayer* fade_layer_ = nullptr;
    CombatWeather weather_;  // the map's weather over the scene
    TextEffects* text_effects_ = nullptr;
    std::unique_ptr<UiMenu> menu_;

    Sprite* hero_sprite_ = nullptr;
    Sprite* monster_sprite_ = nullptr;
    Sprite* funeral_sprite_ = nullptr;
    Sprite* levelup_sprite_ = nullptr;
    Sprite* dim_strip_ = nullptr;
    Sprite* arrow_ = nullptr;
    Sprite* enemy_red_ = nullptr;
    Sprite* enemy_black_ = nullptr;
    Sprite* hero_red_ = nullptr;
    Sprite* hero_black_ = nullptr;
    Sprite* bar_frame_ = nullptr;
    std::array<Sprite*, 3> carousel_{};
    std::array<int32_t, 3> carousel_group_{};  // the group each slot shows
    std::u16string hero_sprite_file_;
    int32_t monster_shift_ = 0;

    CombatToolList tools_;
    // The item the hero attacked with, noted before its entry may run out.
    const ItemRecord* used_item_ = nullptr;
    const ItemRecord* parting_item_ = nullptr;
    // What the monster struck with this turn, for the board.
    const ItemRecord* monster_item_ = nullptr;
    // Every action this fight started: removed before the sprites they play
    // on are deleted.
    std::vector<int32_t> fight_actions_;

    std::array<std::u16string, 2> lines_;  // latest, older
    int32_t phase_ = kStart;
    int32_t next_phase_ = kBackToMap;
    int32_t event_ = kNoEvent;
    int32_t wait_frames_ = 0;
    int32_t delay_frames_ = 0;
    int32_t turn_count_ = 0;
    int32_t action_id_ = 0;
    int32_t appear_action_id_ = 0;
    int32_t hero_weapon_kind_ = -1;
    int32_t monster_max_hp_ = 1;
    int32_t hero_max_hp_ = 1;
    int32_t repeat_frames_ = 0;
    int32_t held_direction_ = 0;  // -1 left, 1 right, 0 none
    int32_t saved_weather_ = 0;
    int32_t blink_delay_ = 0;
    int32_t blink_count_ = 0;
    bool blink_in_ = false;
    bool parting_attack_done_ = false;
    bool input_enabled_ = false;
    bool skip_allowed_ = false;
    bool shown_result_ = false;  // the running attack's result is on the board
};
