// The rules by which a fight is resolved: initiative, hit and critical hit,
// physical and magic damage with the weapon matchup, item use, the monster's
// choice of item, the parting attack on a fleeing hero, the rewards of a won
// fight, generated monster stats and the wear of armour and shield.
//
// The combat state owns one CombatRules and, for each fight:
//   enter:  begin_fight(world, hero, monster, platform().tick_count())
//           (seeds the generator, notes the hero's starting hit points and
//           generates the monster's stats when its record asks for it);
//   screen: choose_monster_weapon, then hero.begin_combat() as usual;
//   2000:   hero_begins() decides who acts first;
//   turns:  choose_monster_weapon before each monster turn (false: the
//           monster waits); resolve_attack clears the result itself; the
//           screen reads the CombatResult (flags, damage, amount, matchup,
//           hide_matchup_arrow, and `item`, which stays valid when the entry
//           ran out and was freed) to show the attack;
//   flight: unless the record forbids it while monster_can_strike();
//           parting_attack(result) leaves the monster's current item on
//           the one it struck with (show that one, choose no other);
//           flight_gold_loss() when the message shows;
//   victory: compute_reward(reward), then pushes reward.queued_actions on
//           the Game;
//   leave:  end_fight() (wear of gear, bonuses back to 0).
//
// Arithmetic is 32-bit with truncating division, as the rules are written;
// products that could overflow are taken in 64 bits and clamped to
// 0 .. INT32_MAX, and a divisor of 0 or less counts as 1.
#pragma once

#include <cstdint>
#include <functional>

#include "game/combat/combat_random.h"
#include "game/combat/combat_result.h"

class Actor;
class HeroActor;
class MonsterActor;
class World;

class CombatRules {
public:
    // The runtime's rand(), used for the damage spread, the small-damage
    // floor and the gold amount. Tests replace it.
    std::function<int32_t()> runtime_rand;

    CombatRules();

    // --- the fight -------------------------------------------------------------
    // Binds the fight's world, hero and monster (not owned), seeds the combat
    // generator, notes the hero's hit points at the start (what a victory
    // gives half back of) and, unless the monster's record has fixed stats,
    // generates its stats.
    void begin_fight(World& world, HeroActor& hero, MonsterActor& monster, uint32_t seed);
    // After a fight in which the hero was hit, wears armour and shield; the
    // hero's five per-combat bonuses go back to 0. The monster is forgotten.
    void end_fight();

    World* world() const { return world_; }
    HeroActor* hero() const { return hero_; }
    MonsterActor* monster() const { return monster_; }
    int32_t start_hit_points() const { return start_hit_points_; }
    int32_t difficulty() const;

    // --- the combat generator ------------------------------------------------------
    void set_seed(uint32_t seed) { random_.set_seed(seed); }
    uint32_t seed() const { return random_.seed(); }
    uint32_t random_raw() { return random_.next(); }
    uint32_t random(uint32_t n) { return random_.below(n); }

    // --- turns -----------------------------------------------------------------------
    // True when the hero acts first: one draw taken modulo the sum of both
    // base dexterities (the hero begins when that sum is 0).
    bool hero_begins();

    // The percent chances test_hit rolls random(100) against: a miss when
    // the roll is below `miss`, a critical hit when below `critical`.
    struct HitChances {
        int32_t miss = 0;
        int32_t critical = 0;
    };
    static HitChances hit_chances(bool hero_attacks, int32_t attacker_dexterity, int32_t defender_dexterity);
    static int32_t magic_miss_chance(int32_t attacker_dexterity, int32_t defender_dexterity);

    // 1 hit, 0 miss; may set kMiss or kCritical in the flags.
    int test_hit(Actor& attacker, Actor& defender, CombatResult& result);
    // 1 hit, 0 miss; may set kMiss. Magic is never critical.
    int test_magic_hit(Actor& attacker, Actor& defender, CombatResult& result);
    // The hero's current weapon or wand against the defending monster's
    // weakness; a monster's attack is always kMatchupNormal.
    int weapon_matchup(Actor& attacker, Actor& defender) const;
    // `forced` (the parting attack) still rolls the hit test, which may add
    // its miss or critical bit, but deals the damage either way.
    void physical_damage(Actor& attacker, Actor& defender, CombatResult& result, bool forced);
    void magic_damage(Actor& attacker, Actor& defender, CombatResult& result, bool forced);
    // A usable item: heals (the amount shown is what fits below the user's
    // maximum) or boosts an attribute. The hero's boost is his bonus only.
    void use_item(Actor& user, Actor& target, CombatResult& result);
    // Clears the result and resolves the attacker's current item on the
    // defender; the item is worn unless the attack missed. Returns the hero's
    // refusal code (0 when the attack went ahead).
    int resolve_attack(Actor& attacker, Actor& defender, CombatResult& result);
    // Before each monster turn: drops a used-up current entry and picks the
    // next. False when the monster has nothing left to act with (its turn
    // passes: "%s waits.").
    bool choose_monster_weapon(MonsterActor& monster, HeroActor& hero);
    // Whether the monster holds a weapon or a wand: what it strikes with in
    // its turns and at a fleeing hero. One without may not forbid flight.
    bool monster_can_strike() const;
    // The monster's answer to a flight; flags 0 when nothing happened. A
    // hero with more than a quarter of his maximum before it survives it.
    void parting_attack(CombatResult& result);
    // The gold a successful flight costs, already taken from the hero.
    int32_t flight_gold_loss();

    // --- victory ---------------------------------------------------------------------
    // Rolls and applies the reward; 1 when the hero reached the next level.
    int compute_reward(CombatReward& reward);
    uint32_t roll_item_drop();
    int32_t roll_gold();
    int32_t roll_experience();
    int32_t restored_hit_points() const;

    // --- monsters and gear ----------------------------------------------------------
    // Stats from the hero's level, the difficulty and the record's rank and
    // class; sets level, attributes, hit points and maximum. Returns the hit
    // points.
    int32_t generate_monster_stats(MonsterActor& monster);
    void wear_out_gear();

private:
    // Item name, matchup and the arrow rule, noted when an attack lands.
    void note_attack(Actor& attacker, Actor& defender, CombatResult& result);
    int64_t apply_matchup(Actor& attacker, Actor& defender, int64_t base) const;
    // At least `power`, a floor of 4 .. 8 below 5, then a spread of 0 .. 9 %.
    int64_t spread(int64_t base, int32_t power);
    // Takes the damage from the defender, with the killing-blow rules.
    void deal(Actor& defender, CombatResult& result, int64_t damage, bool physical);
    // The monster against the hero: its maximum x 100 / the hero's maximum.
    int64_t monster_worth() const;
    bool stats_generated() const;
    // Generated monsters are worth more by rank: v x (rank + 3) x 20 / 100.
    int64_t rank_scaled(int64_t v) const;

    CombatRandom random_;
    World* world_ = nullptr;
    HeroActor* hero_ = nullptr;
    MonsterActor* monster_ = nullptr;
    int32_t start_hit_points_ = 0;
};
