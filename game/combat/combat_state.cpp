#include "game/combat/combat_state.h"

#include <algorithm>

#include "engine/core/crt_random.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/platform/platform.h"
#include "engine/ui/text_effects.h"
#include "engine/ui/ui_menu.h"
#include "game/effects/action_player.h"
#include "game/screens/action_executor.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/session/story_placement.h"
#include "game/sound/sound_manager.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kFadeInStep = -2;  // of 32 a frame
constexpr int32_t kPauseFrames = 30;
constexpr int32_t kRewardWait = 300;
constexpr int32_t kFuneralWait = 300;
constexpr int32_t kFlightWait = 100;
constexpr int32_t kBlinkDelay = 2;
constexpr int32_t kBlinkStep = 8;
constexpr int32_t kBlinkFades = 3;
constexpr int32_t kFrontDepth = 300;
constexpr int32_t kBackDepth = 200;
constexpr int32_t kCriticalBit = 8;
constexpr int32_t kDieFromFrame = 13;  // the kneeling frame: a shorter fall

bool names_action(const std::string& name) { return !name.empty() && name != MonsterRecord::kNoAppearAction; }

// Whether any item the hero could pick in a fight (on any page) is one he
// may use now.
bool holds_usable_item(const HeroActor& hero) {
    for (const auto& entry : hero.inventory) {
        const ItemRecord* item = entry ? entry->item : nullptr;
        const bool fights_with = item && (item->kind == kItemWeapon || item->kind == kItemWand || item->kind == kItemUsable);
        if (fights_with && hero.refusal_for(*item) == 0) return true;
    }
    return false;
}

}  // namespace

CombatState::CombatState() = default;
CombatState::~CombatState() = default;

int32_t CombatState::page() const { return hero ? hero->action_value : kNoQuickPage; }

// --- entering and leaving -------------------------------------------------------

void CombatState::reset_fight() {
    // Nothing of the last fight carries over: a fight after a failed flight
    // must not begin as if its parting attack had been answered already.
    result_.clear();
    reward_ = CombatReward{};
    tools_.clear();
    used_item_ = parting_item_ = nullptr;
    lines_ = {};
    next_phase_ = kBackToMap;
    event_ = kNoEvent;
    wait_frames_ = delay_frames_ = turn_count_ = 0;
    action_id_ = appear_action_id_ = 0;
    fight_actions_.clear();
    hero_weapon_kind_ = -1;
    repeat_frames_ = held_direction_ = 0;
    blink_delay_ = blink_count_ = 0;
    blink_in_ = false;
    parting_attack_done_ = false;
    input_enabled_ = skip_allowed_ = false;
    shown_result_ = false;
    monster_shift_ = 0;
    carousel_.fill(nullptr);
}

void CombatState::enter(ScreenArgument argument) {
    bind_context();
    reset_fight();
    monster_ = argument.pointer<MonsterActor>();
    if (!monster_ || !monster_->record()) {
        // Nothing to fight: back to the map, out of the white fade.
        monster_ = nullptr;
        game->upper_fade().add_level(-FadeControl::kDark);
        game->switch_state(kWalkingScreen, 0);
        return;
    }
    hero_sprite_file_.clear();
    saved_weather_ = game->weather_type();
    game->stop_weather();
    if (ActionPlayer* player = game->action_player()) player->detach_layer();
    if (game->free_memory() < 2) game->clear_view_grid();

    // The fight's generator is seeded from the clock (the virtual one
    // headless, so that an input script replays the fight); the rules also
    // note the hero's hit points and generate the monster's stats.
    rules_.begin_fight(*world, *hero, *monster_, platform().tick_count());
    in_fight_ = true;
    // The map stays as it is under the fight: the camera must not rebuild
    // the view the start of the fight releases (nor reseed the shared
    // generator doing so).
    game->camera_frozen = true;
    game->release_level_sprites();
    add_groups();
    weather_.set_weather(saved_weather_);

    const Size layer = game->first_layer()->size();
    const std::string& name = monster_->record()->name;
    if (layer.width == 320 && (name == "leviathan" || name == "Leviathan")) monster_shift_ = -40;

    phase_ = kStart;
    hero->last_used_up_item = 0;
}

void CombatState::leave() {
    if (!in_fight_) return;  // entered without a monster
    in_fight_ = false;
    tools_.clear();
    game->start_weather(saved_weather_);
    // Wear of armour and shield after a fight that hit the hero; the
    // per-combat bonuses go back to 0.
    rules_.end_fight();
    // The actions of this fight play on sprites about to be deleted.
    remove_fight_actions();
    if (ActionPlayer* player = game->action_player()) player->destroy_overlay();
    if (menu_) menu_->release();
    menu_.reset();
    if (text_effects_) text_effects_->remove_all();
    remove_groups();
    hide_map(false);
    game->camera_frozen = false;
    if (game->free_memory() < 5) purge_resource_caches();
    game->restore_level_sprites();
    game->play_level_music();
    if (!game->music_locked && g_sound_manager) g_sound_manager->set_music_order(game->saved_music_order);
    // A dead hero drinks nothing: revived, he would be saved to be continued.
    if (game->module()->settings.auto_heal && hero->hit_points > 0) hero->drink_potions();
    monster_ = nullptr;
    game->screen_subjects.opponent.reset();
}

void CombatState::hide_map(bool hidden) {
    game->set_map_drawables_visible(!hidden);
}

// --- the tick ------------------------------------------------------------------------

void CombatState::update() {
    if (!in_fight_) return;
    if (phase_ == kInitiative) {
        decide_initiative();
        return;
    }
    if (phase_ == kStart) {
        start();
    } else {
        weather_.update_weather();
        weather_.scroll_fog();
        if (text_effects_) text_effects_->update();
        if (menu_) menu_->update();
        input_enabled_ = phase_ == kHeroInput || (phase_ == kCountedWait && skip_allowed_);
        fade_dim_strip();
        step_phase();
        // The phase may have switched the screen (and so left the fight).
        if (!screen_built()) return;
    }
    step_held_scroll();
    if (ActionPlayer* player = game->action_player()) player->update();
    slide_carousel();
}

void CombatState::step_phase() {
    switch (phase_) {
    case kHeroActs: hero_acts(); break;
    case kHeroAction: wait_for_action(kEventHeroResult, kHeroResult); break;
    case kHeroResult: hero_result(); break;
    case kItemUsedUp: item_used_up(); break;
    case kPause:
        if (delay_frames_ > 0) --delay_frames_;
        else phase_ = kMonsterActs;
        break;
    case kMonsterActs: monster_acts(); break;
    case kMonsterAction: wait_for_action(kEventMonsterResult, kMonsterResult); break;
    case kMonsterResult: after_monster_turn(); break;
    case kMonsterDefeated: monster_defeated(); break;
    case kDeath: die(); break;
    case kBlinkOut: blink_out(); break;
    case kReward: give_reward(); break;
    case kCountedWait: counted_wait(); break;
    case kGameOver: game_over(); break;
    case kBackToMap: back_to_map(); break;
    default: break;
    }
}

void CombatState::start() {
    hide_map(true);
    game->clear_view_grid();
    if (game->free_memory() < 5) purge_resource_caches();
    build_screen();
    phase_ = kInitiative;
}

void CombatState::decide_initiative() {
    // The screen fades in from white first.
    FadeControl& fade = game->upper_fade();
    const int before = fade.level();
    fade.add_level(kFadeInStep);
    if (fade.level() != before) return;
    phase_ = rules_.hero_begins() ? kHeroInput : kMonsterActs;
}

// --- the hero's turn ------------------------------------------------------------------

void CombatState::hero_acts() {
    InventoryEntry* entry = tools_.entry_at(selection());
    hero->current_item = entry;
    set_hero_sprite(1);
    used_item_ = entry ? entry->item : nullptr;
    action_id_ = 0;
    shown_result_ = false;
    if (entry && used_item_) {
        const ItemRecord& item = *used_item_;
        if (item.kind == kItemWeapon) hero_weapon_kind_ = item.sub_kind;
        if (item.kind == kItemWand) hero_weapon_kind_ = 3;
        const std::string action = item.action_name();
        rules_.resolve_attack(*hero, *monster_, result_);
        if (result_.refusal) {
            show_event(kEventRefused);
            set_hero_sprite(0);
            show_idle_pose();
            if (holds_usable_item(*hero)) {
                phase_ = kHeroInput;
                return;
            }
            // Nothing he holds may be used now: the turn passes as it does
            // with nothing at all, the refusal staying on the board, so that
            // a monster he cannot flee still gets its turn.
            used_item_ = nullptr;
            phase_ = kHeroAction;
            return;
        }
        // The entry is freed when it ran out: the list must forget it now.
        if (result_.used_up) tools_.drop_entry(entry);
        hero_sprite_->set_position(Sprite::KEEP, Sprite::KEEP, kFrontDepth);
        monster_sprite_->set_position(Sprite::KEEP, Sprite::KEEP, kBackDepth);
        scene_group_->move_to_depth(hero_sprite_);
        scene_group_->move_to_depth(monster_sprite_);
        const int32_t flags = result_.flags & ~kCriticalBit;
        const int32_t anchor_x = monster_->record()->anchor_x + monster_sprite_->x;
        const int32_t anchor_y = monster_->record()->anchor_y + monster_sprite_->y - monster_sprite_->frame_height;
        if (item.kind == kItemUsable)
            action_id_ = start_action(action, monster_sprite_, hero_sprite_, flags, hero_weapon_kind_, anchor_x, anchor_y);
        else
            action_id_ = start_action(action, hero_sprite_, monster_sprite_, flags, -1, anchor_x, anchor_y);
    }
    show_event(kEventClear);
    show_event(kEventHeroUses);
    phase_ = kHeroAction;
}

void CombatState::wait_for_action(int32_t event, int32_t then) {
    ActionPlayer* player = game->action_player();
    if (!shown_result_ && player && player->is_at_last_frame(action_id_)) {
        show_event(event);
        shown_result_ = true;
    }
    if (player && !player->is_action_finished(action_id_)) return;
    // An action that ended before its show frame (or none at all) still
    // shows what happened.
    if (!shown_result_) show_event(event);
    shown_result_ = true;
    phase_ = then;
}

void CombatState::hero_result() {
    set_hero_sprite(0);
    if (used_item_ && used_item_->kind == kItemUsable && hero_weapon_kind_ >= 0) {
        // After a potion the hero takes up what he fought with before.
        set_page(hero_weapon_kind_ == 3 ? kMagicPage : kWeaponPage);
        build_tool_list(page());
        rebuild_carousel(false);
    }
    show_idle_pose();
    after_hero_turn();
}

void CombatState::after_hero_turn() {
    show_item_caption(false);
    count_turn();
    if (monster_->hit_points <= 0) {
        phase_ = kMonsterDefeated;
    } else if (result_.used_up) {
        phase_ = next_phase_ = kItemUsedUp;
        result_.used_up = 0;
    } else {
        delay_frames_ = kPauseFrames;
        phase_ = kPause;
    }
}

void CombatState::item_used_up() {
    const uint32_t id = hero->last_used_up_item;
    if (const CombatToolGroup* group = tools_.find(id); group && !group->entries.empty()) {
        // Another stack of the same item takes the place of the one used up.
        const ItemRecord* item = group->item();
        build_tool_list(page());
        hero->current_item = nullptr;
        if (item && item->kind != kItemUsable) set_selection(tools_.index_of(id));
        hero->current_item = tools_.entry_at(selection());
    }
    rebuild_carousel(false);
    if (!hero->current_item) {
        set_page(kWeaponPage);
        build_tool_list(page());
        rebuild_carousel(false);
    }
    for (int32_t tries = 0; !hero->current_item && tries < kQuickPageCount; ++tries) {
        set_page((page() + 1) % kQuickPageCount);
        build_tool_list(page());
        rebuild_carousel(false);
    }
    note_weapon_kind();
    if (menu_) menu_->set_var(u"Tools", page());
    show_event(kEventWornOut);
    phase_ = kMonsterActs;
}

// --- the monster's turn ----------------------------------------------------------------

void CombatState::monster_acts() {
    set_hero_sprite(0);
    show_idle_pose();
    // A parting attack already chose the item it struck with.
    const bool armed = parting_attack_done_ || rules_.choose_monster_weapon(*monster_, *hero);
    const InventoryEntry* entry = monster_->current_item;
    const ItemRecord* item = armed && entry ? entry->item : nullptr;
    if (parting_attack_done_) item = parting_item_;
    shown_result_ = false;
    action_id_ = 0;
    if (!parting_attack_done_) {
        if (item) rules_.resolve_attack(*monster_, *hero, result_);
        else result_.clear();  // nothing to fight with: the turn passes
    }
    if (result_.hide_matchup_arrow) set_arrow_frame(kArrowHidden);
    hero_sprite_->set_position(Sprite::KEEP, Sprite::KEEP, kBackDepth);
    monster_sprite_->set_position(Sprite::KEEP, Sprite::KEEP, kFrontDepth);
    scene_group_->move_to_depth(hero_sprite_);
    scene_group_->move_to_depth(monster_sprite_);
    if (hero->hit_points < 1) hero_weapon_kind_ = -1;
    // A hard blow the hero lives through throws him back.
    if ((result_.flags & CombatResult::kHardHit) && result_.damage > 0 && hero->hit_points > 0) set_hero_sprite(2);
    if (item)
        action_id_ = start_action(item->action_name(), monster_sprite_, hero_sprite_, result_.flags & ~kCriticalBit,
                                  hero_weapon_kind_, -1, -1);
    monster_item_ = item;
    show_event(kEventMonsterUses);
    phase_ = kMonsterAction;
}

void CombatState::after_monster_turn() {
    count_turn();
    if (hero->hit_points > 0) {
        set_hero_sprite(0);
        show_idle_pose();
    }
    if (hero->hit_points <= 0) {
        remove_carousel();
        game->music_locked = false;
        game->stop_music();
        show_funeral();
        phase_ = kDeath;
    } else if (parting_attack_done_) {
        // The hero is away once the monster's answer to his flight is shown.
        escape();
    } else {
        phase_ = kHeroInput;
    }
}

void CombatState::escape() {
    show_event(kEventEscape);
    wait_frames_ = kFlightWait;
    phase_ = kCountedWait;
    next_phase_ = kBackToMap;
    remove_monster_from_world();
}

void CombatState::count_turn() {
    // Turn-bound effects count pairs of turns, whichever side took them.
    if (turn_count_ == 1) {
        turn_count_ = 0;
        if (ActionPlayer* player = game->action_player()) player->end_looping_effects();
    } else {
        turn_count_ = 1;
    }
}

// --- the end of a fight ----------------------------------------------------------------

void CombatState::monster_defeated() {
    if (world->difficulty != 0) set_arrow_frame(kArrowHidden);
    show_event(kEventDefeated);
    blink_delay_ = blink_count_ = 0;
    blink_in_ = false;
    end_appear_action();
    phase_ = kBlinkOut;
}

void CombatState::blink_out() {
    if (blink_delay_ > 0) {
        --blink_delay_;
        return;
    }
    if (!monster_sprite_) {
        phase_ = kReward;
        return;
    }
    monster_sprite_->set_visible(1);
    monster_sprite_->set_flags(ALPHA_LAYER);
    blink_delay_ = kBlinkDelay;
    if (blink_in_) {
        monster_sprite_->add_alpha(kBlinkStep);
        if (monster_sprite_->alpha >= 32) blink_in_ = false;
        return;
    }
    monster_sprite_->add_alpha(-kBlinkStep);
    if (monster_sprite_->alpha > 0) return;
    if (++blink_count_ < kBlinkFades) {
        blink_in_ = true;
        return;
    }
    // No action may go on playing on the sprite that goes now.
    remove_fight_actions();
    scene_group_->remove_sprite(monster_sprite_);
    monster_sprite_ = nullptr;
    if (game->free_memory() < 3) purge_resource_caches();
    phase_ = kReward;
}

void CombatState::give_reward() {
    show_reward();
    remove_monster_from_world();
    phase_ = kCountedWait;
    next_phase_ = kBackToMap;
    skip_allowed_ = true;
    wait_frames_ = kRewardWait;
}

void CombatState::die() {
    const bool odd = (crt_rand() & 1) != 0;
    if (g_sound_manager)
        g_sound_manager->play_sound(odd ? u"sfx/tkvoices/tkdies4.wav" : u"sfx/tkvoices/tkdies3.wav", 255, -1, false);
    show_event(kEventDied);
    blink_delay_ = blink_count_ = 0;
    blink_in_ = false;
    if (hero_sprite_) {
        hero_sprite_->set_animation(hero_sprite_->phase == kDieFromFrame ? "Die" : "DieFull");
        hero_sprite_->animate();
    }
    phase_ = kCountedWait;
    next_phase_ = kGameOver;
    wait_frames_ = kFuneralWait;
}

void CombatState::counted_wait() {
    if (next_phase_ == kGameOver) {
        if (hero_sprite_) {
            hero_sprite_->animate();
            hero_sprite_->invalidate();
            if (hero_sprite_->current_animation < 0) skip_allowed_ = true;
        }
        // The grave comes up slowly behind the last words.
        if (funeral_sprite_) funeral_sprite_->add_alpha(1);
    }
    if (wait_frames_ > 0) --wait_frames_;
    else phase_ = next_phase_;
}

void CombatState::game_over() {
    end_appear_action();
    // Leaving HUD mode saves the game when it was on; a dead hero is not
    // saved (the automatic save refuses him).
    game->set_hud_mode(false);
    // The game-over picture, then the load screen.
    game->switch_state(kEndOfGameScreen, 0);
}

void CombatState::back_to_map() {
    const bool level_up = hero->experience >= hero->experience_step;
    game->switch_state(level_up ? kLevelUpScreen : kWalkingScreen, 0);
}

void CombatState::remove_monster_from_world() {
    end_appear_action();
    monster_->detach_sprite();
    // A monster made for this encounter goes with the fight (the game holds
    // it until then); one of the level leaves the level.
    if (!monster_->encounter) remove_monster(*game, *monster_);
}

void CombatState::end_appear_action() {
    if (!names_action(monster_->record()->appear_action)) return;
    if (ActionPlayer* player = game->action_player()) player->remove_action_by_id(appear_action_id_);
}

// --- actions ------------------------------------------------------------------------------

int32_t CombatState::start_action(const std::string& name, Sprite* first, Sprite* second, int32_t flags,
                                  int32_t weapon_kind, int32_t anchor_x, int32_t anchor_y) {
    ActionPlayer* player = game->action_player();
    if (name.empty() || !player) return 0;
    const int32_t id = player->load_action(name, scene_group_, first, second, flags, 1, weapon_kind, anchor_x, anchor_y);
    fight_actions_.push_back(id);
    return id;
}

void CombatState::remove_fight_actions() {
    if (ActionPlayer* player = game->action_player())
        for (const int32_t id : fight_actions_) player->remove_action_by_id(id);
    fight_actions_.clear();
}
