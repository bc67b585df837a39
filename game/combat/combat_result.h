// What one attack of a fight did, and what a won fight gives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Action;
struct ItemRecord;

// The hero's weapon against the monster, as the matchup arrow shows it.
enum Matchup : int32_t {
    kMatchupWeak = 0,
    kMatchupNormal = 1,
    kMatchupStrong = 2,
};

struct CombatResult {
    // Bits of `flags`.
    static constexpr int32_t kMiss = 1;
    static constexpr int32_t kHit = 2;
    static constexpr int32_t kHardHit = 4;
    static constexpr int32_t kCritical = 8;

    int32_t flags = 0;
    int32_t used_up = 0;     // 1 when the attacker's item ran out with this attack
    int32_t damage = 0;      // hit points taken from the defender
    int32_t extra_turn = 0;  // always 0
    int32_t boost_kind = -1; // item use: the item's sub-kind (0 heal, 1 dex, 2 str, 3 def, 4 aim, 5 res)
    int32_t amount = 0;      // item use: what was healed or boosted, as shown
    int32_t refusal = 0;     // the hero's refusal code (HeroActor::can_attack), 0 when none
    std::string item_name;   // the item the attack used, empty when none
    int32_t matchup = kMatchupNormal;
    // The item the attack used (null when none). Records live as long as the
    // story, so this stays valid after the entry ran out and was freed.
    const ItemRecord* item = nullptr;
    // Set when a monster's physical or magic attack lands at difficulty 1:
    // the screen then hides the matchup arrow (frame 3).
    bool hide_matchup_arrow = false;

    void clear() { *this = CombatResult(); }
    bool missed() const { return flags == kMiss; }
    bool critical() const { return (flags & kCritical) != 0; }
};

struct CombatReward {
    uint32_t item_id = 0;  // 0 none
    int32_t gold = 0;
    int32_t experience = 0;
    int32_t hit_points = 0;  // restored
    int32_t level_up = 0;    // 1 when the experience reached the next step
    // The monster's other defeat actions, in list order: the combat state
    // queues them on the Game (game.actions().push) to run after the fight.
    std::vector<std::shared_ptr<Action>> queued_actions;

    void clear() { *this = CombatReward(); }
};
