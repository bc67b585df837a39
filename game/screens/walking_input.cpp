// The walking screen's keys and pen: the hardware keys open the other
// screens, the action key acts, and the pen steers the hero or taps a place
// to walk to.
#include <cstdlib>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/action_executor.h"
#include "game/screens/menu_screen.h"
#include "game/screens/walking_rules.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kHudHeight = 34;
constexpr uint32_t kLongPressMs = 499;
constexpr int32_t kClickMarkerDepth = 20000;
constexpr int32_t kTapReach = 32;

}  // namespace

bool WalkingState::input_blocked() const {
    return scripted_ || game->hud_mode() || game->transition().pending().type != kTransitionNone;
}

Point WalkingState::map_offset() const { return game->object_group() ? game->object_group()->offset() : Point{0, 0}; }

void WalkingState::open_screen(const char* name, ScreenArgument argument) {
    play_menu_click();
    enter_screen(*game, name, argument);
}

void WalkingState::open_game_menu() {
    // The menu's "Continue" comes back to this game.
    game->set_resumable(true);
    open_screen(kMainMenuScreen, 0);
}

// --- keys -----------------------------------------------------------------------------

void WalkingState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (message_menu_) return on_message_key(kind, game_key);
    if (kind != kKeyPress || input_blocked()) return;
    // The buttons open the items, the character sheet, the map zoom and the
    // game menu; the action key acts on what lies in front of the hero.
    switch (game_key) {
    case kKeyButton1: return open_screen(kInventoryScreen, 2);
    case kKeyButton2: return open_screen(kInventoryScreen, 0);
    case kKeyButton3: return open_screen(kZoomScreen, 0);
    case kKeyButton4: return open_game_menu();
    case kKeyAction: find_action_target(); return;
    default: return;
    }
}

// A message closes on any key; on a question the first key only puts the
// focus on its first answer ("No"), later keys move it or answer.
void WalkingState::on_message_key(int kind, uint32_t game_key) {
    if (kind != kKeyPress) return;
    if (message_countdown_ > 0) message_countdown_ = 0;
    const MenuInput input = send_key_focus_style(*message_menu_, game_key);
    if (input.focused_first) message_menu_->draw();
    on_message_result(input.result, input.command);
}

void WalkingState::on_message_result(int32_t result, const std::u16string& command) {
    if (!message_menu_) return;
    if (result == kMenuFocusChanged) {
        message_menu_->draw();
    } else if (result == kMenuCommand) {
        play_menu_click();
        if (command == u"*YES") {
            close_message();
            enter_screen(*game, kInventoryScreen, 1);
        } else if (command == u"*NO") {
            close_message();
        }
    }
}

// --- pen ------------------------------------------------------------------------------

void WalkingState::on_pointer(int kind, int32_t x, int32_t y) {
    if (message_menu_) return on_message_pointer(kind, x, y);
    if (input_blocked()) return;
    if (kind == kPenDown) on_map_pen_down(x, y);
    else if (kind == kPenMove) on_map_pen_move(x, y);
    else if (kind == kPenUp) on_map_pen_up(x, y);
}

void WalkingState::on_message_pointer(int kind, int32_t x, int32_t y) {
    const Point origin = message_group_ ? Point{message_group_->bounds().left, message_group_->bounds().top} : Point{};
    const int32_t at = pack_point(x - origin.x, y - origin.y);
    std::u16string command;
    if (kind == kPenUp) {
        if (message_countdown_ > 0) message_countdown_ = 0;
        on_message_result(message_menu_->handle_event(kMenuTap, at, &command), command);
    } else {
        on_message_result(message_menu_->handle_event(kMenuPointerFocus, at, &command), command);
    }
}

void WalkingState::on_map_pen_down(int32_t x, int32_t y) {
    if (y >= kScreenSize.height - kHudHeight) return;
    const HeroActor& h = world->hero();
    const Point offset = map_offset();
    // The point 16 pixels ahead of the hero's centre, on the screen.
    const Point front = Point{h.x + 16 - offset.x, h.y + 16 - offset.y} + facing_step(h.facing, 16);
    if (std::abs(x - front.x) < kTapReach && std::abs(y - front.y) < kTapReach) {
        if (!talk_to_nearest({x + offset.x - 16, y + offset.y})) {
            const Point cell = Point{h.x + 16, h.y + 16} + facing_step(h.facing, 16);
            set_hero_position(cell.x / kTilePixels, cell.y / kTilePixels, true);
        }
        if (game->current_state() != this) return;
    }
    walk_mode_ = kWalkByPen;
    pen_down_time_ = tick_now();
    on_map_pen_move(x, y);
}

void WalkingState::on_map_pen_move(int32_t x, int32_t y) {
    if (walk_mode_ == kWalkNone) return;
    walk_timer_ = 0;
    const Point offset = map_offset();
    walk_target_ = pen_walk_target({x, y}, world->hero().position(), {x + offset.x - 16, y + offset.y - 16});
}

void WalkingState::on_map_pen_up(int32_t x, int32_t y) {
    const std::u16string command = game->hud.tap(x, y);
    if (!command.empty()) return on_hud_command(command);
    walk_mode_ = kWalkNone;
    walk_timer_ = 0;
    if (tick_now() - pen_down_time_ > kLongPressMs) {
        walk_target_ = {0, 0};
        return;
    }
    const Point offset = map_offset();
    walk_target_ = {x + offset.x - 16, y + offset.y - 16};
    place_click_marker({x + offset.x, y + offset.y});
}

void WalkingState::on_hud_command(std::u16string_view command) {
    if (command == u"*MENU") {
        open_game_menu();
    } else if (command == u"*RUN") {
        world->hero().running = !world->hero().running;
    } else if (command == u"*ZOOM") {
        open_screen(kZoomScreen, 0);
    } else if (command == u"*INV") {
        open_screen(kInventoryScreen, 0);
    } else if (command == u"*INV2") {
        open_screen(kInventoryScreen, 2);
    } else if (command == u"*SLEEP") {
        // Only a hero whose next level is due may raise it.
        const HeroActor& h = world->hero();
        if (h.experience >= h.experience_step) enter_screen(*game, kLevelUpScreen, 0);
    } else if (command == u"*ACTION") {
        find_action_target();
    } else if (command == u"*SAVE") {
        enter_screen(*game, kGameIOScreen, 1);
    }
}

// --- the click marker ------------------------------------------------------------------------

void WalkingState::place_click_marker(Point at) {
    remove_click_marker();
    if (!game->object_group()) return;
    click_marker_ = load_optional_sprite(*game->object_group(), u"menus/main/click.spr", at, kClickMarkerDepth);
    if (click_marker_) click_marker_->set_animation("anim");
}

void WalkingState::remove_click_marker() {
    if (click_marker_ && click_marker_->group) click_marker_->group->remove_sprite(click_marker_);
    click_marker_ = nullptr;
}
