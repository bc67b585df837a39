#include "game/world/monster_actor.h"

#include <algorithm>

#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

MonsterActor::MonsterActor(World* w, MonsterRecord* record) : Actor(w, true), record_(record) {
    hostile = true;
    if (!record_) return;
    take_record_look(*this, record_->body, record_->stance, true);
    dexterity_ = record_->dexterity;
    strength_ = record_->strength;
    knowledge_ = record_->knowledge;
    defence_ = record_->defence;
    resistance_ = record_->resistance;
    hit_points = record_->hit_points;
    level_number = record_->level;
    attack_kind_ = record_->attack_kind;
    spare_value = record_->spare_value;
    max_hit_points = hit_points;
    for (uint32_t id : record_->item_ids) {
        ItemRecord* item = world ? world->get_item(id) : nullptr;
        if (!item) continue;
        const int32_t uses = item->kind == kItemUsable ? 1 : item->count;
        inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{item, uses}));
    }
}

void MonsterActor::heal(int32_t amount) { hit_points = std::min(hit_points + amount, max_hit_points); }

bool MonsterActor::use_up_item(InventoryEntry* entry) {
    if (entry && entry->item && entry->item->kind == kItemUsable) entry->uses -= 1;
    return false;
}

const std::string* MonsterActor::item_param() const {
    if (!record_ || !current_item || !current_item->item) return nullptr;
    const auto& ids = record_->item_ids;
    for (size_t i = 0; i < ids.size() && i < record_->item_values.size(); ++i)
        if (ids[i] == current_item->item->id) return &record_->item_values[i];
    return nullptr;
}
