// The fight's rules: generator, initiative, hit chances, damage (and the
// board's line for it), matchup, item use and the resolution of one attack.
#include <gtest/gtest.h>

#include <climits>

#include "combat_rules_fixture.h"
#include "engine/core/text_helpers.h"
#include "game/combat/combat_state.h"
#include "tests/support/seed_zero_draws.h"

namespace {

using namespace combat_test;

TEST(CombatGenerator, SeedZeroGivesTheClassicSequence) {
    CombatRules rules;
    rules.set_seed(0);
    expect_seed_zero_draws([&] { return rules.random_raw(); });
}

TEST(CombatGenerator, RandomOfZeroIsZeroAndStillAdvances) {
    CombatRules rules;
    rules.set_seed(0);
    EXPECT_EQ(rules.random(0), 0u);
    EXPECT_EQ(rules.random_raw(), kSeedZeroDraws[1]);  // the second value: the first was taken
    EXPECT_EQ(rules.random(100), kSeedZeroDraws[2] % 100);
}

TEST(CombatInitiative, TheDrawModuloBothDexteritiesDecides) {
    struct Case {
        int32_t hero_dex, monster_dex;
        bool hero_begins;
    };
    // Seed 0 draws 38 first.
    const Case cases[] = {
        {5, 5, false},  // 38 % 10 = 8 > 5
        {8, 2, true},   // 8 is not above 8
        {0, 0, true},   // no dexterity at all: the hero begins
        {0, 39, false}, // 38 > 0
        {38, 0, true},  // 38 % 38 = 0
    };
    for (const Case& c : cases) {
        Fight f;
        MonsterActor& m = f.begin(0);
        f.hero().dexterity_ = c.hero_dex;
        m.dexterity_ = c.monster_dex;
        EXPECT_EQ(f.rules.hero_begins(), c.hero_begins) << c.hero_dex << " vs " << c.monster_dex;
        EXPECT_EQ(f.rules.random_raw(), kSeedZeroDraws[1]) << "one draw";
    }
}

TEST(CombatHit, ChancesFollowTheDexterityRatio) {
    struct Case {
        bool hero;
        int32_t attacker, defender;
        int32_t miss, critical;
    };
    const Case cases[] = {
        {true, 5, 5, 0, 0},      // ratio 100: always hits, never critical
        {false, 5, 5, 0, 0},
        {true, 0, 98, 35, 0},    // ratio 2, clamped to 20
        {true, 10, 4, 0, 35},    // ratio 200
        {false, 10, 4, 0, 2},
        {true, 4, 10, 21, 0},    // ratio 50
        {false, 4, 10, 35, 0},
        {true, 1000, 0, 0, 35},  // clamped to 200
        {false, 1000, 0, 0, 10}, // clamped to 500
        {false, 0, 1000, 35, 0}, // clamped to 50
        {true, 5, -2, 0, 35},    // a divisor of 0 counts as 1
    };
    for (const Case& c : cases) {
        const auto chances = CombatRules::hit_chances(c.hero, c.attacker, c.defender);
        EXPECT_EQ(chances.miss, c.miss) << c.attacker << " vs " << c.defender << (c.hero ? " hero" : " monster");
        EXPECT_EQ(chances.critical, c.critical) << c.attacker << " vs " << c.defender;
    }
    EXPECT_EQ(CombatRules::magic_miss_chance(0, 98), 35);
    EXPECT_EQ(CombatRules::magic_miss_chance(4, 10), 21);
    EXPECT_EQ(CombatRules::magic_miss_chance(10, 4), 0);
}

// test_hit rolls random(100) once against those chances.
TEST(CombatHit, TheRollDecidesMissAndCriticalHit) {
    struct Case {
        int32_t hero_dex, monster_dex;
        bool hero_attacks;
    };
    const Case cases[] = {{0, 98, true}, {10, 4, true}, {4, 10, false}, {10, 4, false}, {5, 5, true}};
    for (const Case& c : cases) {
        Fight f;
        MonsterActor& m = f.begin();
        f.hero().combat_dexterity = c.hero_dex;
        m.dexterity_ = c.monster_dex;
        Actor& attacker = c.hero_attacks ? static_cast<Actor&>(f.hero()) : m;
        Actor& defender = c.hero_attacks ? static_cast<Actor&>(m) : f.hero();
        const auto chances = CombatRules::hit_chances(c.hero_attacks, attacker.dexterity(), defender.dexterity());
        int misses = 0, criticals = 0;
        for (uint32_t seed = 0; seed < 300; ++seed) {
            f.rules.set_seed(seed);
            const int32_t roll = int32_t(peek_random(f.rules, 100));
            CombatResult r;
            const int hit = f.rules.test_hit(attacker, defender, r);
            EXPECT_EQ(hit, roll < chances.miss ? 0 : 1) << seed;
            EXPECT_EQ(r.flags, roll < chances.miss ? CombatResult::kMiss
                               : roll < chances.critical ? CombatResult::kCritical : 0)
                << seed;
            misses += hit == 0;
            criticals += (r.flags & CombatResult::kCritical) != 0;
        }
        // Both outcomes are reached whenever they have a chance.
        EXPECT_EQ(misses > 0, chances.miss > 0) << c.hero_dex << " vs " << c.monster_dex;
        EXPECT_EQ(criticals > 0, chances.critical > 0) << c.hero_dex << " vs " << c.monster_dex;
    }
}

TEST(CombatHit, MagicAboveARatioOf100HitsWithoutADraw) {
    Fight f;
    MonsterActor& m = f.begin(0);
    f.hero().combat_dexterity = 10;
    m.dexterity_ = 4;
    CombatResult r;
    EXPECT_EQ(f.rules.test_magic_hit(f.hero(), m, r), 1);
    EXPECT_EQ(f.rules.random_raw(), 38u);
    f.hero().combat_dexterity = 0;
    m.dexterity_ = 98;
    f.rules.set_seed(seed_where(100, [](uint32_t v) { return v < 35; }));
    EXPECT_EQ(f.rules.test_magic_hit(f.hero(), m, r), 0);
    EXPECT_EQ(r.flags, CombatResult::kMiss);
}

TEST(CombatMatchup, WeaponSubKindAgainstTheWeakness) {
    struct Case {
        uint32_t item;
        int32_t sub;
        int32_t physical, magic;
        int expected;
    };
    const Case cases[] = {
        {kKnife, 0, 0, 9, kMatchupStrong},  // the weakness names the sub-kind
        {kKnife, 0, 1, 9, kMatchupNormal},  // a + 1
        {kKnife, 0, 2, 9, kMatchupWeak},    // a + 2
        {kKnife, 2, 0, 9, kMatchupNormal},  // (2 + 1) % 3
        {kKnife, 2, 1, 9, kMatchupWeak},
        {kKnife, 1, 3, 9, kMatchupStrong},  // 3: strong for every sub-kind
        {kKnife, 1, 4, 9, kMatchupWeak},    // above 3: weak for every sub-kind
        {kWand, 1, 9, 1, kMatchupStrong},   // wands read the magic weakness
        {kWand, 1, 1, 0, kMatchupWeak},
        {kTonic, 0, 0, 0, kMatchupNormal},  // other kinds have no matchup
    };
    for (const Case& c : cases) {
        Fight f;
        f.record->physical_weakness = c.physical;
        f.record->magic_weakness = c.magic;
        MonsterActor& m = f.begin();
        f.item(c.item).sub_kind = uint16_t(c.sub);
        f.arm_hero(c.item);
        EXPECT_EQ(f.rules.weapon_matchup(f.hero(), m), c.expected) << f.item(c.item).name << " " << c.sub;
        EXPECT_EQ(f.rules.weapon_matchup(m, f.hero()), kMatchupNormal);
    }
}

// Damage with the runtime's rand() at 0 and an even fight (ratio 100: the
// attack always hits and is never critical unless the test presets it),
// and the line the board shows for it.
TEST(CombatDamage, PhysicalDamageByStrengthDefenceAndMatchup) {
    struct Case {
        const char* what;
        int32_t strength;  // the hero's total, knife included
        int32_t defence;
        int32_t monster_hp;
        int32_t weakness;  // against the knife (sub-kind 0): 0 strong, 1 normal, 2 weak
        int32_t preset_flags;
        int32_t damage;
        int32_t flags;
        const char* line;  // the board's line for the blow
    };
    const Case cases[] = {
        {"plain", 10, 5, 1000, 1, 0, 85, CombatResult::kHardHit, "Tolvanek attacks for 85 damage!"},
        {"strong", 10, 5, 1000, 0, 0, 102, CombatResult::kHardHit, "Tolvanek hits hard for 102 damage!"},
        {"weak", 10, 5, 1000, 2, 0, 68, CombatResult::kHardHit, "Tolvanek barely scratches for 68 damage!"},
        {"critical", 10, 5, 1000, 1, CombatResult::kCritical, 170, CombatResult::kHardHit | CombatResult::kCritical,
         "Tolvanek attacks critical for 170 damage!"},
        {"strong and critical", 10, 5, 1000, 0, CombatResult::kCritical, 204,
         CombatResult::kHardHit | CombatResult::kCritical, "Tolvanek devastates for 204 damage!"},
        {"floor", 1, 50, 1000, 1, 0, 4, CombatResult::kHit, "Tolvanek attacks for 4 damage!"},
        {"s 3 vs d 2 is no hard hit", 3, 2, 1000, 1, 0, 18, CombatResult::kHit, "Tolvanek attacks for 18 damage!"},
        {"left with 2 dies", 10, 5, 87, 1, 0, 87, CombatResult::kHardHit, "Tolvanek attacks for 87 damage!"},
        {"killing blow is not critical", 10, 5, 100, 1, CombatResult::kCritical, 100, CombatResult::kHardHit,
         "Tolvanek attacks for 100 damage!"},
        {"defence -2 divides by 1", 10, -2, 1000, 1, 0, 120, CombatResult::kHardHit, "Tolvanek attacks for 120 damage!"},
        {"huge strength", 30000 + 65535, 5, INT32_MAX, 1, 0, 12 * (30000 + 65535), CombatResult::kHardHit,
         "Tolvanek attacks for 1146420 damage!"},
    };
    for (const Case& c : cases) {
        Fight f;
        f.record->physical_weakness = c.weakness;
        f.record->hit_points = 10;
        MonsterActor& m = f.begin();
        m.hit_points = c.monster_hp;
        m.defence_ = c.defence;
        InventoryEntry* knife = f.arm_hero(kKnife);
        knife->item->value = uint16_t(std::min(c.strength, 65535));
        f.hero().combat_strength = c.strength - knife->item->value;
        CombatResult r;
        r.flags = c.preset_flags;
        f.rules.physical_damage(f.hero(), m, r, false);
        EXPECT_EQ(r.damage, c.damage) << c.what;
        EXPECT_EQ(r.flags, c.flags) << c.what;
        EXPECT_EQ(m.hit_points, c.monster_hp - c.damage) << c.what;
        EXPECT_EQ(r.item_name, "Knife") << c.what;
        EXPECT_EQ(utf16_to_utf8(hero_damage_line(r)), c.line) << c.what;
    }
}

TEST(CombatDamage, TheMonsterHitsTheHeroWithoutMatchupAndACriticalOfOneAndAHalf) {
    struct Case {
        int32_t difficulty;
        int32_t preset_flags;
        int32_t damage;
        bool arrow_hidden;
    };
    const Case cases[] = {
        {0, 0, 85, false},
        {1, CombatResult::kCritical, 127, true},  // at difficulty 1 the arrow hides
        {2, 0, 85, false},
    };
    for (const Case& c : cases) {
        Fight f;
        f.world.difficulty = c.difficulty;
        f.record->physical_weakness = 0;  // strong for the hero's knife, not for the monster
        MonsterActor& m = f.begin();
        f.arm_hero(kKnife);
        f.arm_monster(kTeeth);
        m.strength_ = 10;
        f.hero().combat_defence = 5;
        f.hero().hit_points = f.hero().max_hit_points = 1000;
        CombatResult r;
        r.flags = c.preset_flags;
        f.rules.physical_damage(m, f.hero(), r, false);
        EXPECT_EQ(r.damage, c.damage) << c.difficulty;
        EXPECT_EQ(f.hero().hit_points, 1000 - c.damage);
        EXPECT_TRUE(f.hero().hit);
        EXPECT_EQ(r.matchup, kMatchupStrong) << "the hero's matchup is recorded";
        EXPECT_EQ(r.hide_matchup_arrow, c.arrow_hidden) << c.difficulty;
    }
}

TEST(CombatDamage, MagicAgainstDefenceAndResistance) {
    struct Case {
        int32_t knowledge, defence, resistance;
        int32_t damage, flags;
    };
    const Case cases[] = {
        {3, 2, 2, 18, CombatResult::kHardHit},  // r = 2: 3 >= 3
        {3, 3, 3, 15, CombatResult::kHit},      // r = 3
        {1, 40, 40, 4, CombatResult::kHit},     // the floor
    };
    for (const Case& c : cases) {
        Fight f;
        f.record->magic_weakness = 2;  // normal against the fire wand
        MonsterActor& m = f.begin();
        m.defence_ = c.defence;
        m.resistance_ = c.resistance;
        InventoryEntry* wand = f.arm_hero(kWand);
        wand->item->value = uint16_t(c.knowledge);
        CombatResult r;
        f.rules.magic_damage(f.hero(), m, r, false);
        EXPECT_EQ(r.damage, c.damage) << c.knowledge << " vs " << c.defence << "+" << c.resistance;
        EXPECT_EQ(r.flags, c.flags) << c.knowledge << " vs " << c.defence << "+" << c.resistance;
    }
}

TEST(CombatDamage, TheSpreadAndFloorUseTheRuntimeRand) {
    Fight f;
    MonsterActor& m = f.begin();
    m.defence_ = 5;
    f.arm_hero(kKnife)->item->value = 10;
    int draws = 0;
    f.rules.runtime_rand = [&draws] { return ++draws == 1 ? 9 : 0; };  // spread 9 %
    CombatResult r;
    f.rules.physical_damage(f.hero(), m, r, false);
    EXPECT_EQ(r.damage, 85 * 109 / 100);
    EXPECT_EQ(draws, 1);
    // Below 5 the floor takes one draw and the spread another.
    m.defence_ = 50;
    f.arm_hero(kKnife)->item->value = 1;
    draws = 0;
    f.rules.runtime_rand = [&draws] { return ++draws == 1 ? 4 : 0; };
    r.clear();
    f.rules.physical_damage(f.hero(), m, r, false);
    EXPECT_EQ(r.damage, 8);
    EXPECT_EQ(draws, 2);
}

TEST(CombatItems, HealingShowsWhatFitsBelowTheMaximum) {
    struct Case {
        bool hero;
        int32_t hp, max;
        int32_t shown, after;
    };
    const Case cases[] = {
        {true, 90, 100, 10, 100},
        {true, 50, 100, 20, 70},
        // A generated monster's maximum, not its record's 10 hit points.
        {false, 150, 200, 20, 170},
        {false, 190, 200, 10, 200},
        {false, 250, 200, 0, 200},  // above the maximum: nothing shown, capped
    };
    for (const Case& c : cases) {
        Fight f;
        f.record->hit_points = 10;
        MonsterActor& m = f.begin();
        Actor& user = c.hero ? static_cast<Actor&>(f.hero()) : m;
        if (c.hero) {
            f.arm_hero(kTonic);
            f.hero().max_hit_points = c.max;
        } else {
            f.arm_monster(kTonic);
            m.max_hit_points = c.max;
        }
        user.hit_points = c.hp;
        CombatResult r;
        f.rules.use_item(user, c.hero ? static_cast<Actor&>(m) : f.hero(), r);
        EXPECT_EQ(r.boost_kind, 0);
        EXPECT_EQ(r.amount, c.shown) << c.hp << "/" << c.max;
        EXPECT_EQ(user.hit_points, c.after) << c.hp << "/" << c.max;
    }
}

// A draught raises the hero's bonus only: his getters add it to the
// attribute, so he gains what the text says, once.
TEST(CombatItems, TheHeroGainsABoostOnceAndTheMonsterThroughItsAttribute) {
    Fight f;
    MonsterActor& m = f.begin();
    f.hero().combat_dexterity = 6;
    f.arm_hero(kSpeedDraught);
    CombatResult r;
    f.rules.use_item(f.hero(), m, r);
    EXPECT_EQ(r.boost_kind, 1);
    EXPECT_EQ(r.amount, 2);
    EXPECT_EQ(f.hero().dexterity(), 8);
    EXPECT_EQ(f.hero().combat_dexterity, 6);
    EXPECT_EQ(f.hero().bonus_dexterity, 2);
    // The same boost again is refused while it lasts.
    EXPECT_EQ(f.hero().can_attack(), 4);

    m.dexterity_ = 3;
    f.arm_monster(kSpeedDraught);
    r.clear();
    f.rules.use_item(m, f.hero(), r);
    EXPECT_EQ(m.dexterity(), 5);
    // The end of the fight takes the hero's bonuses back.
    f.rules.end_fight();
    EXPECT_EQ(f.hero().dexterity(), 6);
}

TEST(CombatAttack, ARefusalOrAMissWearsNothing) {
    Fight f;
    MonsterActor& m = f.begin();
    InventoryEntry* wand = f.arm_hero(kWand);
    wand->item->aim = 5;  // the hero knows too little
    CombatResult r;
    EXPECT_EQ(f.rules.resolve_attack(f.hero(), m, r), 3);
    EXPECT_EQ(r.refusal, 3);
    EXPECT_EQ(r.flags, 0);
    EXPECT_EQ(wand->uses, 20);
    EXPECT_EQ(f.rules.seed(), 0u) << "no roll before the refusal";

    InventoryEntry* knife = f.arm_hero(kKnife);
    f.hero().combat_dexterity = 0;
    m.dexterity_ = 98;
    f.rules.set_seed(seed_where(100, [](uint32_t v) { return v < 35; }));
    EXPECT_EQ(f.rules.resolve_attack(f.hero(), m, r), 0);
    EXPECT_EQ(r.flags, CombatResult::kMiss);
    EXPECT_EQ(knife->uses, 20);
    f.rules.set_seed(seed_where(100, [](uint32_t v) { return v >= 35; }));
    f.rules.resolve_attack(f.hero(), m, r);
    EXPECT_GE(r.flags, CombatResult::kHit);
    EXPECT_EQ(knife->uses, 19);
}

TEST(CombatAttack, TheLastTonicRunsOutAndTheResultStillNamesIt) {
    Fight f;
    MonsterActor& m = f.begin();
    f.arm_hero(kTonic);
    f.hero().hit_points = 10;
    CombatResult r;
    EXPECT_EQ(f.rules.resolve_attack(f.hero(), m, r), 0);
    EXPECT_EQ(r.used_up, 1);
    EXPECT_EQ(f.hero().current_item, nullptr);
    EXPECT_FALSE(f.hero().has_item(kTonic));
    ASSERT_NE(r.item, nullptr);
    EXPECT_EQ(r.item->id, kTonic);
    EXPECT_EQ(r.item_name, "Tonic");
    EXPECT_EQ(f.hero().hit_points, 30);
}

}  // namespace
