// Firing a level's triggers and keeping their fired state across trigger
// files being dropped and reread.
#include <algorithm>

#include "game/world/map_level.h"
#include "game/world/trigger.h"
#include "game/world/world.h"

bool World::fire_level_triggers(const ActionQueueSink& queue) {
    MapLevel* level = current_level();
    if (!level) return false;
    bool any = false;
    for (int index : level->trigger_indexes) {
        if (index < 0 || size_t(index) >= triggers.size()) continue;
        // Shared: an action run later may drop the trigger list.
        const std::shared_ptr<Trigger> trigger = triggers[size_t(index)];
        if (!trigger->is_enabled(*this)) continue;
        trigger->fired = 1;
        any = true;
        for (const auto& entry : trigger->actions.entries())
            if (queue) queue(entry.action);
    }
    return any;
}

void World::record_fired_triggers() {
    for (const auto& trigger : triggers) {
        if (!trigger->fired) continue;
        if (std::find(fired_trigger_ids.begin(), fired_trigger_ids.end(), trigger->id) == fired_trigger_ids.end())
            fired_trigger_ids.push_back(trigger->id);
    }
}

void World::restore_fired_triggers() {
    for (const auto& trigger : triggers)
        if (std::find(fired_trigger_ids.begin(), fired_trigger_ids.end(), trigger->id) != fired_trigger_ids.end())
            trigger->fired = 1;
}

int World::find_flag_index(uint32_t id) const {
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i]->id == id) return int(i);
    return -1;
}

void MapLevel::collect_triggers(const std::vector<std::shared_ptr<Trigger>>& triggers) {
    trigger_indexes.clear();
    for (size_t i = 0; i < triggers.size(); ++i)
        if (triggers[i]->uses_level(id)) trigger_indexes.push_back(int(i));
}
