#include "game/screens/walking_state.h"

#include <cstdio>
#include <cstdlib>

#include "engine/app/frame_loop.h"
#include "engine/app/shell.h"
#include "engine/core/crt_random.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/action_executor.h"
#include "game/screens/walking_rules.h"
#include "game/session/game.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kHudGroupDepth = 1010;
constexpr Point kActionButtonAt{92, 292};
constexpr int32_t kActionButtonDepth = 9;
constexpr int32_t kHealedMessageTicks = 300;
constexpr int32_t kClickMarkerReach = 32;

// Actions after which the queue waits: they start a scripted step.
bool starts_scripted_step(uint16_t code) {
    return code == kActWalkTo || code == kActWait || code == kActWalkNpc || code == kActCameraFocus ||
           code == kActCameraRelease;
}

}  // namespace

WalkingState::WalkingState() = default;
WalkingState::~WalkingState() = default;

// --- entering and leaving ---------------------------------------------------------

void WalkingState::enter(ScreenArgument argument) {
    bind_context();
    Game& g = *game;
    g.request_full_refresh();
    click_marker_ = nullptr;
    scripted_ = argument.number() == kEnterScripted;
    g.clear_held_keys();
    if (!scripted_) g.play_level_music();

    reset_last_cell_on_level_entry();
    level_ = world->current_level();
    encounter_countdown_ = crt_rand() % 500 + 500;
    walk_target_ = {0, 0};
    walk_mode_ = kWalkNone;

    hud_group_ = new SpriteGroup;
    hud_group_->set_size(kScreenSize.width, kScreenSize.height);
    if (Layer* layer = g.first_layer()) layer->add(hud_group_, kHudGroupDepth);
    action_sprite_ = load_optional_sprite(*hud_group_, u"menus\\walk\\action.spr", kActionButtonAt, kActionButtonDepth);
    if (action_sprite_) {
        action_sprite_->set_flags(ALPHA_LAYER);
        action_sprite_->set_alpha(0);
        action_sprite_->set_phase(1);
    }

    g.set_play_clock(true);
    action_pending_ = false;
    action_available_ = false;
    g.update_hud_status();
    if (!scripted_ && !g.hud_mode()) check_action_button();

    message_countdown_ = kMessageWaits;
    const HeroActor& h = world->hero();
    if (h.armour_lost || h.shield_lost) check_worn_out_gear();
    else if (argument.number() == kEnterAfterSleep)
        show_message(kMessagePage, "message", "Your health is fully restored.", kHealedMessageTicks);
}

void WalkingState::leave() {
    close_message();
    remove_click_marker();
    if (hud_group_) {
        // The layer deletes the group and the action button with it.
        if (Layer* layer = game->first_layer()) layer->remove(hud_group_);
        else delete hud_group_;
    }
    hud_group_ = nullptr;
    action_sprite_ = nullptr;
}

void WalkingState::reset_last_cell_on_level_entry() {
    // Only a level entry (a teleport, a new game, a load) makes the hero's
    // tile new; coming back from another screen does not, or a trigger
    // that opens a screen would open it again and again.
    if (game->level_entries() == seen_level_entries_) return;
    seen_level_entries_ = game->level_entries();
    last_cell_x_ = last_cell_y_ = 0;
    last_level_id_ = 0;
}

// --- scripted steps ------------------------------------------------------------------

void WalkingState::set_walk_target(Point target) { walk_target_ = target; }

void WalkingState::set_wait_ticks(int32_t ticks) { wait_ticks_ = ticks; }

void WalkingState::follow(const NpcActor* actor) {
    if (game) game->followed_actor = actor;
}

// --- the tick ---------------------------------------------------------------------------

void WalkingState::update() {
    if (update_message()) return;
    level_ = world->current_level();
    update_click_marker();
    if (walk_mode_ == kWalkToAction) {
        const Point offset = game->object_group() ? game->object_group()->offset() : Point{0, 0};
        walk_target_ = {action_offset_.x + offset.x - 16, action_offset_.y + offset.y - 16};
        if (action_pending_) {
            walk_mode_ = kWalkNone;
            walk_timer_ = 1450;
        }
    }
    if (!run_queued_actions()) {
        if (update_characters()) return;
        const Point next = next_position();
        if (game->current_state() != this) return;
        if (leave_over_edge(next)) return;
        if (!scripted_) push_out_of_obstacle();
        move_hero(next);
        if (game->current_state() != this) return;
    }
    if (game->current_state() != this) return;
    update_script_waits();
    const HeroActor& h = world->hero();
    if (!scripted_ && h.experience >= h.experience_step) {
        enter_screen(*game, kLevelUpScreen, 0);
        return;
    }
    if (scripted_) continue_script();
}

bool WalkingState::update_message() {
    if (!message_menu_) return false;
    if (message_countdown_ > 0) --message_countdown_;
    else if (message_countdown_ == 0) close_message();
    return true;
}

void WalkingState::update_click_marker() {
    if (!click_marker_) return;
    click_marker_->animate();
    const HeroActor& h = world->hero();
    const bool reached = std::abs(click_marker_->x - h.x - 16) + std::abs(click_marker_->y - h.y - 16) < kClickMarkerReach;
    if (click_marker_->animation_part == 3 || reached) remove_click_marker();
}

bool WalkingState::run_queued_actions() {
    const bool fading = game->transition().pending().type != kTransitionNone;
    if (!fading && (game->actions().empty() || scripted_)) return false;
    // A scene fired on arrival starts while the screen fades in: its walk,
    // wait or camera pan holds the actions after it as it would on a still
    // screen, instead of the whole scene running out during the fade.
    if (fading && scripted_ && script_step_running()) return true;
    while (std::shared_ptr<Action> action = game->actions().pop()) {
        run_action(*game, *action);
        if (starts_scripted_step(action->code) || game->current_state() != this) break;
    }
    return true;
}

Point WalkingState::next_position() {
    const HeroActor& h = world->hero();
    Point next = h.position();
    const uint32_t held = game->key_mask() & kArrowKeys;
    // The walk to a person ends once she is in reach: the hero cannot reach
    // her own place, and would side-step round her until the walk timed out.
    if (action_pending_ && action_at_person_ && within_action_reach(h.position(), action_target_))
        walk_target_ = {0, 0};
    if (held && !scripted_ && !action_pending_ && !game->hud_mode()) {
        next = arrow_step(next, held);
        walk_target_ = {0, 0};
    } else if (walk_target_ == Point{0, 0}) {
        walk_timer_ = 0;
        if (action_pending_ && world->hero().step_toward(action_target_.x, action_target_.y, false) == Actor::kNoProgress)
            perform_action();
    } else {
        next = step_toward_walk_target(next);
    }
    return next;
}

Point WalkingState::step_toward_walk_target(Point from) {
    if (walk_mode_ != kWalkByPen) ++walk_timer_;
    WalkAxes axes = walk_axes(walk_target_, walk_timer_);
    Point next = from;
    if (walk_target_.x != 0 && axes.x) next.x = approach(from.x, walk_target_.x, &walk_target_.x);
    if (walk_target_.y != 0 && axes.y) next.y = approach(from.y, walk_target_.y, &walk_target_.y);
    if (walk_timer_ > kWalkTimeLimit) walk_target_ = {0, 0};
    return next;
}

bool WalkingState::leave_over_edge(Point next) {
    if (!level_) return false;
    const HeroActor& h = world->hero();
    const std::optional<LevelEdge> edge = edge_crossed(*level_, h.position(), next);
    if (!edge) return false;
    const uint32_t target = level_->exit_level(*edge);
    const uint32_t position = level_->exit_position(*edge);
    if (!world->get_level(target)) {
        // A story naming a level it lacks: the edge stays closed.
        std::fprintf(stderr, "tarrowind: the exit of level %08X leads to no level (%08X)\n", unsigned(level_->id),
                     unsigned(target));
        return false;
    }
    game->post_transition(kTransitionFadeOut, kTransitionChangeLevel, target, position);
    return true;
}

void WalkingState::push_out_of_obstacle() {
    HeroActor& h = world->hero();
    const Point centre{h.x + 16, h.y + 16};
    if (!h.blocked_at(centre.x, centre.y)) return;
    for (int32_t k = 0; k < 32; ++k)
        for (const Point direction : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}}) {
            if (h.blocked_at(centre.x + direction.x * k, centre.y + direction.y * k)) continue;
            h.place(h.level_id, h.x + direction.x * k, h.y + direction.y * k, -1);
            return;
        }
}

void WalkingState::move_hero(Point next) {
    HeroActor& h = world->hero();
    const Point before = h.position();
    const int result = h.step_toward(next.x, next.y, true);
    if (!scripted_ && !game->hud_mode()) check_action_button();
    if (result == Actor::kArrived) {
        walk_target_ = {0, 0};
        if (action_pending_) perform_action();
    } else if (result == Actor::kNoProgress) {
        walk_timer_ += 100;
    }
    if (scripted_ || game->current_state() != this) return;
    fire_on_new_cell();
    const bool moved = h.position() != before;
    if (moved && game->transition().pending().type == kTransitionNone && !scripted_) count_down_encounter();
}

void WalkingState::fire_on_new_cell() {
    const Point cell = hero_cell(world->hero());
    const uint32_t level_id = world->current_level_id();
    if (cell.x == last_cell_x_ && cell.y == last_cell_y_ && level_id == last_level_id_) return;
    last_cell_x_ = cell.x;
    last_cell_y_ = cell.y;
    last_level_id_ = level_id;
    set_hero_position(cell.x, cell.y, false);
}

void WalkingState::set_hero_position(int32_t cell_x, int32_t cell_y, bool by_action) {
    world->trigger_event = {by_action ? 1 : 0, cell_x, cell_y, world->current_level_id()};
    world->fire_level_triggers([this](const std::shared_ptr<Action>& action) { game->actions().push(action); });
}

void WalkingState::update_script_waits() {
    const Actor* followed = game->followed_actor;
    if (followed && followed->path.empty()) {
        game->set_scripted_focus(followed->position());
        game->followed_actor = nullptr;
    }
    if (!game->pan_running() && wait_ticks_ > 0) --wait_ticks_;
}

bool WalkingState::script_step_running() const {
    if (walk_target_ != Point{0, 0} || game->followed_actor || wait_ticks_ > 0) return true;
    return game->actions().empty() ? game->pan_running() : game->focus_scripted() && game->pan_running();
}

void WalkingState::continue_script() {
    if (script_step_running()) return;
    const Action* next = game->actions().peek();
    if (next && next->code == kActWalkTo) {
        while (std::shared_ptr<Action> action = game->actions().pop()) {
            run_action(*game, *action);
            if (action->code == kActWalkTo || game->current_state() != this) break;
        }
        return;
    }
    scripted_ = false;
}

void WalkingState::perform_action() {
    const Point target = action_target_;
    action_pending_ = false;
    walk_mode_ = kWalkNone;
    if (!talk_to_nearest(target)) set_hero_position(target.x / kTilePixels, target.y / kTilePixels, true);
}

// --- transitions -------------------------------------------------------------------------

int WalkingState::on_event(int code, int kind, uint32_t a, uint32_t b) {
    if (code == kEventFadedIn) {
        game->post_transition(kTransitionNone, 0, 0, 0);
    } else if (code == kEventFadeStep) {
        show_action_button(false);
    } else if (code == kEventFadedOut) {
        if (kind == kTransitionChangeLevel) arrive_on_level(a, b);
        else if (kind == kTransitionQuit) request_quit();
        else if (kind == kTransitionCombat) begin_fight();
    }
    return 1;
}

void WalkingState::arrive_on_level(uint32_t level_id, uint32_t position) {
    walk_target_ = {0, 0};
    game->followed_actor = nullptr;
    HeroActor& h = world->hero();
    const Point at = packed_tile_pixels(position);
    // A level the story lacks keeps the hero where it is; the screen still
    // fades back in.
    game->teleport(level_id, at.x, at.y, h.facing);
    game->post_transition(kTransitionFadeIn, kTransitionChangeLevel, 0, 0);
    level_ = world->current_level();
    game->play_level_music();
    game->saved_music_order = 0;
    reset_last_cell_on_level_entry();
    // The arrival fires the level's triggers that ask for no tile (its
    // start); the tile's own fire on the next tick, from the new cell.
    set_hero_position(h.x, h.y, false);
}
