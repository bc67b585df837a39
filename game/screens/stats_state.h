// The stats screen ("Stats"): for a fee of ten gold a level the hero's
// dexterity, strength and knowledge are pooled into points and set to 1,
// and the player spends the points one at a time (F1, F2, F3 or the page's
// buttons). When none are left the page fades out and the game returns to
// the map. Opened by a trainer's topic.
#pragma once

#include <cstdint>
#include <string>

#include "game/screens/hero_sheet_page.h"
#include "game/session/game_screen_state.h"

class HeroActor;

// What the training costs: ten gold a level, at most the gold there is
// (nothing from a hero without gold).
int32_t training_fee(int32_t gold, int32_t level);
// The points the three attributes give back: each keeps 1, the rest is
// pooled; never below 0, whatever the attributes are.
int32_t pooled_points(int32_t dexterity, int32_t strength, int32_t knowledge);

class StatsState : public GameScreenState {
public:
    enum Attribute : int32_t { kDexterity = 0, kStrength = 1, kKnowledge = 2 };

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    int32_t points() const { return points_; }
    bool leaving() const { return leaving_; }
    const HeroSheetPage& page() const { return page_; }

private:
    void fill_page();
    void spend(Attribute attribute);
    void inc_dex() { spend(kDexterity); }
    void inc_str() { spend(kStrength); }
    void inc_knw() { spend(kKnowledge); }
    // Input counts once the page is fully shown, and not while leaving.
    bool takes_input() const;

    HeroSheetPage page_;
    int32_t points_ = 0;
    bool leaving_ = false;
};
