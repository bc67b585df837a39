// Loading the story folder into the world: "story.rpg", the numbered files
// of people, monsters and items, and the trigger files of the levels.
#include <cstdio>
#include <optional>

#include "engine/files/ini_file.h"
#include "game/story/archive.h"
#include "game/story/story_file_io.h"
#include "game/story/story_paths.h"
#include "game/story/story_record.h"
#include "game/world/world.h"

namespace {

// Reads `count` records of type T, each built by `make`, stopping at the
// first failure.
template <class Ptr, class Make>
std::vector<Ptr> read_records(Archive& ar, const char* key, size_t min_bytes, Make make) {
    const uint16_t count = ar.count(key, 0, min_bytes);
    std::vector<Ptr> out;
    out.reserve(count);
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        Ptr record = make();
        record->read(ar);
        out.push_back(std::move(record));
    }
    return out;
}

template <class T>
std::vector<std::unique_ptr<T>> read_unique(Archive& ar, const char* key) {
    return read_records<std::unique_ptr<T>>(ar, key, T::kMinStoredBytes, [] { return std::make_unique<T>(); });
}

template <class T>
std::vector<std::shared_ptr<T>> read_shared(Archive& ar, const char* key) {
    return read_records<std::shared_ptr<T>>(ar, key, T::kMinStoredBytes,
                                            [] { return std::shared_ptr<T>(new T()); });
}

}  // namespace

void World::clear_story() {
    registry_.clear();
    monsters.clear();
    people.clear();
    recipe_categories.clear();
    item_groups.clear();
    quests.clear();
    triggers.clear();
    regions.clear();
    flags.clear();
    npc_placements.clear();
    fired_trigger_ids.clear();
    warnings_.clear();
    current_level_ = nullptr;
    current_level_id_ = 0;
    stored_level_id = 0;
    tile_params = TileParams{};
}

void World::read_story_chunk(Archive& ar) {
    ar.begin("MS_RPGSTORY", kRecordVersion);
    if (!people_from_files) people = read_shared<NpcRecord>(ar, "NPCCNT");
    recipe_categories = read_unique<RecipeCategory>(ar, "RECIPECNT");
    if (!items_from_files) item_groups = read_unique<ItemGroup>(ar, "ITEMGROUPCNT");
    regions = read_unique<MapRegion>(ar, "REGIONCNT");
    flags = read_unique<FlagRecord>(ar, "FLAGCNT");
    if (!people_from_files) triggers = read_shared<Trigger>(ar, "TRIGGERCNT");
    ar.u32("CurLevel", stored_level_id);
    if (!monsters_from_files) monsters = read_unique<MonsterRecord>(ar, "MONSTERCNT");
    quests = read_unique<Quest>(ar, "QUESTCNT");
    ar.end("MS_RPGSTORY");
}

void World::register_item_group(ItemGroup& group) {
    register_object(&group, group.id);
    for (const auto& item : group.items) register_object(item.get(), item->id);
}

// Registers the records in the order the story's readers would meet them.
void World::register_story_records() {
    for (const auto& group : item_groups) register_item_group(*group);
    for (const auto& region : regions) {
        register_object(region.get(), region->id);
        for (const auto& map : region->maps) {
            register_object(map.get(), map->id);
            for (const auto& level : map->levels) register_object(level.get(), level->id);
        }
    }
    for (const auto& flag : flags) register_object(flag.get(), flag->id);
    for (const auto& quest : quests) register_object(quest.get(), quest->id);
    for (const auto& trigger : triggers) register_object(trigger.get(), trigger->id);
    for (const auto& npc : people) register_object(npc.get(), npc->id);
    for (const auto& monster : monsters) register_object(monster.get(), monster->id);
}

bool World::read_story_rpg(Archive& ar) {
    ar.world = this;
    read_story_chunk(ar);
    if (!ar.failed() && !ar.at_end()) ar.fail("unexpected bytes after the story's lists");
    ar.close();
    return !ar.failed();
}

// story.rpg leaves out the lists that the story keeps in numbered files,
// and only the presence of each list's first file ("00.npc", "00.mon",
// "00.itm") says which those are. So when story.rpg reads as one of them
// present, that missing or empty file is the fault, not story.rpg.
void World::report_unreadable_story(const std::string& path, const std::string& reason) {
    struct FirstFile {
        bool World::*from_files;
        const char* extension;
        const char* records;
    };
    for (const FirstFile& first : {FirstFile{&World::people_from_files, "npc", "people"},
                                   FirstFile{&World::monsters_from_files, "mon", "monsters"},
                                   FirstFile{&World::items_from_files, "itm", "items"}}) {
        if (this->*first.from_files) continue;
        this->*first.from_files = true;
        Archive ar;
        const bool reads = open_story_file(ar, path) && read_story_rpg(ar);
        this->*first.from_files = false;
        clear_story();
        if (reads) {
            report_broken(numbered_file(0, first.extension),
                          std::string("missing or empty, but story.rpg keeps the ") + first.records +
                              " in the numbered files");
            return;
        }
    }
    report_broken(path, reason);
}

bool World::load_story(const std::string& folder) {
    clear_story();
    last_error_.clear();
    folder_ = folder;
    people_from_files = story_file_exists(numbered_file(0, "npc"));
    monsters_from_files = story_file_exists(numbered_file(0, "mon"));
    items_from_files = story_file_exists(numbered_file(0, "itm"));

    const std::string path = folder_ + "/story.rpg";
    Archive ar;
    if (!open_story_file(ar, path)) {
        if (last_error_.empty()) last_error_ = path + ": missing";
        return false;
    }
    if (!read_story_rpg(ar)) {
        report_unreadable_story(path, ar.error());
        clear_story();
        return false;
    }
    load_tile_params();
    register_story_records();
    if (!load_all_monsters() || !load_all_items()) {
        clear_story();
        return false;
    }
    load_combat_sprites();
    if (!first_level()) {
        report_broken(path, "the story has no level to start on");
        clear_story();
        return false;
    }
    return true;
}

// A file of records, numbered or a level's triggers: the file mark, a u32
// record count, then the records, each made by `make` and read. Every record
// is read before any is kept, so a corrupt file gives nothing: nullopt, with
// the archive's error. `records` names them in that error.
template <class Ptr, class Make>
static std::optional<std::vector<Ptr>> read_record_file(Archive& ar, const char* records, Make make) {
    using Record = typename Ptr::element_type;
    const uint32_t count = ar.record_count("COUNT", 0, Record::kMinStoredBytes);
    std::vector<Ptr> out;
    for (uint32_t i = 0; i < count && !ar.failed(); ++i) {
        Ptr record = make();
        record->read(ar);
        out.push_back(std::move(record));
    }
    if (!ar.failed() && !ar.at_end()) ar.fail(std::string("unexpected bytes after the last ") + records);
    ar.close();
    if (ar.failed()) return std::nullopt;
    return out;
}

// Reads every numbered file "%02d.<extension>" (0 to 14) and hands each
// record to `keep`. A corrupt file is reported and ends the loading.
template <class T, class Keep>
bool World::load_all_numbered(const char* extension, Keep keep) {
    for (uint32_t n = 0; n < kNumberedStoryFiles; ++n) {
        const std::string path = numbered_file(n, extension);
        Archive ar;
        if (!open_story_file(ar, path)) continue;
        auto read = read_record_file<std::unique_ptr<T>>(ar, "record", [] { return std::make_unique<T>(); });
        if (!read) {
            report_broken(path, ar.error());
            return false;
        }
        for (auto& record : *read) keep(std::move(record));
    }
    return true;
}

bool World::load_all_monsters() {
    return load_all_numbered<MonsterRecord>("mon", [this](std::unique_ptr<MonsterRecord> monster) {
        register_object(monster.get(), monster->id);
        monsters.push_back(std::move(monster));
    });
}

bool World::load_all_items() {
    return load_all_numbered<ItemGroup>("itm", [this](std::unique_ptr<ItemGroup> group) {
        register_item_group(*group);
        item_groups.push_back(std::move(group));
    });
}

// Reads the records of the numbered file that holds `id` one by one until
// that one; those read on the way are dropped, the rest of the file is not read.
template <class T>
std::unique_ptr<T> World::load_numbered_record(uint32_t id, const char* extension) {
    const std::string path = numbered_file(id % kNumberedStoryFiles, extension);
    Archive ar;
    if (!open_story_file(ar, path)) return nullptr;
    const uint32_t count = ar.record_count("COUNT", 0, T::kMinStoredBytes);
    for (uint32_t i = 0; i < count && !ar.failed(); ++i) {
        auto record = std::make_unique<T>();
        record->read(ar);
        if (!ar.failed() && record->id == id) return record;
    }
    if (ar.failed()) report_broken(path, ar.error());
    return nullptr;
}

std::shared_ptr<NpcRecord> World::load_npc_file(uint32_t id) {
    std::shared_ptr<NpcRecord> npc = load_numbered_record<NpcRecord>(id, "npc");
    if (!npc) return nullptr;
    register_object(npc.get(), id);
    people.push_back(npc);
    return npc;
}

MonsterRecord* World::load_monster_file(uint32_t id) {
    std::unique_ptr<MonsterRecord> found = load_numbered_record<MonsterRecord>(id, "mon");
    if (!found) return nullptr;
    register_object(found.get(), id);
    monsters.push_back(std::move(found));
    return monsters.back().get();
}

std::shared_ptr<NpcRecord> World::get_or_load_npc(uint32_t id) {
    if (get_npc(id)) {
        for (const auto& npc : people)
            if (npc->id == id) return npc;
    }
    if (find_id(id)) return nullptr;  // the id belongs to another kind of record
    return load_npc_file(id);
}

MonsterRecord* World::get_or_load_monster(uint32_t id) {
    if (MonsterRecord* monster = get_monster(id)) return monster;
    if (find_id(id)) return nullptr;
    return load_monster_file(id);
}

bool World::load_trigger_file(uint32_t level_id) {
    const std::string path = trigger_file(level_id);
    Archive ar;
    if (!open_story_file(ar, path)) return true;
    auto read = read_record_file<std::shared_ptr<Trigger>>(ar, "trigger",
                                                           [] { return std::shared_ptr<Trigger>(new Trigger()); });
    if (!read) {
        report_broken(path, ar.error());
        return false;
    }
    for (auto& trigger : *read) {
        if (find_id(trigger->id)) continue;  // already loaded: the first copy stays
        register_object(trigger.get(), trigger->id);
        triggers.push_back(std::move(trigger));
    }
    return true;
}

bool World::load_region(MapRegion& region) {
    const std::string path = folder_ + "/" + region.file_name();
    Archive ar;
    std::string error;
    if (!open_story_file(ar, path)) {
        // Every region has its file; without it the levels have no ground.
        region.unload_file();
        if (!story_file_exists(path)) report_broken(path, "missing");
        return false;
    }
    if (region.load_from(ar, &error)) return true;
    report_broken(path, error);
    return false;
}

bool World::load_level_grid(MapLevel& level) {
    if (!level.has_grid() && level.map && level.map->region) load_region(*level.map->region);
    return level.has_grid();
}

std::optional<std::vector<uint8_t>> World::read_file(const std::string& path) const {
    return file_reader ? file_reader(path) : read_story_file(path);
}

bool World::open_story_file(Archive& ar, const std::string& path) {
    auto bytes = read_file(path);
    if (!bytes || bytes->empty()) return false;  // an empty file counts as missing
    if (ar.open_bytes(std::move(*bytes), path)) return true;
    report_broken(path, "not a story file (it does not begin with \"#\")");
    return false;
}

// The story folder's "tileparams.ini"; without it every parameter is 0.
void World::load_tile_params() {
    tile_params = TileParams{};
    auto bytes = read_file(folder_ + "/tileparams.ini");
    if (!bytes) return;
    IniFile document;
    document.parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    tile_params.read(document);
}

void World::load_combat_sprites() {
    auto bytes = read_file("combat\\monsters\\combatspr.ini");
    if (!bytes) return;
    IniFile document;
    document.parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    for (int32_t i = 0; document.find_key("COMBATSPRITES", i, "SPR"); ++i) {
        const char* sprite = document.get_string(nullptr, "SPR", "COMBATSPRITES", i, 0);
        if (!sprite) continue;
        apply_combat_sprite(sprite, document.get_int(0, "SPR", "COMBATSPRITES", i, 1),
                            document.get_int(0, "SPR", "COMBATSPRITES", i, 2));
    }
}

bool World::story_file_exists(const std::string& path) const {
    const auto bytes = read_file(path);
    return bytes && !bytes->empty();
}
