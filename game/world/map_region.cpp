#include "game/world/map_region.h"

#include <cstdio>

#include "game/story/archive.h"
#include "game/story/story_names.h"
#include "game/story/story_paths.h"

void Map::set_name(const std::string& text) { name = story_display_name(text); }

void Map::serialize(Archive& ar) {
    ar.begin("MS_MAP", kRecordVersion);
    ar.u32("ID", id);
    ar.text("Name", name);
    if (ar.reading()) set_name(name);
    ar.u32("Param1", params[0]);
    ar.u32("Param2", params[1]);
    ar.owned_records("LEVELCNT", levels, 40, [this](MapLevel& level) { level.map = this; });
    ar.text("Music", music);
    ar.u32("MusicLoop", music_loop);
    ar.end("MS_MAP");
}

void Map::read(Archive& ar) { serialize(ar); }

void Map::write(Archive& ar) const { ar.write_record(*this); }

void MapRegion::set_name(const std::string& text) { name = story_display_name(text); }

void MapRegion::serialize(Archive& ar) {
    ar.begin("MS_MAPREGION", kRecordVersion);
    ar.text("Name", name);
    if (ar.reading()) set_name(name);
    ar.u32("ID", id);
    ar.owned_records("MAPCNT", maps, Map::kMinStoredBytes, [this](Map& map) { map.region = this; });
    ar.end("MS_MAPREGION");
}

void MapRegion::read(Archive& ar) { serialize(ar); }

void MapRegion::write(Archive& ar) const { ar.write_record(*this); }

std::string MapRegion::file_name() const { return region_file_name(id); }

void MapRegion::serialize_tiles(Archive& ar) {
    ar.begin("MS_MAPREGION", kRecordVersion);
    const uint16_t map_count = ar.count("MAPCNT", maps.size(), 1);
    if (ar.reading() && !ar.failed() && map_count != maps.size())
        ar.fail("the region file holds " + std::to_string(map_count) + " maps, the story " +
                std::to_string(maps.size()));
    for (const auto& map : maps) {
        if (ar.failed()) break;
        ar.begin("MS_MAP", kRecordVersion);
        const uint16_t level_count = ar.count("LEVELCNT", map->levels.size(), 1);
        if (ar.reading() && !ar.failed() && level_count != map->levels.size())
            ar.fail("map " + std::to_string(map->id) + " has " + std::to_string(level_count) +
                    " levels in the region file, the story " + std::to_string(map->levels.size()));
        for (const auto& level : map->levels) {
            if (ar.failed()) break;
            level->serialize_tiles(ar);
        }
        ar.end("MS_MAP");
    }
    ar.end("MS_MAPREGION");
}

void MapRegion::read_tiles(Archive& ar) { serialize_tiles(ar); }

void MapRegion::write_tiles(Archive& ar) const { ar.write_record(*this, &MapRegion::serialize_tiles); }

bool MapRegion::load_file(const std::string& folder, std::string* error) {
    const std::string path = folder + "/" + file_name();
    Archive ar;
    if (!ar.open_read(path)) {
        unload_file();
        if (error) *error = path + ": missing or not a story file";
        return false;
    }
    return load_from(ar, error);
}

bool MapRegion::load_from(Archive& ar, std::string* error) {
    read_tiles(ar);
    if (!ar.failed() && !ar.at_end()) ar.fail("unexpected bytes after the last level");
    if (ar.failed()) {
        if (error) *error = ar.error();
        unload_file();
        return false;
    }
    loaded = true;
    return true;
}

void MapRegion::unload_file() {
    for (const auto& map : maps)
        for (const auto& level : map->levels) level->free_tiles();
    loaded = false;
}
