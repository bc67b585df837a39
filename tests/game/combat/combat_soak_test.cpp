// A thousand seeded fights against the demo's monsters, a bot pressing the
// keys a player could press: every fight ends, in time, with one outcome,
// and leaves the hero and the action player sound.
#include <array>

#include "engine/core/crt_random.h"
#include "tests/game/combat/combat_game_support.h"

namespace {

constexpr int kFights = 1000;
constexpr int kMostUpdates = 20000;

enum Outcome { kVictory, kFlight, kDeath };

class CombatSoakTest : public CombatTest {
protected:
    // The hero as a new game might have him, with a few items to choose.
    void ready_hero(int fight) {
        give_only({demo::kKnife, demo::kCudgel, demo::kTwig, demo::kTonic, demo::kGreaterTonic, demo::kDraught});
        hero().experience = 0;
        hero().max_hit_points = 40 + fight % 5 * 20;
        hero().hit_points = hero().max_hit_points;
        hero().gold = fight % 7 * 13;
        hero().action_value = fight % 4 - 1;  // -1 (none) to 2
        hero().quick_items = {fight % 9 - 4, fight % 5 - 2, fight % 3};
    }
    // One update of the fight with the bot's key, if it presses one.
    void bot_step() {
        const CombatState& c = combat();
        if (c.input_enabled() && crt_rand() % 3 == 0) {
            static constexpr std::array<uint32_t, 8> kKeys = {kKeyAction, kKeyButton1, kKeyAction, kKeyButton4,
                                                              kKeyLeft,   kKeyRight,   kKeyUp,     kKeyDown};
            press(kKeys[size_t(crt_rand()) % kKeys.size()]);
        }
        tick();
    }
};

TEST_F(CombatSoakTest, AThousandFightsEachEndInTimeWithOneOutcome) {
    static constexpr std::array<uint32_t, 3> kMonsters = {demo::kRat, demo::kBoar, demo::kWisp};
    std::array<int, 3> outcomes{};
    for (int fight = 0; fight < kFights; ++fight) {
        host.sleep_ms(7 + fight % 13);  // the fight's seed comes from the clock
        crt_srand(uint32_t(fight));
        ready_hero(fight);
        MonsterActor& monster = meet(kMonsters[size_t(fight) % kMonsters.size()]);
        const std::shared_ptr<MonsterActor> kept = game().screen_subjects.opponent;
        int updates = 0;
        while (fighting() && updates < kMostUpdates) {
            bot_step();
            ++updates;
        }
        ASSERT_FALSE(fighting()) << "fight " << fight << " still on after " << updates << " updates";
        const bool won = monster.hit_points <= 0;
        const bool died = hero().hit_points <= 0;
        ASSERT_FALSE(won && died) << "fight " << fight;
        ++outcomes[won ? kVictory : died ? kDeath : kFlight];
        EXPECT_EQ(screen_name(), died ? "EndOfGame" : "Walking") << "fight " << fight;
        ASSERT_LE(hero().hit_points, hero().max_hit_points) << "fight " << fight;
        ASSERT_GE(hero().gold, 0) << "fight " << fight;
        ASSERT_EQ(player().running_count(), 0) << "fight " << fight;
        ASSERT_EQ(game().screen_subjects.opponent, nullptr) << "fight " << fight;
        if (died) start_walking();
    }
    // The bot meets every end of a fight.
    EXPECT_GT(outcomes[kVictory], 0);
    EXPECT_GT(outcomes[kFlight], 0);
    EXPECT_GT(outcomes[kDeath], 0);
}

}  // namespace
