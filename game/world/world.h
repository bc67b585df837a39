// The database of the loaded story: every record of the story folder, each
// record with an id entered in one registry by id and kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/core/source_place.h"
#include "game/story/flag_record.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/story/npc_record.h"
#include "game/story/quest.h"
#include "game/story/recipe.h"
#include "game/story/saved_game_summary.h"
#include "game/world/map_region.h"
#include "game/world/tile_params.h"
#include "game/world/trigger.h"

class Archive;
class HeroActor;
class MonsterActor;
class NpcActor;

// Where the hero just stepped or acted: what conditions of kind 6 test.
struct TriggerEvent {
    int32_t kind = 0;  // 0 stepped onto the tile, 1 acted on it
    int32_t tile_x = 0;
    int32_t tile_y = 0;
    uint32_t level_id = 0;
};

// Receives the actions of fired triggers, in order (the game's action queue).
using ActionQueueSink = std::function<void(const std::shared_ptr<Action>&)>;

// Where a person stands: level and pixel positions, current and home.
struct NpcPlacement {
    uint32_t npc_id = 0;
    uint32_t level_id = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t home_x = 0;
    uint16_t home_y = 0;
    bool operator==(const NpcPlacement&) const = default;
    // Its fields in a save game.
    void serialize(Archive& ar);
};

// Rounds a price or reward: above 900 to 50, above 450 to 10, above 90 to 5,
// else to 2 (divisions truncate toward zero).
int32_t round_price(int32_t value);

class World : public PoolObject {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // --- registry ------------------------------------------------------------
    StoryRecord* find_id(uint32_t id) const;
    // Stores the id in the record and enters it. A second record under an id
    // already taken is entered behind the first (which keeps winning lookups)
    // and noted in `warnings()`.
    void register_object(StoryRecord* record, uint32_t id);
    // Removes exactly this record's entry.
    void unregister_object(StoryRecord* record);

    // Typed lookups: null when the id is unknown or names another kind.
    MapLevel* get_level(uint32_t id) const { return get<MapLevel>(id, RecordKind::Level); }
    ItemRecord* get_item(uint32_t id) const { return get<ItemRecord>(id, RecordKind::Item); }
    Quest* get_quest(uint32_t id) const { return get<Quest>(id, RecordKind::Quest); }
    FlagRecord* get_flag(uint32_t id) const { return get<FlagRecord>(id, RecordKind::Flag); }
    MapRegion* get_region(uint32_t id) const { return get<MapRegion>(id, RecordKind::Region); }
    NpcRecord* get_npc(uint32_t id) const { return get<NpcRecord>(id, RecordKind::Npc); }
    MonsterRecord* get_monster(uint32_t id) const { return get<MonsterRecord>(id, RecordKind::Monster); }
    Trigger* get_trigger(uint32_t id) const { return get<Trigger>(id, RecordKind::Trigger); }

    // The registered record, else read from its numbered file ("%02d.npc" or
    // "%02d.mon" of id % 15); null when no file holds it.
    std::shared_ptr<NpcRecord> get_or_load_npc(uint32_t id);
    MonsterRecord* get_or_load_monster(uint32_t id);

    uint32_t quest_id_by_name(const std::string& name) const;
    uint32_t item_id_by_name(const std::string& name) const;
    ItemGroup* item_group_of(uint32_t item_id) const;
    // Region, map and level names compared case-insensitively; first match
    // at each step.
    MapLevel* find_level(const std::string& region, const std::string& map, const std::string& level) const;
    // The first level of the first map of the first region that has one.
    MapLevel* first_level() const;
    void set_current_level(uint32_t id);
    MapLevel* current_level() const { return current_level_; }
    uint32_t current_level_id() const { return current_level_id_; }
    std::string item_stat_text(uint32_t item_id, int32_t uses) const;

    // Drops the people from every level's actor list. In the per-id mode the
    // records themselves are dropped too (they are reread from their files);
    // otherwise they stay, since nothing could bring them back. Records are
    // shared, so a topic or action still in use outlives the drop.
    void clear_npcs();
    // Unregisters and drops every trigger (kept alive while shared elsewhere).
    void clear_triggers();

    // --- random generator ----------------------------------------------------
    // seed = seed x 214013 + 2531011; result bits 16..30 of the seed. The
    // seed is 0 until the owner sets it (the game: the tick count at start).
    int32_t random();
    void set_random_seed(uint32_t seed) { random_seed_ = seed; }

    // --- story loading -------------------------------------------------------
    // Reads "story.rpg" of the folder and the numbered files. False, with the
    // reason in `last_error()` and the story left empty, when the file is
    // missing or corrupt, or holds no level to start on.
    bool load_story(const std::string& folder);
    // Reads the level's "%08x.trg"; a missing file means no triggers. False
    // (nothing added) for a corrupt file.
    bool load_trigger_file(uint32_t level_id);
    // Reads the region file of the region into its levels' grids. A missing
    // or corrupt file is reported like a corrupt story file.
    bool load_region(MapRegion& region);
    // The level's tile grid, its region file read first when it has not
    // been (which replays the levels' logs): a story may test or change a
    // cell of any level. False when the level has no grid even then.
    bool load_level_grid(MapLevel& level);
    // Reads "combat\monsters\combatspr.ini": every "SPR" line of
    // "COMBATSPRITES" gives the monsters with that combat sprite their two
    // anchor values. A missing file changes nothing.
    void load_combat_sprites();
    // Gives every monster whose combat sprite is `sprite` the two values of
    // its "combatspr.ini" entry.
    void apply_combat_sprite(const std::string& sprite, int32_t anchor_x, int32_t anchor_y);

    const std::string& folder() const { return folder_; }
    const std::string& last_error() const { return last_error_; }
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Told about every story file that is refused as corrupt, and about a
    // missing region file (path, reason).
    std::function<void(const std::string& path, const std::string& reason)> on_broken_file;
    // Makes a corrupt story file end the program with a report that names it
    // and the reason, as the game does; tests leave this off.
    void end_program_on_broken_files();

    // Reads whole story files; tests and the fuzz target serve files from
    // memory through it. Unset, files come from the disk.
    std::function<std::optional<std::vector<uint8_t>>(const std::string& path)> file_reader;
    // Whether a tile change that a save carries can be drawn (its pictures
    // exist); a save with one that cannot is refused. Unset, any is taken.
    std::function<bool(uint16_t field, uint32_t value)> tile_change_drawable;

    // "%s/%02d.npc" and the like.
    std::string numbered_file(uint32_t number, const char* extension) const;
    std::string trigger_file(uint32_t level_id) const;

    // --- triggers ------------------------------------------------------------
    // Fires every enabled trigger of the current level, in the level's order:
    // each is marked fired and its actions go to `queue`. Expressions are
    // tested as the triggers come, before any queued action runs. True when
    // at least one fired.
    bool fire_level_triggers(const ActionQueueSink& queue);
    // Adds the id of every fired trigger to `fired_trigger_ids` (once).
    void record_fired_triggers();
    // Marks fired every loaded trigger whose id is in `fired_trigger_ids`.
    void restore_fired_triggers();
    int find_flag_index(uint32_t id) const;

    // --- hero and characters -------------------------------------------------
    HeroActor& hero() const { return *hero_; }
    // Sets the current level and places the hero there.
    void move_hero(uint32_t level_id, int x, int y, int facing);
    void add_experience(int32_t points);
    bool hero_add_item(uint32_t item_id);
    // Removes the hero's entry of the item with the fewest uses left.
    void hero_remove_item(uint32_t item_id);
    // People of the placements on that level, made and put on it.
    void spawn_level_npcs(uint32_t level_id);
    // Drops every monster actor from the world and the levels.
    void clear_monster_actors();

    // --- save games ------------------------------------------------------------
    // Writes the dynamic state atomically; false (old file kept, the reason
    // in `last_error()`) on failure.
    bool save_state(const std::string& path);
    // Reads a save into a staging copy and applies it only when the whole
    // file is valid. False, with the reason in `last_error()` and the game
    // unchanged, for a missing, truncated or corrupt file.
    bool load_state(const std::string& path);
    // The same over bytes in memory.
    bool load_state_bytes(std::vector<uint8_t> bytes, const std::string& name = "<memory>");
    // The bytes save_state would write.
    std::vector<uint8_t> save_state_bytes();
    // What the save at `path` holds, when the whole file is a save of this
    // story with a hero in it; nothing otherwise. The game is not changed.
    std::optional<SavedGameSummary> read_save_summary(const std::string& path);
    // save6.dat, then (only when that worked) autoio.ini.
    bool autosave();
    bool load_autosave();
    bool load_new_game();
    // Creates the folder, saves the new-game state, reads the slot index.
    void init_save_folder();
    // Folder of the save games ("savegame" of the program folder unless
    // tests move it).
    std::string save_folder = "savegame";
    std::string save_path(const char* file) const { return save_folder + "/" + file; }
    bool autosave_exists = false;
    bool saves_exist = false;
    // The game in play was started, continued or loaded: it may be saved.
    bool saving_allowed = false;

    // --- records -------------------------------------------------------------
    std::vector<std::unique_ptr<MonsterRecord>> monsters;
    std::vector<std::shared_ptr<NpcRecord>> people;
    std::vector<std::unique_ptr<RecipeCategory>> recipe_categories;
    std::vector<std::unique_ptr<ItemGroup>> item_groups;
    std::vector<std::unique_ptr<Quest>> quests;
    std::vector<std::shared_ptr<Trigger>> triggers;
    std::vector<std::unique_ptr<MapRegion>> regions;
    std::vector<std::unique_ptr<FlagRecord>> flags;
    std::vector<NpcPlacement> npc_placements;
    std::vector<uint32_t> fired_trigger_ids;
    std::vector<std::shared_ptr<NpcActor>> npc_actors;
    std::vector<std::shared_ptr<MonsterActor>> monster_actors;
    TriggerEvent trigger_event;
    // The view grid's sprite test used by character collisions (the map
    // renderer sets it; unset, only the level's cells and bounds count).
    std::function<bool(int x, int y, int mode)> view_grid_blocks;
    TileParams tile_params;

    // File modes, set by the numbered "00" files found in the story folder.
    bool people_from_files = false;  // people and triggers
    bool monsters_from_files = false;
    bool items_from_files = false;

    uint32_t play_time = 0;
    int32_t difficulty = 1;
    // The level id stored at the end of the story's lists.
    uint32_t stored_level_id = 0;

private:
    template <class T>
    T* get(uint32_t id, RecordKind kind) const {
        StoryRecord* r = find_id(id);
        return r && r->kind == kind ? static_cast<T*>(r) : nullptr;
    }

    void clear_story();
    void read_story_chunk(Archive& ar);
    void register_story_records();
    void register_item_group(ItemGroup& group);
    template <class T, class Keep>
    bool load_all_numbered(const char* extension, Keep keep);
    bool load_all_monsters();
    bool load_all_items();
    template <class T>
    std::unique_ptr<T> load_numbered_record(uint32_t id, const char* extension);
    std::shared_ptr<NpcRecord> load_npc_file(uint32_t id);
    MonsterRecord* load_monster_file(uint32_t id);
    // False for a missing file, and for one that is there but is no story
    // file, which is reported as broken.
    bool open_story_file(Archive& ar, const std::string& path);
    std::optional<std::vector<uint8_t>> read_file(const std::string& path) const;
    void load_tile_params();
    // Reads the lists of an opened story.rpg; false with the reason in `ar`.
    bool read_story_rpg(Archive& ar);
    void report_unreadable_story(const std::string& path, const std::string& reason);
    bool story_file_exists(const std::string& path) const;
    // The fatal report names `where`: the reader that found the file broken.
    void report_broken(const std::string& path, const std::string& reason,
                       SourcePlace where = SourcePlace::here());

    std::unordered_map<uint32_t, std::vector<StoryRecord*>> registry_;
    std::unique_ptr<HeroActor> hero_;
    uint32_t random_seed_ = 0;
    uint32_t current_level_id_ = 0;
    MapLevel* current_level_ = nullptr;
    std::string folder_;
    std::string last_error_;
    std::vector<std::string> warnings_;
    bool broken_files_end_program_ = false;
};
