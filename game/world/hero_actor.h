// The player's character: gold, experience and levels, inventory with worn
// gear, quests, temporary bonuses and the rules for level-up, wear, potions
// and automatic equipment.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/world/actor.h"

class Archive;
struct Quest;

struct QuestEntry {
    Quest* quest = nullptr;
    int32_t done = 0;
};

class HeroActor : public Actor {
public:
    static constexpr size_t kMaxItems = 1000;
    static constexpr size_t kMaxNameLength = 99;
    static constexpr int32_t kStartBody = 21;

    explicit HeroActor(World* world);

    // --- the combat interface -------------------------------------------------
    void update() override {}
    void init_from_record(int32_t level, int32_t dexterity, int32_t strength, int32_t knowledge, int32_t defence,
                          int32_t resistance) override;
    int32_t dexterity() const override { return combat_dexterity + bonus_dexterity; }
    int32_t strength() const override;
    int32_t defence() const override { return combat_defence + bonus_defence; }
    int32_t knowledge() const override;
    int32_t resistance() const override { return combat_resistance + bonus_resistance; }
    int32_t attack_kind() const override;
    void heal(int32_t amount) override;
    void raise_dexterity(int32_t n) override { combat_dexterity += n; }
    void raise_strength(int32_t n) override { combat_strength += n; }
    void raise_defence(int32_t n) override { combat_defence += n; }
    void raise_knowledge(int32_t n) override { combat_knowledge += n; }
    void raise_resistance(int32_t n) override { combat_resistance += n; }
    void take_damage(int32_t amount, bool physical) override;
    bool use_up_item(InventoryEntry* entry) override;
    bool can_use_magic(const ItemRecord& item) const override;
    void init_named(int32_t level, int32_t dexterity, int32_t strength, int32_t knowledge, int32_t defence,
                    int32_t resistance, const std::u16string& name);

    // --- inventory and quests ----------------------------------------------------
    // A new entry with the item's count; false for an unknown item or a full
    // inventory.
    bool add_item(uint32_t item_id);
    InventoryEntry* add_entry(ItemRecord* item, int32_t uses);
    bool has_item(uint32_t item_id) const;
    void add_quest(uint32_t quest_id);
    void complete_quest(uint32_t quest_id);
    void clear_quests() { quests.clear(); }

    // --- rules -----------------------------------------------------------------
    void reset(const std::string* name);
    void compute_profile();
    void level_up(int choice);
    void begin_combat();
    // 0 may attack, 1 no current item, 3 the wand needs more knowledge,
    // 4 the potion's bonus is already in force.
    int can_attack() const;
    // The same refusal for any item he holds: 0, 3 or 4.
    int refusal_for(const ItemRecord& item) const;
    InventoryEntry* best_potion() const;
    void drink_potions();
    InventoryEntry* best_gear(int32_t kind) const;
    void auto_equip();
    bool item_fits_level(const ItemRecord& item) const;

    // --- save games ----------------------------------------------------------------
    void save(Archive& ar) const;

    std::string name;
    int32_t combat_dexterity = 0;
    int32_t combat_strength = 0;
    int32_t combat_defence = 0;
    int32_t combat_knowledge = 0;
    int32_t combat_resistance = 0;
    int32_t bonus_dexterity = 0;
    int32_t bonus_strength = 0;
    int32_t bonus_defence = 0;
    int32_t bonus_knowledge = 0;
    int32_t bonus_resistance = 0;
    bool hit = false;
    int32_t max_hit_points = 0;
    int32_t experience = 0;
    int32_t experience_step = 100;
    int32_t damage_threshold = 0;
    int32_t physical_damage = 0;
    int32_t magic_damage = 0;
    int32_t profile = 0;
    int32_t profile_dexterity = 0;
    int32_t profile_defence = 0;
    int32_t profile_resistance = 0;
    int32_t gold = 0;
    int32_t action_value = 0;
    std::array<int32_t, 3> quick_items{-1, -1, -1};
    InventoryEntry* armour = nullptr;
    InventoryEntry* shield = nullptr;
    std::vector<QuestEntry> quests;
    bool armour_lost = false;
    bool shield_lost = false;
    uint32_t last_used_up_item = 0;

protected:
    void forget_entry(const InventoryEntry* entry) override;
};

// Sale value of the hero's entry at `index`, -1 outside the inventory.
int32_t item_price(const HeroActor& hero, int index);
