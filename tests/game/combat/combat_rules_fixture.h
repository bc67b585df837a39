// A fight built in memory for the rules' tests: a world with one item group,
// a monster record and its actor, the world's hero, and CombatRules whose
// runtime rand() returns 0 unless a test says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/combat/combat_rules.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace combat_test {

inline constexpr uint32_t kKnife = 0x41, kWand = 0x42, kTonic = 0x43, kDraught = 0x44, kTeeth = 0x45,
                          kArmour = 0x46, kShield = 0x47, kSpeedDraught = 0x48, kMonster = 0x30;

struct Fight {
    World world;
    ItemGroup* group = nullptr;
    MonsterRecord* record = nullptr;
    std::unique_ptr<MonsterActor> monster;
    CombatRules rules;

    Fight() {
        auto g = std::make_unique<ItemGroup>();
        group = g.get();
        world.item_groups.push_back(std::move(g));
        add_item(kKnife, kItemWeapon, "Knife", 1, 0, 20);
        add_item(kWand, kItemWand, "Wand", 3, 1, 20);
        add_item(kTonic, kItemUsable, "Tonic", 20, 0, 1);
        add_item(kDraught, kItemUsable, "Draught", 2, 2, 1);
        add_item(kSpeedDraught, kItemUsable, "Quickening", 2, 1, 1);
        add_item(kTeeth, kItemWeapon, "Teeth", 1, 1, ItemRecord::kEndlessUses);
        add_item(kArmour, kItemArmour, "Coat", 2, 1, 1);
        add_item(kShield, kItemShield, "Buckler", 1, 0, ItemRecord::kEndlessUses);
        auto m = std::make_unique<MonsterRecord>();
        record = m.get();
        record->name = "Rat";
        record->hit_points = 1000;
        record->fixed_stats = 1;
        record->dexterity = 5;  // as the hero: an even fight
        record->physical_weakness = 1;  // normal against the knife (sub-kind 0)
        record->magic_weakness = 2;     // and against the fire wand
        world.register_object(record, kMonster);
        world.monsters.push_back(std::move(m));
        world.difficulty = 0;
        rules.runtime_rand = [] { return 0; };
        HeroActor& h = hero();
        h.init_named(1, 5, 0, 0, 0, 0, u"Tolvanek");
    }

    HeroActor& hero() { return world.hero(); }

    ItemRecord& add_item(uint32_t id, int32_t kind, const char* name, uint16_t value, uint16_t sub, uint16_t count) {
        auto item = std::make_unique<ItemRecord>();
        item->kind = kind;
        item->name = name;
        item->value = value;
        item->sub_kind = sub;
        item->count = count;
        ItemRecord& out = *item;
        world.register_object(item.get(), id);
        group->items.push_back(std::move(item));
        return out;
    }
    ItemRecord& item(uint32_t id) { return *world.get_item(id); }

    // The monster of the record as it stands, bound with the hero.
    MonsterActor& begin(uint32_t seed = 0) {
        monster = std::make_unique<MonsterActor>(&world, record);
        rules.begin_fight(world, hero(), *monster, seed);
        hero().begin_combat();
        return *monster;
    }

    // The hero holding a new entry of the item as his current one.
    InventoryEntry* arm_hero(uint32_t id) {
        EXPECT_TRUE(hero().add_item(id));
        hero().current_item = hero().inventory.back().get();
        return hero().current_item;
    }
    InventoryEntry* arm_monster(uint32_t id, int32_t uses = 1000) {
        monster->inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{world.get_item(id), uses}));
        monster->current_item = monster->inventory.back().get();
        return monster->current_item;
    }
};

// The next draws of the combat generator, without taking them.
inline uint32_t peek_random(const CombatRules& rules, uint32_t n) {
    CombatRandom copy(rules.seed());
    return copy.below(n);
}

// The first seed from `start` whose next random(n) satisfies `wanted`.
template <class Wanted>
uint32_t seed_where(uint32_t n, Wanted wanted, uint32_t start = 0) {
    for (uint32_t seed = start;; ++seed) {
        CombatRandom r(seed);
        if (wanted(r.below(n))) return seed;
    }
}

}  // namespace combat_test
