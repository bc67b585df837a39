#include "game/world/map_region.h"

#include <cstdio>

#include "game/world/archive.h"
#include "game/world/story_names.h"
#include "game/world/story_paths.h"

void Map::set_name(const std::string& text) { name = story_display_name(text); }

void Map::read(Archive& ar) {
    ar.read_begin("MS_MAP");
    id = ar.read_u32("ID");
    set_name(ar.read_text("Name"));
    params[0] = ar.read_i32("Param1");
    params[1] = ar.read_i32("Param2");
    const uint16_t count = ar.read_count("LEVELCNT", 40);
    levels.clear();
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        auto level = std::make_unique<MapLevel>();
        level->map = this;
        level->read(ar);
        levels.push_back(std::move(level));
    }
    music = ar.read_text("Music");
    music_loop = ar.read_i32("MusicLoop");
    ar.read_end("MS_MAP");
}

void Map::write(Archive& ar) const {
    ar.write_begin("MS_MAP", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_string("Name", name);
    ar.write_u32("Param1", uint32_t(params[0]));
    ar.write_u32("Param2", uint32_t(params[1]));
    ar.write_count("LEVELCNT", levels.size());
    for (const auto& level : levels) level->write(ar);
    ar.write_string("Music", music);
    ar.write_u32("MusicLoop", uint32_t(music_loop));
    ar.write_end("MS_MAP");
}

void MapRegion::set_name(const std::string& text) { name = story_display_name(text); }

void MapRegion::read(Archive& ar) {
    ar.read_begin("MS_MAPREGION");
    set_name(ar.read_text("Name"));
    id = ar.read_u32("ID");
    const uint16_t count = ar.read_count("MAPCNT", Map::kMinStoredBytes);
    maps.clear();
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        auto map = std::make_unique<Map>();
        map->region = this;
        map->read(ar);
        maps.push_back(std::move(map));
    }
    ar.read_end("MS_MAPREGION");
}

void MapRegion::write(Archive& ar) const {
    ar.write_begin("MS_MAPREGION", kRecordVersion);
    ar.write_string("Name", name);
    ar.write_u32("ID", id);
    ar.write_count("MAPCNT", maps.size());
    for (const auto& map : maps) map->write(ar);
    ar.write_end("MS_MAPREGION");
}

std::string MapRegion::file_name() const { return region_file_name(id); }

void MapRegion::read_tiles(Archive& ar) {
    ar.read_begin("MS_MAPREGION");
    const uint16_t map_count = ar.read_count("MAPCNT");
    if (!ar.failed() && map_count != maps.size())
        ar.fail("the region file holds " + std::to_string(map_count) + " maps, the story " +
                std::to_string(maps.size()));
    for (const auto& map : maps) {
        if (ar.failed()) break;
        ar.read_begin("MS_MAP");
        const uint16_t level_count = ar.read_count("LEVELCNT");
        if (!ar.failed() && level_count != map->levels.size())
            ar.fail("map " + std::to_string(map->id) + " has " + std::to_string(level_count) +
                    " levels in the region file, the story " + std::to_string(map->levels.size()));
        for (const auto& level : map->levels) {
            if (ar.failed()) break;
            level->read_tiles(ar);
        }
        ar.read_end("MS_MAP");
    }
    ar.read_end("MS_MAPREGION");
}

void MapRegion::write_tiles(Archive& ar) const {
    ar.write_begin("MS_MAPREGION", kRecordVersion);
    ar.write_count("MAPCNT", maps.size());
    for (const auto& map : maps) {
        ar.write_begin("MS_MAP", kRecordVersion);
        ar.write_count("LEVELCNT", map->levels.size());
        for (const auto& level : map->levels) level->write_tiles(ar);
        ar.write_end("MS_MAP");
    }
    ar.write_end("MS_MAPREGION");
}

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
