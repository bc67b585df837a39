// The demo's way to the first level-up: the new hero is 20 experience short
// of his step, a won fight gives at least 10, so the second won fight ends
// on the level-up screen instead of the map, which plays its action on the
// fights' action player and returns to the map.
#include "game/screens/level_up_state.h"
#include "tests/game/combat/combat_game_support.h"

namespace {

TEST_F(CombatTest, TheSecondWonFightOfANewHeroOpensTheLevelUp) {
    EXPECT_EQ(hero().experience, 80);
    EXPECT_EQ(hero().experience_step, 100);
    hero().strength_ = hero().dexterity_ = 400;
    hero().hit_points = hero().max_hit_points = 5000;  // worth little: 10 a fight
    const char* after[] = {"Walking", "Level"};
    for (const char* expected : after) {
        meet(demo::kRat);
        ASSERT_GE(until_over(), 0);
        EXPECT_EQ(screen_name(), expected) << "experience " << hero().experience;
    }
    ASSERT_GE(hero().experience, hero().experience_step);

    // The level-up plays on the action player the fights used, and ends on
    // the map with the hero one level up.
    auto& level_up = *static_cast<LevelUpState*>(screen());
    tick(40);
    press(kKeyButton1);
    EXPECT_EQ(level_up.phase(), LevelUpState::kActionPlaying);
    for (int i = 0; i < 400 && screen_name() == "Level"; ++i) tick();
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_EQ(hero().level_number, 2);
    EXPECT_EQ(player().running_count(), 0);
}

}  // namespace
