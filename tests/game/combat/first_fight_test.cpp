// The demo's first fight as a new game meets it: the hero the story starts
// with, his cudgel against the Briar Rat of the wood or the Mossback Boar on
// its path, on each difficulty and over a run of fights (each seeded by the
// clock). A fight takes several exchanges, the rat's longer on a harder
// difficulty, and the boar, which the cudgel barely scratches, may win.
#include <algorithm>
#include <numeric>

#include "tests/game/combat/combat_game_support.h"

namespace {

using Phase = CombatState::Phase;

struct FirstFightCase {
    const char* what;
    uint32_t monster;
    int32_t difficulty;
    int fewest_blows, most_blows;  // of the hero, in every fight
    int most_losses, fewest_losses;  // of the run
};

void PrintTo(const FirstFightCase& c, std::ostream* out) { *out << c.what; }

class FirstFightTest : public CombatTest, public ::testing::WithParamInterface<FirstFightCase> {
protected:
    static constexpr int kFights = 12;

    struct Outcome {
        int blows = 0;
        bool won = false;
    };

    // One fight from a new game's start on the difficulty, the hero
    // striking with what he starts with whenever he may.
    Outcome fight_once(const FirstFightCase& c) {
        EXPECT_TRUE(game().start_new_game());
        world().difficulty = c.difficulty;
        meet(c.monster);
        EXPECT_TRUE(until_hero_input() || fighting());
        EXPECT_TRUE(hero().current_item && hero().current_item->item->name == "Ash Cudgel");
        Outcome o;
        for (int i = 0; i < kMostTicks && fighting(); ++i) {
            const int32_t phase = combat().phase();
            if (combat().input_enabled() && phase == Phase::kHeroInput) {
                press(kKeyAction);
                ++o.blows;
            } else if (combat().input_enabled() && phase == Phase::kCountedWait) {
                o.won = hero().hit_points > 0;
                press(kKeyAction);
            }
            tick();
        }
        EXPECT_FALSE(fighting()) << "the fight did not end";
        return o;
    }
};

TEST_P(FirstFightTest, TakesSeveralExchangesAndEndsAsTheDifficultyWants) {
    const FirstFightCase& c = GetParam();
    int losses = 0;
    for (int n = 0; n < kFights; ++n) {
        host.sleep_ms(977);  // the next fight's generator starts elsewhere
        const Outcome o = fight_once(c);
        EXPECT_GE(o.blows, c.fewest_blows) << "fight " << n;
        EXPECT_LE(o.blows, c.most_blows) << "fight " << n;
        if (!o.won) ++losses;
        // A lost fight leaves the game over screens: the next starts anew.
        game().switch_state("Walking", 0);
        close_story_page();
    }
    EXPECT_GE(losses, c.fewest_losses);
    EXPECT_LE(losses, c.most_losses);
}

INSTANTIATE_TEST_SUITE_P(
    DemoStart, FirstFightTest,
    ::testing::Values(FirstFightCase{"the rat on easy", demo::kRat, 0, 3, 4, 0, 0},
                      FirstFightCase{"the rat on normal", demo::kRat, 1, 4, 5, 0, 0},
                      FirstFightCase{"the rat on hard", demo::kRat, 2, 5, 6, 1, 0},
                      FirstFightCase{"the boar, whatever the difficulty", demo::kBoar, 2, 6, 8, 6, 1}));

}  // namespace
