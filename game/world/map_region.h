// Regions and maps: the upper levels of the world's tree. A region's tile
// grids live in its own region file, read when the hero first enters it.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/story/story_record.h"
#include "game/world/map_level.h"

class Archive;
class World;
struct MapRegion;

struct Map : StoryRecord {
    Map() : StoryRecord(RecordKind::Map) {}

    MapRegion* region = nullptr;
    std::vector<std::unique_ptr<MapLevel>> levels;
    std::string name = "?";
    std::string music;       // for levels without music of their own
    int32_t music_loop = 0;
    std::array<int32_t, 2> params{};

    static constexpr size_t kMinStoredBytes = 1 + 4 + 2 + 8 + 2 + 2 + 4;

    void set_name(const std::string& text);
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Map, or a const Map when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

struct MapRegion : StoryRecord {
    MapRegion() : StoryRecord(RecordKind::Region) {}

    bool loaded = false;
    std::string name;
    std::vector<std::unique_ptr<Map>> maps;

    static constexpr size_t kMinStoredBytes = 1 + 2 + 4 + 2;

    void set_name(const std::string& text);
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

    // "%08X.rgn" of the region id.
    std::string file_name() const;
    // Reads the region file of `folder` into every level's grid. On a missing
    // or corrupt file nothing stays loaded and false is returned with the
    // reason in `error`.
    bool load_file(const std::string& folder, std::string* error = nullptr);
    // The same from a region file already opened.
    bool load_from(Archive& ar, std::string* error = nullptr);
    void unload_file();
    // The region file's content: per map, per level, tile set name and grid.
    void serialize_tiles(Archive& ar);
    void read_tiles(Archive& ar);
    void write_tiles(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // MapRegion, or a const MapRegion when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
    // The same for the region file's part, behind `serialize_tiles` and `write_tiles`.
    template <class Self> static void tile_fields(Self& self, Archive& ar);
};
