// The save-game format: flag values, fired triggers, tile changes, the hero,
// where people and monsters stand, play time, bonuses and difficulty.
//
// Loading parses the whole file into a staging copy first, with every count
// bounded by the bytes left and every index checked, and changes the world
// only when the file was read to its last byte without fault. A truncated or
// corrupt save therefore leaves the running game exactly as it was.
#include <array>
#include <cstdio>
#include <filesystem>

#include "engine/core/file_system.h"
#include "engine/core/program_paths.h"
#include "engine/core/text_helpers.h"
#include "game/world/archive.h"
#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/story_file_io.h"
#include "game/world/world.h"

namespace {

constexpr uint8_t kHeroRecordVersion = 1;
constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kFlagBytes = 12;
constexpr size_t kPlacementBytes = 16;
constexpr size_t kLevelChangeMinBytes = 4 + 1 + 2;
constexpr size_t kItemBytes = 8;
constexpr size_t kQuestBytes = 8;

// --- the hero record ------------------------------------------------------------

// The hero's numbers kept as runs of 32-bit values, in the order the file
// keeps them. Reading, applying and writing all follow these lists.
using HeroField = int32_t HeroActor::*;
constexpr std::array<HeroField, 5> kAttributeFields{&HeroActor::dexterity_, &HeroActor::strength_,
                                                    &HeroActor::defence_, &HeroActor::knowledge_,
                                                    &HeroActor::resistance_};
constexpr std::array<HeroField, 8> kProgressFields{
    &HeroActor::experience_step, &HeroActor::damage_threshold,  &HeroActor::physical_damage,
    &HeroActor::magic_damage,    &HeroActor::profile,           &HeroActor::profile_dexterity,
    &HeroActor::profile_defence, &HeroActor::profile_resistance};
constexpr std::array<HeroField, 5> kBonusFields{&HeroActor::bonus_dexterity, &HeroActor::bonus_strength,
                                                &HeroActor::bonus_knowledge, &HeroActor::bonus_defence,
                                                &HeroActor::bonus_resistance};

template <size_t N>
void set_fields(HeroActor& hero, const std::array<HeroField, N>& fields, const std::array<int32_t, N>& values) {
    for (size_t i = 0; i < N; ++i) hero.*fields[i] = values[i];
}

template <size_t N>
void write_fields(Archive& ar, const char* name, const HeroActor& hero, const std::array<HeroField, N>& fields) {
    for (HeroField field : fields) ar.write_u32(name, uint32_t(hero.*field));
}

struct StagedHero {
    bool present = false;  // version 0 stores no hero fields
    int x = 0;
    int y = 0;
    int facing = 0;
    int animation = 0;
    int next_step = 0;
    MapLevel* level = nullptr;
    int32_t experience = 0;
    int32_t level_number = 1;
    int32_t gold = 0;
    std::array<int32_t, kAttributeFields.size()> attributes{};
    int32_t hit_points = 0;
    int32_t max_hit_points = 0;
    std::array<int32_t, kProgressFields.size()> progress{};
    std::vector<InventoryEntry> items;
    int armour = -1;  // indexes into `items`
    int shield = -1;
    std::array<int32_t, 3> quick_items{-1, -1, -1};
    std::vector<std::pair<uint32_t, int32_t>> quests;  // id, done
    int32_t action_value = 0;
    std::array<int32_t, 4> appearance{};  // premade, head, hair, body
};

// Stored index -> index among the entries that were kept, -1 for none.
int32_t map_index(uint32_t stored, const std::vector<int>& kept) {
    if (stored == kNone || stored >= kept.size()) return -1;
    return kept[stored];
}

bool read_hero(Archive& ar, World& world, StagedHero& h) {
    const uint8_t version = ar.read_u8("HERO");
    if (version == 0) return !ar.failed();
    if (version != kHeroRecordVersion) {
        ar.fail("unknown hero record version " + std::to_string(version));
        return false;
    }
    h.present = true;
    h.x = int16_t(ar.read_u16("PosX"));
    h.y = int16_t(ar.read_u16("PosY"));
    h.facing = ar.read_u16("DrawDir");
    h.animation = ar.read_u8("AnimCnt");
    h.next_step = int8_t(ar.read_u8("NextStep"));  // goes negative while waiting
    const uint32_t level_id = ar.read_u32("LevelUID");
    ar.read_i32("nXp");
    ar.read_i32("nLevel");
    h.gold = ar.read_i32("nMoney");
    for (int32_t& a : h.attributes) a = ar.read_i32("attribute");
    h.hit_points = ar.read_i32("nHth");
    h.max_hit_points = ar.read_i32("nHthMax");
    h.level_number = ar.read_i32("nLev");
    h.experience = ar.read_i32("nExp");
    for (int32_t& p : h.progress) p = ar.read_i32("progress");

    const uint16_t item_count = ar.read_count("ItemCnt", kItemBytes);
    std::vector<int> kept(item_count, -1);
    for (uint16_t i = 0; i < item_count && !ar.failed(); ++i) {
        const uint32_t id = ar.read_u32("ItemID");
        const uint32_t usage = ar.read_u32("Usage");
        ItemRecord* item = world.get_item(id);
        if (!item || h.items.size() >= HeroActor::kMaxItems) continue;
        // 0 would never run out nor be removed; above the endless count is
        // no count at all: both get the item's own.
        const int32_t uses = (usage == 0 || usage > ItemRecord::kEndlessUses) ? item->count : int32_t(usage);
        kept[i] = int(h.items.size());
        h.items.push_back({item, uses});
    }
    auto worn = [&](uint32_t stored, int32_t kind) {
        const int32_t index = map_index(stored, kept);
        return index >= 0 && h.items[size_t(index)].item->kind == kind ? index : -1;
    };
    h.armour = worn(ar.read_u32("Armor"), kItemArmour);
    h.shield = worn(ar.read_u32("Shield"), kItemShield);
    ar.read_u32("LastItem");  // the current item starts empty
    for (int32_t& q : h.quick_items) q = map_index(ar.read_u32("nIdx"), kept);

    const uint16_t quest_count = ar.read_count("QuestCnt", kQuestBytes);
    for (uint16_t i = 0; i < quest_count && !ar.failed(); ++i) {
        const uint32_t id = ar.read_u32("QuestID");
        const int32_t done = ar.read_i32("Done");
        h.quests.emplace_back(id, done);
    }
    h.action_value = ar.read_u16("nAction");
    for (int32_t& a : h.appearance) a = ar.read_i32("appearance");
    if (ar.failed()) return false;

    h.level = world.get_level(level_id);
    if (!h.level) return ar.fail("the hero's level " + std::to_string(level_id) + " is not in the story"), false;
    if (h.facing >= Actor::kFacings) return ar.fail("facing " + std::to_string(h.facing) + " out of range"), false;
    if (h.experience < 0) return ar.fail("negative experience"), false;
    return true;
}

void apply_hero(HeroActor& hero, const StagedHero& h) {
    hero.place(h.level->id, h.x, h.y, h.facing);
    hero.animation = h.animation;
    hero.next_step = h.next_step;
    hero.gold = h.gold;
    set_fields(hero, kAttributeFields, h.attributes);
    hero.hit_points = h.hit_points;
    hero.max_hit_points = h.max_hit_points;
    hero.level_number = h.level_number;
    hero.experience = h.experience;
    set_fields(hero, kProgressFields, h.progress);

    hero.current_item = nullptr;
    hero.armour = nullptr;
    hero.shield = nullptr;
    hero.inventory.clear();
    for (const InventoryEntry& e : h.items) hero.add_entry(e.item, e.uses);
    if (h.armour >= 0) hero.armour = hero.inventory[size_t(h.armour)].get();
    if (h.shield >= 0) hero.shield = hero.inventory[size_t(h.shield)].get();
    hero.quick_items = h.quick_items;

    hero.clear_quests();
    for (const auto& [id, done] : h.quests) {
        hero.add_quest(id);
        if (done) hero.complete_quest(id);
    }
    hero.action_value = h.action_value;
    hero.premade = h.appearance[0];
    hero.head = h.appearance[1];
    hero.hair = h.appearance[2];
    // The start body stands for "drawn from the first premade sheet".
    hero.body = h.appearance[3] == HeroActor::kStartBody ? 0 : h.appearance[3];
    hero.armour_lost = false;
    hero.shield_lost = false;
}

// --- the whole file ---------------------------------------------------------------

struct StagedMonster {
    MonsterRecord* record = nullptr;
    MapLevel* level = nullptr;
    NpcPlacement where;  // npc_id holds the monster record id
};

struct StagedSave {
    std::vector<std::pair<FlagRecord*, std::pair<int32_t, int32_t>>> flags;
    std::vector<uint32_t> fired;
    std::vector<std::pair<MapLevel*, std::vector<TileChange>>> tile_logs;
    StagedHero hero;
    std::vector<NpcPlacement> placements;
    std::vector<StagedMonster> monsters;
    uint32_t play_time = 0;
    std::array<int32_t, kBonusFields.size()> bonuses{};
    int32_t difficulty = 1;
};

NpcPlacement read_placement(Archive& ar) {
    NpcPlacement p;
    p.npc_id = ar.read_u32("ID");
    p.level_id = ar.read_u32("LevelUID");
    p.x = ar.read_u16("PosX");
    p.y = ar.read_u16("PosY");
    p.home_x = ar.read_u16("OrigPosX");
    p.home_y = ar.read_u16("OrigPosY");
    return p;
}

void write_placement(Archive& ar, const NpcPlacement& p) {
    ar.write_u32("ID", p.npc_id);
    ar.write_u32("LevelUID", p.level_id);
    ar.write_u16("PosX", p.x);
    ar.write_u16("PosY", p.y);
    ar.write_u16("OrigPosX", p.home_x);
    ar.write_u16("OrigPosY", p.home_y);
}

template <class Fn>
void for_each_level(const World& world, Fn fn) {
    for (const auto& region : world.regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) fn(*level);
}

bool read_save(Archive& ar, World& world, StagedSave& s) {
    const uint16_t flag_count = ar.read_count("FLAGCNT", kFlagBytes);
    for (uint16_t i = 0; i < flag_count && !ar.failed(); ++i) {
        const uint32_t id = ar.read_u32("ID");
        const int32_t value = ar.read_i32("nValue");
        const int32_t hi_value = ar.read_i32("nHiValue");
        if (FlagRecord* flag = world.get_flag(id)) s.flags.push_back({flag, {value, hi_value}});
    }
    const uint16_t trigger_count = ar.read_count("TRIGGERCNT", 4);
    for (uint16_t i = 0; i < trigger_count && !ar.failed(); ++i) s.fired.push_back(ar.read_u32("ID"));

    const uint16_t level_count = ar.read_count("LEVELCNT", kLevelChangeMinBytes);
    for (uint16_t i = 0; i < level_count && !ar.failed(); ++i) {
        MapLevel* level = world.get_level(ar.read_u32("LevelUID"));
        if (!level) {
            MapLevel::skip_tile_changes(ar);
            continue;
        }
        // Read into a scratch level of the same size, so the real one keeps
        // its log and grid until the whole file proved good.
        MapLevel scratch;
        scratch.width = level->width;
        scratch.height = level->height;
        scratch.read_tile_changes(ar);
        for (const TileChange& c : scratch.tile_changes) {
            if (ar.failed() || !world.tile_change_drawable || world.tile_change_drawable(c.field, c.value)) continue;
            ar.fail("tile change at " + std::to_string(c.x) + "," + std::to_string(c.y) + " to " +
                    std::to_string(c.value) + " has no picture");
        }
        s.tile_logs.emplace_back(level, std::move(scratch.tile_changes));
    }
    if (ar.failed() || !read_hero(ar, world, s.hero)) return false;

    const uint16_t npc_count = ar.read_count("NPCCNT", kPlacementBytes);
    for (uint16_t i = 0; i < npc_count && !ar.failed(); ++i) s.placements.push_back(read_placement(ar));

    const uint16_t monster_count = ar.read_count("MONSTERCNT", kPlacementBytes);
    for (uint16_t i = 0; i < monster_count && !ar.failed(); ++i) {
        StagedMonster m;
        m.where = read_placement(ar);
        if (ar.failed()) break;
        m.record = world.get_or_load_monster(m.where.npc_id);
        m.level = world.get_level(m.where.level_id);
        if (m.record && m.level) s.monsters.push_back(m);
    }
    s.play_time = ar.read_u32("PlayTime");
    for (int32_t& b : s.bonuses) b = ar.read_i32("bonus");
    const uint32_t difficulty = ar.read_u32("nDifficulty");
    s.difficulty = difficulty <= 2 ? int32_t(difficulty) : 1;
    if (!ar.failed() && !ar.at_end()) ar.fail("unexpected bytes after the difficulty");
    return !ar.failed();
}

void apply_save(World& world, const StagedSave& s) {
    world.clear_npcs();
    world.clear_monster_actors();

    for (const auto& flag : world.flags) flag->value = flag->hi_value = 0;
    for (const auto& [flag, values] : s.flags) {
        flag->value = values.first;
        flag->hi_value = values.second;
    }

    for (const auto& trigger : world.triggers) trigger->fired = 0;
    world.fired_trigger_ids = s.fired;
    world.restore_fired_triggers();

    for (const auto& region : world.regions) region->unload_file();
    for_each_level(world, [](MapLevel& level) { level.tile_changes.clear(); });
    for (const auto& [level, log] : s.tile_logs) level->tile_changes = log;

    HeroActor& hero = world.hero();
    if (s.hero.present) apply_hero(hero, s.hero);

    world.npc_placements = s.placements;
    for (const StagedMonster& m : s.monsters) {
        auto monster = std::make_shared<MonsterActor>(&world, m.record);
        world.monster_actors.push_back(monster);
        m.level->extra_actors.push_back(monster);
        monster->place(m.level->id, m.where.x, m.where.y, monster->facing);
        monster->home_x = m.where.home_x;
        monster->home_y = m.where.home_y;
    }

    world.play_time = s.play_time;
    set_fields(hero, kBonusFields, s.bonuses);
    world.difficulty = s.difficulty;
}

void write_hero(Archive& ar, const HeroActor& hero) {
    ar.write_u8("HERO", kHeroRecordVersion);
    ar.write_u16("PosX", uint32_t(hero.x));
    ar.write_u16("PosY", uint32_t(hero.y));
    ar.write_u16("DrawDir", uint32_t(hero.facing));
    ar.write_u8("AnimCnt", uint32_t(hero.animation));
    ar.write_u8("NextStep", uint32_t(hero.next_step));
    ar.write_u32("LevelUID", hero.level ? hero.level->id : hero.level_id);
    ar.write_u32("nXp", uint32_t(hero.experience));
    ar.write_u32("nLevel", uint32_t(hero.level_number));
    ar.write_u32("nMoney", uint32_t(hero.gold));
    write_fields(ar, "attribute", hero, kAttributeFields);
    ar.write_u32("nHth", uint32_t(hero.hit_points));
    ar.write_u32("nHthMax", uint32_t(hero.max_hit_points));
    ar.write_u32("nLev", uint32_t(hero.level_number));
    ar.write_u32("nExp", uint32_t(hero.experience));
    write_fields(ar, "progress", hero, kProgressFields);
    ar.write_count("ItemCnt", hero.inventory.size());
    for (const auto& e : hero.inventory) {
        ar.write_u32("ItemID", e->item ? e->item->id : 0);
        ar.write_u32("Usage", uint32_t(e->uses));
    }
    ar.write_u32("Armor", uint32_t(hero.item_index(hero.armour)));
    ar.write_u32("Shield", uint32_t(hero.item_index(hero.shield)));
    ar.write_u32("LastItem", uint32_t(hero.item_index(hero.current_item)));
    for (int32_t q : hero.quick_items) ar.write_u32("nIdx", uint32_t(q));
    ar.write_count("QuestCnt", hero.quests.size());
    for (const QuestEntry& q : hero.quests) {
        ar.write_u32("QuestID", q.quest ? q.quest->id : 0);
        ar.write_u32("Done", uint32_t(q.done));
    }
    ar.write_u16("nAction", uint32_t(hero.action_value));
    for (int32_t a : {hero.premade, hero.head, hero.hair, hero.body}) ar.write_u32("appearance", uint32_t(a));
}

void write_save(Archive& ar, World& world) {
    size_t flag_count = 0;
    for (const auto& flag : world.flags) flag_count += (flag->value != 0 || flag->hi_value != 0);
    ar.write_count("FLAGCNT", flag_count);
    for (const auto& flag : world.flags) {
        if (flag->value == 0 && flag->hi_value == 0) continue;
        ar.write_u32("ID", flag->id);
        ar.write_u32("nValue", uint32_t(flag->value));
        ar.write_u32("nHiValue", uint32_t(flag->hi_value));
    }

    world.record_fired_triggers();
    ar.write_count("TRIGGERCNT", world.fired_trigger_ids.size());
    for (uint32_t id : world.fired_trigger_ids) ar.write_u32("ID", id);

    size_t level_count = 0;
    for_each_level(world, [&](const MapLevel& level) { level_count += level.has_tile_changes(); });
    ar.write_count("LEVELCNT", level_count);
    for_each_level(world, [&](const MapLevel& level) {
        if (!level.has_tile_changes()) return;
        ar.write_u32("LevelUID", level.id);
        level.write_tile_changes(ar);
    });

    const HeroActor& hero = world.hero();
    write_hero(ar, hero);

    ar.write_count("NPCCNT", world.npc_placements.size());
    for (const NpcPlacement& p : world.npc_placements) write_placement(ar, p);

    ar.write_count("MONSTERCNT", world.monster_actors.size());
    for (const auto& monster : world.monster_actors) {
        NpcPlacement p;
        p.npc_id = monster->record() ? monster->record()->id : 0;
        p.level_id = monster->level ? monster->level->id : monster->level_id;
        p.x = uint16_t(monster->x);
        p.y = uint16_t(monster->y);
        p.home_x = uint16_t(monster->home_x);
        p.home_y = uint16_t(monster->home_y);
        write_placement(ar, p);
    }

    ar.write_u32("PlayTime", world.play_time);
    write_fields(ar, "bonus", hero, kBonusFields);
    ar.write_u32("nDifficulty", uint32_t(world.difficulty));
}

std::string host_path(const std::string& name) {
    if (!g_file_system) return name;
    return utf16_to_utf8(resolve_path(utf8_to_utf16(name)));
}

}  // namespace

// --- World entry points ------------------------------------------------------------

void HeroActor::save(Archive& ar) const { write_hero(ar, *this); }

std::vector<uint8_t> World::save_state_bytes() {
    Archive ar;
    ar.open_write_memory();
    write_save(ar, *this);
    return ar.failed() ? std::vector<uint8_t>{} : ar.written();
}

bool World::save_state(const std::string& path) {
    Archive ar;
    ar.open_write(path);
    write_save(ar, *this);
    if (ar.close()) return true;
    last_error_ = path + ": " + (ar.failed() ? ar.error() : std::string("cannot be written"));
    return false;
}

bool World::load_state_bytes(std::vector<uint8_t> bytes, const std::string& name) {
    Archive ar;
    if (!ar.open_bytes(std::move(bytes), name)) {
        last_error_ = name + ": not a save game";
        return false;
    }
    StagedSave staged;
    if (!read_save(ar, *this, staged)) {
        last_error_ = name + ": damaged save game (" + ar.error() + ")";
        return false;
    }
    apply_save(*this, staged);
    return true;
}

std::optional<SavedGameSummary> World::read_save_summary(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = read_story_file(path);
    Archive ar;
    if (!bytes || !ar.open_bytes(std::move(*bytes), path)) return std::nullopt;
    StagedSave staged;
    if (!read_save(ar, *this, staged) || !staged.hero.present) return std::nullopt;
    const MapLevel& level = *staged.hero.level;
    SavedGameSummary summary;
    summary.region = level.map && level.map->region ? level.map->region->name : std::string();
    summary.level_number = staged.hero.level_number;
    summary.play_time = staged.play_time;
    summary.difficulty = staged.difficulty;
    return summary;
}

bool World::load_state(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = read_story_file(path);
    if (!bytes) {
        last_error_ = path + ": missing";
        return false;
    }
    return load_state_bytes(std::move(*bytes), path);
}

bool World::autosave() {
    if (!save_state(save_path("save6.dat"))) return false;
    const MapLevel* level = hero_->level;
    const char* region = level && level->map && level->map->region ? level->map->region->name.c_str() : "";
    std::string text = "[savedata]\r\n";
    char line[512];
    std::snprintf(line, sizeof line, "data = %d, \"%s\", \"%s\", %d\r\n", int32_t(play_time), region, "Autosave!",
                  int(difficulty));
    text += line;
    return save_story_file(save_path("autoio.ini"), std::vector<uint8_t>(text.begin(), text.end()));
}

bool World::load_autosave() { return load_state(save_path("autosave.gam")); }

bool World::load_new_game() { return load_state(save_path("newgame.gam")); }

void World::init_save_folder() {
    std::error_code ignored;
    std::filesystem::create_directories(host_path(save_folder), ignored);
    save_state(save_path("newgame.gam"));
    const std::optional<std::vector<uint8_t>> index = read_story_file(save_path("io.ini"));
    if (index) {
        saves_exist = index->size() > 15;
    } else {
        const std::string empty_index = "[savedata]\r\n";
        save_story_file(save_path("io.ini"), std::vector<uint8_t>(empty_index.begin(), empty_index.end()));
        saves_exist = false;
    }
    autosave_exists = read_story_file(save_path("autosave.gam")).has_value();
    if (autosave_exists) saves_exist = true;
}
