// The player's side of a fight: game keys, the pen on the combat page, and
// what the buttons do (act, flee, the page switch, the held scroll of the
// carousel).
#include <optional>

#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_button.h"
#include "engine/ui/ui_check.h"
#include "engine/ui/ui_menu.h"
#include "game/combat/combat_state.h"
#include "game/screens/menu_screen.h"
#include "game/session/game.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"

namespace {

constexpr int32_t kFirstRepeatFrames = 50;
constexpr int32_t kRepeatFrames = 10;

// The command of the usable control under the pen on the menu's page;
// empty when there is none. (The menu's own pen-down event only moves the
// focus and names no control.)
std::u16string command_at(const UiMenu& menu, int32_t x, int32_t y) {
    const UiPage* page = menu.current();
    if (!page) return {};
    for (const auto& control : page->controls()) {
        if (!control->usable() || !control->hit(x, y)) continue;
        std::optional<std::u16string> command;
        if (const auto* bitmap = dynamic_cast<const UiBitmap*>(control.get())) command = bitmap->command;
        else if (const auto* check = dynamic_cast<const UiCheck*>(control.get())) command = check->command;
        else if (const auto* button = dynamic_cast<const UiButton*>(control.get())) command = button->command;
        if (command) return *command;
    }
    return {};
}

}  // namespace

void CombatState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (!input_enabled_ || phase_ == kStart || phase_ == kInitiative) return;
    if (menu_) menu_->on_key(int32_t(game_key));
    if (phase_ == kCountedWait) {
        if (kind == kKeyPress && skip_allowed_) phase_ = next_phase_;
        return;
    }
    if (phase_ != kHeroInput) return;
    if (kind == kKeyRelease) {
        if (game_key == kKeyLeft || game_key == kKeyRight) held_direction_ = 0;
        return;
    }
    if (kind != kKeyPress) return;
    // The first button acts as the action key; the fourth flees.
    switch (game_key) {
    case kKeyButton1:
    case kKeyAction: act(); break;
    case kKeyButton4: flee(); break;
    case kKeyLeft: start_held_scroll(-1); break;
    case kKeyRight: start_held_scroll(1); break;
    case kKeyUp: previous_page(); break;
    case kKeyDown: next_page(); break;
    default: break;
    }
}

void CombatState::on_pointer(int kind, int32_t x, int32_t y) {
    if (!input_enabled_ || phase_ == kStart || phase_ == kInitiative || !menu_) return;
    menu_->on_pointer(x, y);
    const int32_t at = pack_point(x, y);
    if (kind != kPenMove) held_direction_ = 0;
    if (kind == kPenMove || kind == kPenDown) {
        if (menu_->handle_event(kMenuPointerFocus, at, nullptr) == kMenuFocusChanged) menu_->draw();
        if (kind == kPenDown && phase_ == kHeroInput) {
            const std::u16string command = command_at(*menu_, x, y);
            if (command == u"*LEFT") start_held_scroll(-1);
            if (command == u"*RIGHT") start_held_scroll(1);
        }
        return;
    }
    if (kind != kPenUp) return;
    if (menu_->handle_event(kMenuClearFocus, at, nullptr) == kMenuFocusChanged) menu_->draw();
    std::u16string command;
    const int32_t answer = menu_->handle_event(kMenuTap, at, &command);
    if (phase_ == kCountedWait) {
        if (skip_allowed_) phase_ = next_phase_;
        return;
    }
    if (phase_ == kHeroInput && answer == kMenuCommand) on_command(command);
}

void CombatState::on_command(const std::u16string& command) {
    if (command == u"*ACTION") act();
    else if (command == u"*TOOL") take_tool_page();
    else if (command == u"*FLEE") flee();
}

void CombatState::act() {
    // Without an item the turn passes (the hero's no-entry path), so that a
    // hero with nothing left against a monster he cannot flee is not stuck.
    phase_ = kHeroActs;
}

void CombatState::flee() {
    play_menu_click();
    // A monster with nothing to strike with cannot hold the hero: against
    // a hero with nothing usable left, both would pass their turns for ever.
    if (monster_->record()->cannot_flee && rules_.monster_can_strike()) {
        show_event(kEventNoEscape);
        return;
    }
    rules_.parting_attack(result_);
    parting_item_ = result_.item ? result_.item : monster_->current_item ? monster_->current_item->item : nullptr;
    show_event(kEventClear);
    if (result_.flags != 0) {
        // The monster strikes at the fleeing hero: its blow is shown first,
        // and the escape after it, when he lives through it.
        parting_attack_done_ = true;
        phase_ = kMonsterActs;
        return;
    }
    escape();
}

void CombatState::take_tool_page() {
    play_menu_click();
    if (page() == kNoQuickPage || !menu_) return;
    set_page(menu_->get_var(u"Tools"));
    build_tool_list(page());
    rebuild_carousel(true);
}

void CombatState::start_held_scroll(int32_t direction) {
    play_menu_click();
    scroll_carousel(direction);
    repeat_frames_ = kFirstRepeatFrames;
    held_direction_ = direction;
}

void CombatState::step_held_scroll() {
    if (held_direction_ == 0) return;
    if (repeat_frames_ > 0) {
        --repeat_frames_;
        return;
    }
    scroll_carousel(held_direction_);
    repeat_frames_ = kRepeatFrames;
}
