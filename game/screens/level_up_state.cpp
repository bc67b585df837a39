#include "game/screens/level_up_state.h"

#include "engine/app/input_kind.h"
#include "engine/ui/game_key.h"
#include "game/effects/action_player.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"

namespace {

// What HeroActor::level_up raises, by choice.
constexpr int kLevelUpChoice[] = {1, 2, 4};

}  // namespace

bool level_up_action_done(const ActionPlayer& player, int32_t id) {
    if (player.is_at_last_frame(id)) return true;
    const int32_t index = player.find_action(id);
    if (index < 0) return true;
    const CombatAction& action = player.action(index);
    return player.is_action_finished(id) && action.frame > action.show_frame;
}

void LevelUpState::enter(ScreenArgument) {
    bind_context();
    choice_ = kDexterity;
    phase_ = kChoosing;
    countdown_ = 0;
    action_id_ = 0;
    page_.build(*game);
    fill_page();
    page_.start_transparent();
}

void LevelUpState::leave() {
    if (ActionPlayer* player = game ? game->action_player() : nullptr) player->remove_action_by_id(action_id_);
    action_id_ = 0;
    page_.remove();
    if (game) game->update_hud_status();
}

void LevelUpState::fill_page() { page_.fill(*hero, ":"); }

bool LevelUpState::choosing() const {
    return page_.built() && phase_ == kChoosing && page_.alpha() >= HeroSheetPage::kOpaque;
}

void LevelUpState::choose(int32_t choice) {
    choice_ = choice;
    phase_ = kActionPlaying;
    ActionPlayer* player = game->action_player();
    action_id_ = player ? player->load_action("level_up", page_.pictures(), nullptr, nullptr, 0, 0,
                                              ActionPlayer::kNoWeaponKind, -1, -1)
                        : 0;
}

void LevelUpState::apply() {
    hero->level_up(kLevelUpChoice[choice_]);
    fill_page();
    page_.show_opaque();
    countdown_ = kShowTicks;
    phase_ = kShowing;
}

void LevelUpState::finish() {
    // No save while the HUD mode is on; the game's save refuses a dead hero.
    if (!game->hud_mode()) game->autosave();
    game->switch_state(kWalkingScreen, 0);
}

void LevelUpState::update() {
    ActionPlayer* player = game->action_player();
    if (player) player->update();
    if (!page_.built()) return;
    switch (phase_) {
    case kChoosing: page_.fade(1); return;
    case kActionPlaying:
        if (!player || level_up_action_done(*player, action_id_)) phase_ = kApply;
        return;
    case kApply: return apply();
    case kShowing:
        if (--countdown_ <= 0) phase_ = kFadingOut;
        return;
    case kFadingOut:
        page_.fade(-1);
        if (page_.alpha() == 0) finish();
        return;
    default: return;
    }
}

void LevelUpState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress || !choosing()) return;
    play_menu_click();
    // The first three buttons raise dexterity, strength and knowledge.
    switch (game_key) {
    case kKeyButton1: return choose(kDexterity);
    case kKeyButton2: return choose(kStrength);
    case kKeyButton3: return choose(kKnowledge);
    default: return;
    }
}

void LevelUpState::on_pointer(int kind, int32_t x, int32_t y) {
    if (kind != kPenDown || !choosing()) return;
    play_menu_click();
    const std::u16string command = page_.button_at({x, y});
    if (command.empty()) return;
    // Any other button of the page starts the level-up with the choice so far.
    int32_t choice = choice_;
    if (command == u"*INCDEX") choice = kDexterity;
    else if (command == u"*INCSTR") choice = kStrength;
    else if (command == u"*INCKNW") choice = kKnowledge;
    choose(choice);
}
