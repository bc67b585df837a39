// The combat screen's fixed rows as the player sees them, compared with a
// golden picture: the Mossback Boar's caption with its full health beside
// the matchup arrow, and the hero's item named once, above the carousel's
// well.
#include "engine/app/frame_loop.h"
#include "tests/game/combat/combat_game_support.h"
#include "tests/game/screens/golden_screen.h"

namespace {

TEST_F(CombatTest, TheBoarsCaptionAndTheItemsCaptionKeepClearOfArrowAndCarousel) {
    world().difficulty = 0;  // the arrow shows the matchup from the first turn
    give_only({demo::kCudgel});
    MonsterActor& boar = meet(demo::kBoar);
    ASSERT_TRUE(until_hero_input());
    ASSERT_EQ(boar.hit_points, 60);
    ASSERT_NE(combat().arrow_frame(), CombatState::kArrowHidden);
    render_frame();
    expect_golden_screen(host.front_buffer(), "fight_boar_captions");
}

}  // namespace
