// A level of a map: its size and parameters from the story, its tile grid
// from the region file, and the log of every change the game made to a cell.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/pooled_text.h"
#include "game/story/story_record.h"
#include "game/world/expression.h"
#include "game/world/tile_cell.h"

class Archive;
class Actor;
struct Trigger;
struct Map;

// A random encounter of a level: which monster, how likely, and when.
struct Encounter {
    uint32_t monster_id = 0;
    uint8_t value = 0;
    Expression expression;

    static constexpr size_t kMinStoredBytes = 1 + 4 + 1 + 2 + Expression::kMinStoredBytes;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Encounter, or a const Encounter when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

struct TileChange {
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t field = 0;
    uint32_t value = 0;
    bool operator==(const TileChange&) const = default;
};

// The "TILEMOD" chunk of save games (see MapLevel::write_tile_changes):
// reading replaces `changes` with the stored list, unfiltered; false when the
// chunk is damaged or of an unknown version.
bool serialize_tile_changes(Archive& ar, std::vector<TileChange>& changes);

// The edges a level can be left by; see MapLevel::exit_level.
enum class LevelEdge { Up, Left, Down, Right };

struct MapLevel : StoryRecord {
    MapLevel() : StoryRecord(RecordKind::Level) {}

    static constexpr int32_t kMaxSide = 250;

    Map* map = nullptr;
    std::vector<Actor*> actors;                        // people on the level, not owned
    std::vector<std::shared_ptr<Actor>> extra_actors;  // further characters, owned
    int32_t width = 0;
    int32_t height = 0;
    std::string name;  // also the tile set name the region file gives

    // Level parameters by number (index 0 and 10 unused; 10 is the combat
    // background). This story format gives them these meanings:
    //   1      lighting of the ground pictures
    //   2..5   id of the level beyond the upper, left, lower, right edge (0: none)
    //   6..9   where the hero arrives beyond that edge: a packed tile
    //          position (x | y << 16); 0 means the edge has no exit
    //   11     kept for the story's own use
    std::array<uint32_t, 12> params{};
    uint32_t combat_background = 0;
    uint32_t weather = 0;
    PooledText music;
    int32_t music_loop = 0;  // also the music start order
    std::vector<Encounter> encounters;

    std::vector<TileCell> grid;  // width x height, row by row; empty while not loaded
    std::vector<TileChange> tile_changes;
    std::vector<int> trigger_indexes;

    bool has_grid() const { return !grid.empty(); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    TileCell* cell(int x, int y) { return has_grid() && contains(x, y) ? &grid[size_t(y) * width + x] : nullptr; }
    const TileCell* cell(int x, int y) const {
        return has_grid() && contains(x, y) ? &grid[size_t(y) * width + x] : nullptr;
    }

    uint32_t exit_level(LevelEdge edge) const { return params[2 + int(edge)]; }
    uint32_t exit_position(LevelEdge edge) const { return params[6 + int(edge)]; }

    // Skips leading blanks and capitalises every word.
    void set_name(const std::string& text);

    // "MS_MAPLEVEL" of story.rpg. Sizes outside 1..250 mark the file corrupt.
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    // The level's part of a region file: tile set name and packed grid. The
    // grid must decode to exactly width x height cells; the log is replayed.
    void serialize_tiles(Archive& ar);
    void read_tiles(Archive& ar);
    void write_tiles(Archive& ar) const;
    void free_tiles() { grid.clear(); grid.shrink_to_fit(); }

    // Stores a field of cell (x, y). Cells outside the level and fields past
    // the log's range are ignored; with `log` the change is kept (even while
    // the grid is not loaded) and replayed whenever the grid is read again.
    void set_tile_field(int x, int y, uint16_t field, uint32_t value, bool log);
    // Mode 1: the wall's state; mode 0: the state byte's, else the object's.
    // 0 without grid or outside the level.
    int tile_state(int x, int y, int mode) const;
    // Sets that state bit through a logged change; true when it changed.
    bool toggle_tile_state(int x, int y, int mode, int state);
    // 1 passable, -1 not.
    int is_passable(int x, int y) const;

    // Refills `trigger_indexes` with the index of every trigger of the list
    // that concerns this level.
    void collect_triggers(const std::vector<std::shared_ptr<Trigger>>& triggers);

    bool has_tile_changes() const { return !tile_changes.empty(); }
    // The name of the region whose map holds the level; "" for a level
    // outside any.
    std::string region_name() const;
    // The "TILEMOD" chunk of save games: version 1 while every value fits 12
    // bits, else version 2 with whole 32-bit values.
    void write_tile_changes(Archive& ar) const;
    // Replaces the log (and frees the grid, which the next entry rebuilds).
    void read_tile_changes(Archive& ar);
    static void skip_tile_changes(Archive& ar);

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // MapLevel, or a const MapLevel when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
    // The same for the region file's part, behind `serialize_tiles` and `write_tiles`.
    template <class Self> static void tile_fields(Self& self, Archive& ar);
};
