// The demo's way to the first level-up: the new hero is 20 experience short
// of his step, a won fight gives at least 10, so the second won fight ends
// on the level-up screen instead of the map.
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
    EXPECT_GE(hero().experience, hero().experience_step);
}

}  // namespace
