// What a fight ends with: the monster's choice of item, the parting attack,
// the gold lost in flight, rewards, generated monster stats and worn gear.
#include <gtest/gtest.h>

#include "combat_rules_fixture.h"
#include "game/world/action.h"

namespace {

using namespace combat_test;

TEST(CombatMonsterChoice, NeverDividesByZeroOrDrawsForever) {
    struct Case {
        const char* what;
        std::vector<uint32_t> items;
        int32_t current_uses;  // of the first entry, made current; 1000 leaves it
        bool acts;
        uint32_t chosen;
    };
    const Case cases[] = {
        {"nothing to carry", {}, 1000, false, 0},
        {"the last tonic drunk", {kTonic}, 0, false, 0},
        {"one tonic left", {kTonic}, 1, true, kTonic},
        {"only usable items", {kTonic, kDraught}, 1, true, kTonic},
        {"teeth rather than a tonic", {kTonic, kTeeth}, 1, true, kTeeth},
    };
    for (const Case& c : cases) {
        for (uint32_t seed = 0; seed < 20; ++seed) {
            Fight f;
            MonsterActor& m = f.begin(seed);
            for (uint32_t id : c.items) f.arm_monster(id, 1);
            if (!m.inventory.empty()) {
                m.current_item = m.inventory[0].get();
                if (c.current_uses != 1000) m.current_item->uses = c.current_uses;
            }
            EXPECT_EQ(f.rules.choose_monster_weapon(m, f.hero()), c.acts) << c.what;
            const uint32_t chosen = m.current_item ? m.current_item->item->id : 0;
            EXPECT_EQ(chosen, c.chosen) << c.what << " seed " << seed;
        }
    }
}

TEST(CombatMonsterChoice, ADrunkTonicLeavesTheList) {
    Fight f;
    MonsterActor& m = f.begin();
    f.arm_monster(kTonic, 1);
    m.hit_points = 100;
    m.max_hit_points = 1000;
    CombatResult r;
    ASSERT_TRUE(f.rules.choose_monster_weapon(m, f.hero()));
    f.rules.resolve_attack(m, f.hero(), r);
    EXPECT_EQ(r.boost_kind, 0);
    EXPECT_EQ(m.hit_points, 120);
    EXPECT_FALSE(f.rules.choose_monster_weapon(m, f.hero()));
    EXPECT_TRUE(m.inventory.empty());
}

// The parting attack happens when the first draw modulo 100 is 50 or more:
// the seeds whose draw is just below and just at that edge.
uint32_t parting_seed(bool happens) {
    for (uint32_t seed = 0;; ++seed) {
        CombatRandom r(seed);
        if (r.next() % 100 == (happens ? 50u : 49u)) return seed;
    }
}

TEST(CombatFlight, PartingAttackOnlyWithAWeaponOrWand) {
    struct Case {
        const char* what;
        std::vector<uint32_t> items;
        bool happens;
        bool hits;
    };
    const Case cases[] = {
        {"a draw of 49 lets the hero go", {kTeeth}, false, false},
        {"a draw of 50 strikes", {kTeeth}, true, true},
        {"nothing carried", {}, true, false},
        {"only tonics: no endless draw", {kTonic, kDraught}, true, false},
        {"one tonic", {kTonic}, true, false},
        {"teeth among tonics", {kTonic, kTeeth, kDraught}, true, true},
        {"a wand", {kWand}, true, true},
    };
    for (const Case& c : cases) {
        Fight f;
        MonsterActor& m = f.begin(parting_seed(c.happens));
        for (uint32_t id : c.items) f.arm_monster(id);
        m.strength_ = 10;
        m.knowledge_ = 10;
        f.hero().hit_points = f.hero().max_hit_points = 1000;
        CombatResult r;
        f.rules.parting_attack(r);
        EXPECT_EQ(r.flags >= CombatResult::kHit, c.hits) << c.what << " flags " << r.flags;
        EXPECT_EQ(f.hero().hit_points < 1000, c.hits) << c.what;
        if (c.hits) {
            EXPECT_EQ(r.damage, 1000 - f.hero().hit_points) << c.what;
        }
    }
}

TEST(CombatFlight, AHeroAboveAQuarterSurvivesTheKillingPartingBlow) {
    // Maximum 100: above 25 he is left with 100 / 8 + 5 = 17.
    for (const int32_t hp : {30, 26, 25, 10}) {
        Fight f;
        MonsterActor& m = f.begin(parting_seed(true));
        f.arm_monster(kTeeth);
        m.strength_ = 1000;  // 12000 damage before the cap at the hero's hit points
        f.hero().max_hit_points = 100;
        f.hero().hit_points = hp;
        CombatResult r;
        f.rules.parting_attack(r);
        EXPECT_EQ(f.hero().hit_points, hp > 25 ? 17 : 0) << hp;
        EXPECT_EQ(r.damage, hp > 25 ? hp - 17 : hp) << hp;
    }
}

TEST(CombatFlight, GoldLostIsNoneATenthOrAQuarter) {
    struct Case {
        uint32_t draw;
        int32_t gold, lost;
    };
    const Case cases[] = {{0, 200, 0}, {1, 200, 20}, {2, 200, 50}, {2, 3, 0}, {1, 0, 0}};
    for (const Case& c : cases) {
        Fight f;
        f.begin(seed_where(3, [&](uint32_t v) { return v == c.draw; }));
        f.hero().gold = c.gold;
        EXPECT_EQ(f.rules.flight_gold_loss(), c.lost) << c.draw << " " << c.gold;
        EXPECT_EQ(f.hero().gold, c.gold - c.lost);
    }
}

// m = H = 40: the monster is worth 100; rank 2 generated scales by 5 x 20 / 100 = 1.
TEST(CombatReward, ExperienceByLevelDifficultyAndEncounter) {
    struct Case {
        int32_t level, difficulty, step;
        bool encounter;
        int32_t experience;
    };
    const Case cases[] = {
        {1, 0, 100, false, 16},  // 100 / 6 = 16; 100 x 16 / 100
        {1, 0, 100, true, 10},   // 11, rounded to 10
        {3, 0, 1500, false, 150},  // divisor 10
        {3, 0, 1500, true, 105},   // an encounter gives 7 / 10
        {5, 0, 1500, false, 100},  // divisor 15
        {3, 1, 1500, false, 185},  // divisor 8: 187, rounded
        {5, 2, 1500, false, 150},  // divisor 10
        {1, 0, 10, false, 10},     // at least 10
    };
    for (const Case& c : cases) {
        Fight f;
        f.world.difficulty = c.difficulty;
        f.record->fixed_stats = 1;
        f.record->hit_points = 40;
        MonsterActor& m = f.begin();
        m.encounter = c.encounter;
        f.hero().level_number = c.level;
        f.hero().max_hit_points = 40;
        f.hero().experience_step = c.step;
        EXPECT_EQ(f.rules.roll_experience(), c.experience) << c.level << "/" << c.difficulty << "/" << c.step;
    }
}

TEST(CombatReward, TheDemoValuesForAGeneratedRankTwoMonster) {
    Fight f;
    f.record->fixed_stats = 0;
    f.record->rank = 2;
    f.record->monster_class = 0;
    MonsterActor& m = f.begin();
    ASSERT_EQ(m.max_hit_points, 40);  // generated at level 1
    EXPECT_EQ(f.hero().max_hit_points, 40);
    EXPECT_EQ(f.rules.roll_experience(), 16);
    m.encounter = true;
    EXPECT_EQ(f.rules.roll_experience(), 10);
    EXPECT_EQ(f.rules.roll_gold(), 0);  // 40 x 4000 / 90000 = 1, rounded to 0
}

TEST(CombatReward, GoldByWorthRankAndTheRuntimeRand) {
    struct Case {
        int32_t monster_max, hero_max, rank, fixed;
        int32_t rand;
        int32_t gold;
    };
    const Case cases[] = {
        {400, 40, 2, 1, 0, 175},    // v 1000, g 400000: 40 x g / 90000 = 177
        {400, 40, 4, 0, 0, 245},    // rank 4 generated: g x 7 x 20 / 100
        {400, 40, 4, 1, 0, 175},    // fixed stats ignore the rank
        {400, 40, 2, 1, 19, 260},   // (40 + 19) x g / 90000 = 262
        {40, 40, 2, 1, 0, 0},
    };
    for (const Case& c : cases) {
        Fight f;
        MonsterActor& m = f.begin();
        f.record->rank = c.rank;
        f.record->fixed_stats = c.fixed;
        m.max_hit_points = c.monster_max;
        f.hero().max_hit_points = c.hero_max;
        f.rules.runtime_rand = [&c] { return c.rand; };
        EXPECT_EQ(f.rules.roll_gold(), c.gold) << c.monster_max << " " << c.rank << " " << c.fixed;
    }
}

TEST(CombatReward, HugeMonstersAndAHeroWithoutHitPointsStayInRange) {
    Fight f;
    MonsterActor& m = f.begin();
    f.record->rank = 4;
    f.record->fixed_stats = 0;
    m.max_hit_points = 10000;
    f.hero().max_hit_points = 0;  // counts as 1
    f.hero().experience_step = 1000000;
    const int32_t gold = f.rules.roll_gold();
    EXPECT_GT(gold, 900);
    EXPECT_EQ(gold % 50, 0);
    const int32_t experience = f.rules.roll_experience();
    EXPECT_GT(experience, 900);
    EXPECT_EQ(experience % 50, 0);
}

TEST(CombatReward, HalfOfWhatTheFightCostIsGivenBack) {
    struct Case {
        int32_t start, now;
        int32_t restored;
    };
    const Case cases[] = {
        {80, 40, 20},
        {80, 79, 0},
        {50, 70, 0},  // drank above the start: nothing taken away
        {80, 0, 0},   // dead
    };
    for (const Case& c : cases) {
        Fight f;
        f.hero().max_hit_points = 100;
        f.hero().hit_points = c.start;
        f.begin();
        EXPECT_EQ(f.rules.start_hit_points(), c.start);
        f.hero().hit_points = c.now;
        EXPECT_EQ(f.rules.restored_hit_points(), c.restored) << c.start << " -> " << c.now;
    }
}

std::shared_ptr<Action> action(uint16_t code, uint32_t a) {
    auto act = std::make_shared<Action>();
    act->code = code;
    act->a = a;
    return act;
}

// A dropped item is one that fits a hero of 1.4 times his level: a boost
// of value v fits level L when v <= (L + 1) / 4 + 1.
TEST(CombatReward, AWonFightAlwaysGivesGoldOrAnItem) {
    struct Case {
        int32_t level;
        uint16_t draught_value;
        bool draught_drops;
    };
    const Case cases[] = {
        {1, 2, false},
        {2, 2, false},  // 2 x 1.4 = 2.8 counts as 2: a boost of 1 at most
        {5, 3, true},   // 5 x 1.4 = 7: a boost of 3
    };
    for (const Case& c : cases) {
        int draughts = 0;
        for (uint32_t seed = 0; seed < 300; ++seed) {
            Fight f;
            f.record->hit_points = 40;
            f.item(kDraught).value = c.draught_value;
            f.hero().max_hit_points = 40;
            f.hero().level_number = c.level;
            f.hero().gold = 0;
            f.begin(seed);
            CombatReward reward;
            f.rules.compute_reward(reward);
            if (reward.item_id != 0) {
                EXPECT_EQ(f.item(reward.item_id).kind, kItemUsable) << seed;
                EXPECT_EQ(reward.gold, 0);
                EXPECT_TRUE(f.hero().has_item(reward.item_id));
                draughts += reward.item_id == kDraught;
            } else {
                EXPECT_GE(reward.gold, 10) << seed;
                EXPECT_LE(reward.gold, 19) << seed;
                EXPECT_EQ(f.hero().gold, reward.gold);
            }
            EXPECT_EQ(f.hero().experience, reward.experience);
        }
        EXPECT_EQ(draughts > 0, c.draught_drops) << "level " << c.level << ", draught of " << c.draught_value;
    }
}

TEST(CombatReward, DefeatActionsGiveTheirItemOrWaitInTheQueue) {
    struct Case {
        const char* what;
        uint32_t given;  // the 0x101 action's item, 0 none
        uint32_t item;
        bool gold;
    };
    const Case cases[] = {
        {"no such action", 0, 0, true},
        {"the tonic it names", kTonic, kTonic, false},
        {"an item that does not exist", 0x999, 0, true},  // the rolled gold stands
    };
    for (const Case& c : cases) {
        Fight f;
        f.record->hit_points = 40;
        f.hero().max_hit_points = 40;
        f.record->reward_actions.insert(action(0x103, 20), 0);
        if (c.given) f.record->reward_actions.insert(action(0x101, c.given), 1);
        // Seed 0 rolls no drop (38 % 15 = 8).
        f.begin(0);
        CombatReward reward;
        f.rules.compute_reward(reward);
        EXPECT_EQ(reward.item_id, c.item) << c.what;
        EXPECT_EQ(reward.gold > 0, c.gold) << c.what;
        EXPECT_EQ(f.hero().inventory.size(), c.item ? 1u : 0u) << c.what;
        ASSERT_EQ(reward.queued_actions.size(), 1u) << c.what;
        EXPECT_EQ(reward.queued_actions[0]->code, 0x103);
    }
}

TEST(CombatReward, ReachingTheNextStepIsALevelUp) {
    struct Case {
        int32_t experience;
        int level_up;
    };
    const Case cases[] = {{0, 0}, {83, 0}, {84, 1}, {100, 1}};  // the fight gives 16
    for (const Case& c : cases) {
        Fight f;
        f.record->hit_points = 40;
        f.hero().max_hit_points = 40;
        f.hero().experience = c.experience;
        f.begin(0);
        CombatReward reward;
        EXPECT_EQ(f.rules.compute_reward(reward), c.level_up) << c.experience;
        EXPECT_EQ(reward.level_up, c.level_up);
        EXPECT_EQ(reward.experience, 16);
    }
}

TEST(CombatMonsterStats, GeneratedByLevelDifficultyRankAndClass) {
    struct Case {
        int32_t level, difficulty, rank, klass;
        int32_t b, dex, str, kno, def, res, hp;
    };
    const Case cases[] = {
        {1, 0, 2, 0, 1, 2, 1, 1, 1, 0, 40},
        {5, 1, 3, 4, 7, 4, 6, 6, 5, 4, 160},
        {10, 2, 4, 1, 19, 5, 14, 3, 13, 4, 365},
        // Classes 5 and 6 exist only for stories built in memory.
        {1, 0, 2, 6, 1, 1, 2, 1, 1, 1, 40},
        {4, 0, 0, 5, 3, 1, 3, 2, 2, 1, 68},
        // An unknown class keeps the record's defence and resistance.
        {1, 0, 2, 9, 1, 2, 1, 1, 7, 8, 40},
    };
    for (const Case& c : cases) {
        Fight f;
        f.world.difficulty = c.difficulty;
        f.record->fixed_stats = 0;
        f.record->rank = c.rank;
        f.record->monster_class = c.klass;
        f.record->defence = 7;
        f.record->resistance = 8;
        f.hero().level_number = c.level;
        MonsterActor& m = f.begin();
        const auto label = ::testing::Message() << c.level << "," << c.difficulty << "," << c.rank << "," << c.klass;
        EXPECT_EQ(m.level_number, c.b) << label;
        EXPECT_EQ(std::make_tuple(m.dexterity_, m.strength_, m.knowledge_), std::make_tuple(c.dex, c.str, c.kno))
            << label;
        EXPECT_EQ(std::make_tuple(m.defence_, m.resistance_), std::make_tuple(c.def, c.res)) << label;
        EXPECT_EQ(std::make_tuple(m.hit_points, m.max_hit_points), std::make_tuple(c.hp, c.hp)) << label;
        EXPECT_EQ(f.rules.generate_monster_stats(m), c.hp) << label;
    }
}

TEST(CombatMonsterStats, FixedStatsAreKept) {
    Fight f;
    f.record->fixed_stats = 1;
    f.record->hit_points = 60;
    f.record->strength = 5;
    MonsterActor& m = f.begin();
    EXPECT_EQ(std::make_tuple(m.hit_points, m.max_hit_points, m.strength_), std::make_tuple(60, 60, 5));
}

TEST(CombatGear, OnlyAHitHeroWearsArmourAndShield) {
    struct Case {
        bool hit;
        bool armour_left, armour_lost;
    };
    const Case cases[] = {{false, true, false}, {true, false, true}};
    for (const Case& c : cases) {
        Fight f;
        f.begin();
        ASSERT_TRUE(f.hero().add_item(kArmour));  // one use left
        f.hero().armour = f.hero().inventory.back().get();
        ASSERT_TRUE(f.hero().add_item(kShield));  // never wears out
        f.hero().shield = f.hero().inventory.back().get();
        f.hero().hit = c.hit;
        f.rules.end_fight();
        EXPECT_EQ(f.hero().armour != nullptr, c.armour_left) << c.hit;
        EXPECT_EQ(f.hero().has_item(kArmour), c.armour_left) << c.hit;
        EXPECT_EQ(f.hero().armour_lost, c.armour_lost) << c.hit;
        EXPECT_NE(f.hero().shield, nullptr);
        EXPECT_FALSE(f.hero().shield_lost);
    }
}

}  // namespace
