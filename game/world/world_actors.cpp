// The world's characters: the hero's moves and items, and the people and
// monsters put on levels.
#include <algorithm>

#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

void World::move_hero(uint32_t level_id, int x, int y, int facing) {
    set_current_level(level_id);
    hero_->place(level_id, x, y, facing);
}

void World::add_experience(int32_t points) { hero_->experience += points; }

bool World::hero_add_item(uint32_t item_id) { return hero_->add_item(item_id); }

void World::hero_remove_item(uint32_t item_id) {
    const InventoryEntry* fewest = nullptr;
    for (const auto& entry : hero_->inventory)
        if (entry->item && entry->item->id == item_id && (!fewest || entry->uses < fewest->uses)) fewest = entry.get();
    if (fewest) hero_->remove_entry(fewest);
}

void World::spawn_level_npcs(uint32_t level_id) {
    for (const NpcPlacement& placement : npc_placements) {
        if (placement.level_id != level_id) continue;
        MapLevel* level = get_level(level_id);
        std::shared_ptr<NpcRecord> record = get_or_load_npc(placement.npc_id);
        if (!level || !record) continue;
        auto actor = std::make_shared<NpcActor>(this, std::move(record));
        npc_actors.push_back(actor);
        level->actors.push_back(actor.get());
        actor->place(level_id, placement.x, placement.y, actor->facing);
        actor->home_x = placement.home_x;
        actor->home_y = placement.home_y;
    }
}

void World::clear_monster_actors() {
    for (const auto& region : regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) level->extra_actors.clear();
    monster_actors.clear();
}
