// A monster on a level or met in a random encounter.
#pragma once

#include <string>

#include "game/world/actor.h"

struct MonsterRecord;

class MonsterActor : public Actor {
public:
    MonsterActor(World* world, MonsterRecord* record);

    void heal(int32_t amount) override;
    void raise_dexterity(int32_t n) override { dexterity_ += n; }
    void raise_strength(int32_t n) override { strength_ += n; }
    void raise_defence(int32_t n) override { defence_ += n; }
    void raise_knowledge(int32_t n) override { knowledge_ += n; }
    void raise_resistance(int32_t n) override { resistance_ += n; }
    bool use_up_item(InventoryEntry* entry) override;

    // The record's per-item text of the current item; null when the item is
    // not in the record's list.
    const std::string* item_param() const;
    MonsterRecord* record() const { return record_; }

    bool encounter = false;  // made for one random encounter
    int32_t spare_value = 0;
    int32_t max_hit_points = 0;

private:
    MonsterRecord* record_;
};
