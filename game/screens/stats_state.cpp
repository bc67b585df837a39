#include "game/screens/stats_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "engine/app/input_kind.h"
#include "engine/ui/game_key.h"
#include "game/effects/action_player.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"

namespace {

constexpr int32_t kFeePerLevel = 10;
// The hero's attribute each StatsState::Attribute names.
constexpr int32_t HeroActor::*kAttributes[] = {&HeroActor::dexterity_, &HeroActor::strength_, &HeroActor::knowledge_};

}  // namespace

int32_t training_fee(int32_t gold, int32_t level) {
    return int32_t(std::clamp<int64_t>(int64_t(kFeePerLevel) * level, 0, std::max(gold, 0)));
}

int32_t pooled_points(int32_t dexterity, int32_t strength, int32_t knowledge) {
    // Attributes of 0 are allowed in a story's start file; they must not
    // leave a debt the player can never pay off.
    return int32_t(std::clamp<int64_t>(int64_t(dexterity) + strength + knowledge - 3, 0, INT32_MAX));
}

void StatsState::enter(ScreenArgument) {
    bind_context();
    leaving_ = false;
    page_.build(*game);
    hero->gold -= training_fee(hero->gold, hero->level_number);
    points_ = pooled_points(hero->dexterity_, hero->strength_, hero->knowledge_);
    hero->dexterity_ = hero->strength_ = hero->knowledge_ = 1;
    fill_page();
    page_.start_transparent();
}

void StatsState::leave() {
    page_.remove();
    leaving_ = false;
    if (game) game->update_hud_status();
}

void StatsState::fill_page() {
    char message[64];
    std::snprintf(message, sizeof message, "Select stat, you have %d points.", int(points_));
    page_.set_text(u"MESSAGE", message);
    page_.fill(*hero, " : ");
    if (points_ > 0) return;
    page_.show_opaque();
    leaving_ = true;
}

void StatsState::spend(Attribute attribute) {
    ++((*hero).*kAttributes[attribute]);
    --points_;
    fill_page();
}

void StatsState::update() {
    if (ActionPlayer* player = game->action_player()) player->update();
    if (!page_.built()) return;
    if (!leaving_) {
        page_.fade(1);
        return;
    }
    page_.fade(-1);
    if (page_.alpha() == 0) game->switch_state(kWalkingScreen, 0);
}

bool StatsState::takes_input() const {
    return page_.built() && !leaving_ && page_.alpha() >= HeroSheetPage::kOpaque;
}

void StatsState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress || !takes_input()) return;
    play_menu_click();
    // The first three buttons raise dexterity, strength and knowledge.
    switch (game_key) {
    case kKeyButton1: return inc_dex();
    case kKeyButton2: return inc_str();
    case kKeyButton3: return inc_knw();
    default: return;
    }
}

void StatsState::on_pointer(int kind, int32_t x, int32_t y) {
    if (kind != kPenDown || !takes_input()) return;
    play_menu_click();
    const std::u16string command = page_.button_at({x, y});
    if (command == u"*INCDEX") inc_dex();
    else if (command == u"*INCSTR") inc_str();
    else if (command == u"*INCKNW") inc_knw();
}
