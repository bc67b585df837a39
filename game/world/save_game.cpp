// The save-game format: flag values, fired triggers, tile changes, the hero,
// where people and monsters stand, play time, bonuses and difficulty.
//
// Loading parses the whole file into a staging copy first, with every count
// bounded by the bytes left and every index checked, and changes the world
// only when the file was read to its last byte without fault. A truncated or
// corrupt save therefore leaves the running game exactly as it was.
#include <array>
#include <filesystem>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "game/story/archive.h"
#include "game/story/save_folder_names.h"
#include "game/story/slot_index.h"
#include "game/story/story_file_io.h"
#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

namespace {

constexpr uint8_t kHeroRecordVersion = 1;
constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kFlagBytes = 12;
constexpr size_t kPlacementBytes = 16;
constexpr size_t kLevelChangeMinBytes = 4 + 1 + 2;
constexpr size_t kItemBytes = 8;
constexpr size_t kQuestBytes = 8;

// The hero's numbers kept as runs of 32-bit values, in the order the file
// keeps them.
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
std::array<int32_t, N> get_fields(const HeroActor& hero, const std::array<HeroField, N>& fields) {
    std::array<int32_t, N> values{};
    for (size_t i = 0; i < N; ++i) values[i] = hero.*fields[i];
    return values;
}

template <size_t N>
void set_fields(HeroActor& hero, const std::array<HeroField, N>& fields, const std::array<int32_t, N>& values) {
    for (size_t i = 0; i < N; ++i) hero.*fields[i] = values[i];
}

template <size_t N>
void serialize_u32s(Archive& ar, const char* key, std::array<int32_t, N>& values) {
    for (int32_t& v : values) ar.u32(key, v);
}

// --- what a save file holds -------------------------------------------------------
// Each stored record lists its fields once; `capture_*` fills one from the
// running game for writing, `check_*` and `apply_*` take a read one into it.

struct StoredItem {
    uint32_t id = 0;
    uint32_t usage = 0;
    void serialize(Archive& ar) {
        ar.u32("ItemID", id);
        ar.u32("Usage", usage);
    }
};

struct StoredQuest {
    uint32_t id = 0;
    int32_t done = 0;
    void serialize(Archive& ar) {
        ar.u32("QuestID", id);
        ar.u32("Done", done);
    }
};

struct StoredHero {
    uint8_t version = kHeroRecordVersion;  // 0 stores no hero fields
    int32_t x = 0;
    int32_t y = 0;
    int32_t facing = 0;
    int32_t animation = 0;
    int32_t next_step = 0;  // goes negative while waiting
    uint32_t level_id = 0;
    // Experience and level are stored twice; the later copies count.
    int32_t first_experience = 0;
    int32_t first_level_number = 0;
    int32_t gold = 0;
    std::array<int32_t, kAttributeFields.size()> attributes{};
    int32_t hit_points = 0;
    int32_t max_hit_points = 0;
    int32_t level_number = 1;
    int32_t experience = 0;
    std::array<int32_t, kProgressFields.size()> progress{};
    std::vector<StoredItem> items;
    uint32_t armour = kNone;  // indexes into `items`
    uint32_t shield = kNone;
    uint32_t last_item = kNone;  // not restored: the current item starts empty
    std::array<uint32_t, 3> quick_items{kNone, kNone, kNone};
    std::vector<StoredQuest> quests;
    int32_t action_value = 0;
    std::array<int32_t, 4> appearance{};  // premade, head, hair, body

    void serialize(Archive& ar) {
        ar.u8("HERO", version);
        if (version == 0) return;
        if (version != kHeroRecordVersion) return ar.fail("unknown hero record version " + std::to_string(version));
        ar.i16("PosX", x);
        ar.i16("PosY", y);
        ar.u16("DrawDir", facing);
        ar.u8("AnimCnt", animation);
        ar.i8("NextStep", next_step);
        ar.u32("LevelUID", level_id);
        ar.u32("nXp", first_experience);
        ar.u32("nLevel", first_level_number);
        ar.u32("nMoney", gold);
        serialize_u32s(ar, "attribute", attributes);
        ar.u32("nHth", hit_points);
        ar.u32("nHthMax", max_hit_points);
        ar.u32("nLev", level_number);
        ar.u32("nExp", experience);
        serialize_u32s(ar, "progress", progress);
        ar.records("ItemCnt", items, kItemBytes);
        ar.u32("Armor", armour);
        ar.u32("Shield", shield);
        ar.u32("LastItem", last_item);
        for (uint32_t& q : quick_items) ar.u32("nIdx", q);
        ar.records("QuestCnt", quests, kQuestBytes);
        ar.u16("nAction", action_value);
        serialize_u32s(ar, "appearance", appearance);
    }
};

struct StoredFlag {
    uint32_t id = 0;
    int32_t value = 0;
    int32_t hi_value = 0;
    void serialize(Archive& ar) {
        ar.u32("ID", id);
        ar.u32("nValue", value);
        ar.u32("nHiValue", hi_value);
    }
};

struct StoredTrigger {
    uint32_t id = 0;
    void serialize(Archive& ar) { ar.u32("ID", id); }
};

struct StoredTileLog {
    uint32_t level_id = 0;
    std::vector<TileChange> changes;
    void serialize(Archive& ar) {
        ar.u32("LevelUID", level_id);
        serialize_tile_changes(ar, changes);
    }
};

struct StoredSave {
    std::vector<StoredFlag> flags;
    std::vector<StoredTrigger> fired;
    std::vector<StoredTileLog> tile_logs;
    StoredHero hero;
    std::vector<NpcPlacement> npcs;
    std::vector<NpcPlacement> monsters;  // npc_id holds the monster record id
    uint32_t play_time = 0;
    std::array<int32_t, kBonusFields.size()> bonuses{};
    uint32_t difficulty = 1;

    // A difficulty the game does not know plays as the normal one.
    int32_t kept_difficulty() const { return difficulty <= 2 ? int32_t(difficulty) : 1; }

    void serialize(Archive& ar) {
        ar.records("FLAGCNT", flags, kFlagBytes);
        ar.records("TRIGGERCNT", fired, 4);
        ar.records("LEVELCNT", tile_logs, kLevelChangeMinBytes);
        hero.serialize(ar);
        ar.records("NPCCNT", npcs, kPlacementBytes);
        ar.records("MONSTERCNT", monsters, kPlacementBytes);
        ar.u32("PlayTime", play_time);
        serialize_u32s(ar, "bonus", bonuses);
        ar.u32("nDifficulty", difficulty);
    }
};

// --- from the running game ---------------------------------------------------------

StoredHero capture_hero(const HeroActor& hero) {
    StoredHero h;
    h.x = hero.x;
    h.y = hero.y;
    h.facing = hero.facing;
    h.animation = hero.animation;
    h.next_step = hero.next_step;
    h.level_id = hero.level ? hero.level->id : hero.level_id;
    h.first_experience = h.experience = hero.experience;
    h.first_level_number = h.level_number = hero.level_number;
    h.gold = hero.gold;
    h.attributes = get_fields(hero, kAttributeFields);
    h.hit_points = hero.hit_points;
    h.max_hit_points = hero.max_hit_points;
    h.progress = get_fields(hero, kProgressFields);
    for (const auto& e : hero.inventory) h.items.push_back({e->item ? e->item->id : 0, uint32_t(e->uses)});
    h.armour = uint32_t(hero.item_index(hero.armour));
    h.shield = uint32_t(hero.item_index(hero.shield));
    h.last_item = uint32_t(hero.item_index(hero.current_item));
    for (size_t i = 0; i < h.quick_items.size(); ++i) h.quick_items[i] = uint32_t(hero.quick_items[i]);
    for (const QuestEntry& q : hero.quests) h.quests.push_back({q.quest ? q.quest->id : 0, q.done});
    h.action_value = hero.action_value;
    h.appearance = {hero.premade, hero.head, hero.hair, hero.body};
    return h;
}

template <class Fn>
void for_each_level(const World& world, Fn fn) {
    for (const auto& region : world.regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) fn(*level);
}

StoredSave capture_save(World& world) {
    StoredSave s;
    for (const auto& flag : world.flags)
        if (flag->value != 0 || flag->hi_value != 0) s.flags.push_back({flag->id, flag->value, flag->hi_value});
    world.record_fired_triggers();
    for (uint32_t id : world.fired_trigger_ids) s.fired.push_back({id});
    for_each_level(world, [&](const MapLevel& level) {
        if (level.has_tile_changes()) s.tile_logs.push_back({level.id, level.tile_changes});
    });
    const HeroActor& hero = world.hero();
    s.hero = capture_hero(hero);
    s.npcs = world.npc_placements;
    for (const auto& monster : world.monster_actors) {
        NpcPlacement p;
        p.npc_id = monster->record() ? monster->record()->id : 0;
        p.level_id = monster->level ? monster->level->id : monster->level_id;
        p.x = uint16_t(monster->x);
        p.y = uint16_t(monster->y);
        p.home_x = uint16_t(monster->home_x);
        p.home_y = uint16_t(monster->home_y);
        s.monsters.push_back(p);
    }
    s.play_time = world.play_time;
    s.bonuses = get_fields(hero, kBonusFields);
    s.difficulty = uint32_t(world.difficulty);
    return s;
}

// --- into the running game ---------------------------------------------------------
// Loading reads the whole file into a StoredSave and checks it before the
// world changes at all.

// A level's stored log as the level keeps it: changes outside the level or
// of fields beyond the format's are dropped.
std::vector<TileChange> kept_tile_changes(const MapLevel& level, const std::vector<TileChange>& stored) {
    MapLevel scratch;
    scratch.width = level.width;
    scratch.height = level.height;
    for (const TileChange& c : stored) scratch.set_tile_field(c.x, c.y, c.field, c.value, true);
    return std::move(scratch.tile_changes);
}

// Stored index -> index among the entries that were kept, -1 for none.
int32_t map_index(uint32_t stored, const std::vector<int>& kept) {
    if (stored == kNone || stored >= kept.size()) return -1;
    return kept[stored];
}

bool check_hero(Archive& ar, World& world, const StoredHero& h) {
    if (h.version == 0) return true;
    if (!world.get_level(h.level_id))
        return ar.fail("the hero's level " + std::to_string(h.level_id) + " is not in the story"), false;
    if (h.facing >= Actor::kFacings) return ar.fail("facing " + std::to_string(h.facing) + " out of range"), false;
    if (h.experience < 0) return ar.fail("negative experience"), false;
    return true;
}

bool check_save(Archive& ar, World& world, const StoredSave& s) {
    if (ar.failed()) return false;
    if (!ar.at_end()) return ar.fail("unexpected bytes after the difficulty"), false;
    for (const StoredTileLog& log : s.tile_logs) {
        const MapLevel* level = world.get_level(log.level_id);
        if (!level || !world.tile_change_drawable) continue;
        for (const TileChange& c : kept_tile_changes(*level, log.changes)) {
            if (world.tile_change_drawable(c.field, c.value)) continue;
            return ar.fail("tile change at " + std::to_string(c.x) + "," + std::to_string(c.y) + " to " +
                           std::to_string(c.value) + " has no picture"),
                   false;
        }
    }
    return check_hero(ar, world, s.hero);
}

void apply_items(HeroActor& hero, World& world, const StoredHero& h) {
    hero.current_item = nullptr;
    hero.armour = nullptr;
    hero.shield = nullptr;
    hero.inventory.clear();
    std::vector<int> kept(h.items.size(), -1);
    for (size_t i = 0; i < h.items.size(); ++i) {
        ItemRecord* item = world.get_item(h.items[i].id);
        if (!item || hero.inventory.size() >= HeroActor::kMaxItems) continue;
        // 0 would never run out nor be removed; above the endless count is
        // no count at all: both get the item's own.
        const uint32_t usage = h.items[i].usage;
        const int32_t uses = (usage == 0 || usage > ItemRecord::kEndlessUses) ? item->count : int32_t(usage);
        kept[i] = int(hero.inventory.size());
        hero.add_entry(item, uses);
    }
    auto worn = [&](uint32_t stored, int32_t kind) -> InventoryEntry* {
        const int32_t index = map_index(stored, kept);
        if (index < 0) return nullptr;
        InventoryEntry* entry = hero.inventory[size_t(index)].get();
        return entry->item->kind == kind ? entry : nullptr;
    };
    hero.armour = worn(h.armour, kItemArmour);
    hero.shield = worn(h.shield, kItemShield);
    for (size_t i = 0; i < h.quick_items.size(); ++i) hero.quick_items[i] = map_index(h.quick_items[i], kept);
}

void apply_hero(HeroActor& hero, World& world, const StoredHero& h) {
    hero.place(h.level_id, h.x, h.y, h.facing);
    hero.animation = h.animation;
    hero.next_step = h.next_step;
    hero.gold = h.gold;
    set_fields(hero, kAttributeFields, h.attributes);
    hero.hit_points = h.hit_points;
    hero.max_hit_points = h.max_hit_points;
    hero.level_number = h.level_number;
    hero.experience = h.experience;
    set_fields(hero, kProgressFields, h.progress);
    apply_items(hero, world, h);
    hero.clear_quests();
    for (const StoredQuest& q : h.quests) {
        hero.add_quest(q.id);
        if (q.done) hero.complete_quest(q.id);
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

void apply_save(World& world, const StoredSave& s) {
    world.clear_npcs();
    world.clear_monster_actors();

    for (const auto& flag : world.flags) flag->value = flag->hi_value = 0;
    for (const StoredFlag& stored : s.flags) {
        if (FlagRecord* flag = world.get_flag(stored.id)) {
            flag->value = stored.value;
            flag->hi_value = stored.hi_value;
        }
    }

    for (const auto& trigger : world.triggers) trigger->fired = 0;
    world.fired_trigger_ids.clear();
    for (const StoredTrigger& t : s.fired) world.fired_trigger_ids.push_back(t.id);
    world.restore_fired_triggers();

    for (const auto& region : world.regions) region->unload_file();
    for_each_level(world, [](MapLevel& level) { level.tile_changes.clear(); });
    for (const StoredTileLog& log : s.tile_logs)
        if (MapLevel* level = world.get_level(log.level_id)) level->tile_changes = kept_tile_changes(*level, log.changes);

    HeroActor& hero = world.hero();
    if (s.hero.version != 0) apply_hero(hero, world, s.hero);

    world.npc_placements = s.npcs;
    for (const NpcPlacement& where : s.monsters) {
        MonsterRecord* record = world.get_or_load_monster(where.npc_id);
        MapLevel* level = world.get_level(where.level_id);
        if (!record || !level) continue;
        auto monster = std::make_shared<MonsterActor>(&world, record);
        world.monster_actors.push_back(monster);
        level->extra_actors.push_back(monster);
        monster->place(level->id, where.x, where.y, monster->facing);
        monster->home_x = where.home_x;
        monster->home_y = where.home_y;
    }

    world.play_time = s.play_time;
    set_fields(hero, kBonusFields, s.bonuses);
    world.difficulty = s.kept_difficulty();
}

std::string host_path(const std::string& name) {
    if (!g_file_system) return name;
    return utf16_to_utf8(resolve_path(utf8_to_utf16(name)));
}

}  // namespace

void NpcPlacement::serialize(Archive& ar) {
    ar.u32("ID", npc_id);
    ar.u32("LevelUID", level_id);
    ar.u16("PosX", x);
    ar.u16("PosY", y);
    ar.u16("OrigPosX", home_x);
    ar.u16("OrigPosY", home_y);
}

// --- World entry points ------------------------------------------------------------

void HeroActor::save(Archive& ar) const { capture_hero(*this).serialize(ar); }

std::vector<uint8_t> World::save_state_bytes() {
    Archive ar;
    ar.open_write_memory();
    capture_save(*this).serialize(ar);
    return ar.failed() ? std::vector<uint8_t>{} : ar.written();
}

bool World::save_state(const std::string& path) {
    Archive ar;
    ar.open_write(path);
    capture_save(*this).serialize(ar);
    if (ar.close()) return true;
    // The disk's reason, when the bytes were whole but could not be written.
    last_error_ = path + ": " + (ar.failed() ? ar.error() : save_failure_reason());
    return false;
}

bool World::load_state_bytes(std::vector<uint8_t> bytes, const std::string& name) {
    Archive ar;
    if (!ar.open_bytes(std::move(bytes), name)) {
        last_error_ = name + ": not a save game";
        return false;
    }
    StoredSave stored;
    stored.serialize(ar);
    if (!check_save(ar, *this, stored)) {
        last_error_ = name + ": damaged save game (" + ar.error() + ")";
        return false;
    }
    apply_save(*this, stored);
    return true;
}

std::optional<SavedGameSummary> World::read_save_summary(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = read_story_file(path);
    Archive ar;
    if (!bytes || !ar.open_bytes(std::move(*bytes), path)) return std::nullopt;
    StoredSave stored;
    stored.serialize(ar);
    if (!check_save(ar, *this, stored) || stored.hero.version == 0) return std::nullopt;
    SavedGameSummary summary;
    summary.region = get_level(stored.hero.level_id)->region_name();  // the level is checked above
    summary.level_number = stored.hero.level_number;
    summary.play_time = stored.play_time;
    summary.difficulty = stored.kept_difficulty();
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
    if (!save_state(save_path(slot_file_name(kAutoSlot).c_str()))) return false;
    return write_auto_slot_index(*this, slot_for_game_in_play(*this, kAutoSlot));
}

bool World::load_autosave() { return load_state(save_path(kAutosaveFile)); }

bool World::load_new_game() { return load_state(save_path(kNewGameFile)); }

void World::init_save_folder() {
    std::error_code ignored;
    std::filesystem::create_directories(host_path(save_folder), ignored);
    save_state(save_path(kNewGameFile));
    if (const std::optional<std::string> index = read_slot_index(*this, kSlotIndexFile)) {
        saves_exist = slot_index_lists_saves(*index);
    } else {
        write_slot_index(*this, {});
        saves_exist = false;
    }
    autosave_exists = read_story_file(save_path(kAutosaveFile)).has_value();
    if (autosave_exists) saves_exist = true;
}
