// The level-up screen ("Level"): shown when the hero's experience reached
// the next step. The player picks the attribute to raise (F1 dexterity, F2
// strength, F3 knowledge, or the page's buttons), the "level_up" action
// plays over the page, the hero goes up a level, the result stays on screen
// for 150 ticks, the page fades out, the game saves itself ("save6.dat")
// and the map comes back.
#pragma once

#include <cstdint>

#include "game/screens/hero_sheet_page.h"
#include "game/session/game_screen_state.h"

class ActionPlayer;

class LevelUpState : public GameScreenState {
public:
    enum Choice : int32_t { kDexterity = 0, kStrength = 1, kKnowledge = 2 };
    enum Phase : int32_t { kChoosing = 0, kActionPlaying = 1, kApply = 2, kShowing = 3, kFadingOut = 4 };
    static constexpr int32_t kShowTicks = 150;

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    int32_t phase() const { return phase_; }
    int32_t choice() const { return choice_; }
    int32_t action_id() const { return action_id_; }
    const HeroSheetPage& page() const { return page_; }

private:
    void fill_page();
    void choose(int32_t choice);
    void apply();
    void finish();
    bool choosing() const;

    HeroSheetPage page_;
    int32_t choice_ = kDexterity;
    int32_t phase_ = kChoosing;
    int32_t countdown_ = 0;
    int32_t action_id_ = 0;
};

// Whether the screen goes on after the level-up action: at the action's
// result frame, or once the action no longer runs (a missing script, or a
// result frame past the action's end), or once it counts as finished with
// its result frame behind it (a result frame it had passed before it was
// asked).
bool level_up_action_done(const ActionPlayer& player, int32_t id);
