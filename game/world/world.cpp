#include "game/world/world.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <strings.h>

#include "engine/core/crt_random.h"
#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"
#include "game/story/story_paths.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"

int32_t round_price(int32_t v) {
    if (v > 900) return (v / 50) * 50;
    if (v > 450) return (v / 10) * 10;
    if (v > 90) return v - v % 5;
    return (v / 2) * 2;
}

const char* record_kind_name(RecordKind kind) {
    switch (kind) {
    case RecordKind::Npc: return "person";
    case RecordKind::Monster: return "monster";
    case RecordKind::Item: return "item";
    case RecordKind::ItemGroup: return "item group";
    case RecordKind::Quest: return "quest";
    case RecordKind::Region: return "region";
    case RecordKind::Map: return "map";
    case RecordKind::Level: return "level";
    case RecordKind::Flag: return "flag";
    case RecordKind::Trigger: return "trigger";
    }
    return "record";
}

std::string record_kind_with_article(RecordKind kind) {
    const std::string name = record_kind_name(kind);
    const bool vowel = std::string_view("aeiou").find(name.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + name;
}

World::World() {
    hero_ = std::make_unique<HeroActor>(this);
}

World::~World() = default;

StoryRecord* World::find_id(uint32_t id) const {
    auto it = registry_.find(id);
    return it == registry_.end() || it->second.empty() ? nullptr : it->second.front();
}

void World::register_object(StoryRecord* record, uint32_t id) {
    record->id = id;
    auto& entries = registry_[id];
    if (!entries.empty()) {
        char text[160];
        std::snprintf(text, sizeof text, "id 0x%08x of %s is already taken by %s", unsigned(id),
                      record_kind_with_article(record->kind).c_str(),
                      record_kind_with_article(entries.front()->kind).c_str());
        warnings_.push_back(text);
    }
    entries.push_back(record);
}

void World::unregister_object(StoryRecord* record) {
    auto it = registry_.find(record->id);
    if (it == registry_.end()) return;
    auto& entries = it->second;
    entries.erase(std::remove(entries.begin(), entries.end(), record), entries.end());
    if (entries.empty()) registry_.erase(it);
}

uint32_t World::quest_id_by_name(const std::string& name) const {
    for (const auto& q : quests)
        if (q->name == name) return q->id;
    return 0;
}

uint32_t World::item_id_by_name(const std::string& name) const {
    for (const auto& group : item_groups)
        for (const auto& item : group->items)
            if (item->name == name) return item->id;
    return 0;
}

ItemGroup* World::item_group_of(uint32_t item_id) const {
    const ItemRecord* wanted = get_item(item_id);
    if (!wanted) return nullptr;
    for (const auto& group : item_groups)
        for (const auto& item : group->items)
            if (item.get() == wanted) return group.get();
    return nullptr;
}

std::string World::item_stat_text(uint32_t item_id, int32_t uses) const {
    const ItemRecord* item = get_item(item_id);
    const ItemGroup* group = item_group_of(item_id);
    if (!item || !group) return " ";
    return ::item_stat_text(*item, group->group_kind, uses);
}

namespace {

bool same_name(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

MapLevel* World::find_level(const std::string& region_name, const std::string& map_name,
                            const std::string& level_name) const {
    auto region = std::find_if(regions.begin(), regions.end(),
                               [&](const auto& r) { return same_name(r->name, region_name); });
    if (region == regions.end()) return nullptr;
    const auto& maps = (*region)->maps;
    auto map = std::find_if(maps.begin(), maps.end(), [&](const auto& m) { return same_name(m->name, map_name); });
    if (map == maps.end()) return nullptr;
    const auto& levels = (*map)->levels;
    auto level = std::find_if(levels.begin(), levels.end(),
                              [&](const auto& l) { return same_name(l->name, level_name); });
    return level == levels.end() ? nullptr : level->get();
}

MapLevel* World::first_level() const {
    for (const auto& region : regions)
        for (const auto& map : region->maps)
            if (!map->levels.empty()) return map->levels.front().get();
    return nullptr;
}

void World::set_current_level(uint32_t id) {
    current_level_id_ = id;
    current_level_ = get_level(id);
}

void World::clear_npcs() {
    for (const auto& region : regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) level->actors.clear();
    npc_actors.clear();
    if (!people_from_files) return;
    for (auto it = people.rbegin(); it != people.rend(); ++it) unregister_object(it->get());
    people.clear();
}

void World::clear_triggers() {
    for (auto it = triggers.rbegin(); it != triggers.rend(); ++it) unregister_object(it->get());
    triggers.clear();
    for (const auto& region : regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) level->trigger_indexes.clear();
}

int32_t World::random() { return crt_rand_step(random_seed_); }

void World::apply_combat_sprite(const std::string& sprite, int32_t anchor_x, int32_t anchor_y) {
    for (const auto& monster : monsters) {
        if (monster->combat_sprite != sprite) continue;
        monster->anchor_x = anchor_x;
        monster->anchor_y = anchor_y;
    }
}

std::string World::numbered_file(uint32_t number, const char* extension) const {
    return numbered_story_file(folder_, number, extension);
}

std::string World::trigger_file(uint32_t level_id) const { return trigger_story_file(folder_, level_id); }

void World::end_program_on_broken_files() { broken_files_end_program_ = true; }

void World::report_broken(const std::string& path, const std::string& reason, SourcePlace where) {
    last_error_ = path + ": " + reason;
    if (on_broken_file) on_broken_file(path, reason);
    if (broken_files_end_program_) fatal_broken_file(utf8_to_utf16(path), reason, where);
}
