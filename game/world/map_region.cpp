#include "game/world/map_region.h"

#include <cstdio>

#include "game/story/archive.h"
#include "game/story/story_names.h"
#include "game/story/story_paths.h"

void Map::set_name(const std::string& text) { name = story_display_name(text); }

template <class Self>
void Map::fields(Self& self, Archive& ar) {
    ar.begin("MS_MAP", kRecordVersion);
    ar.u32("ID", self.id);
    ar.text("Name", self.name);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) self.set_name(self.name);
    }
    ar.u32("Param1", self.params[0]);
    ar.u32("Param2", self.params[1]);
    // Generic, so that a const map, whose levels are only written, never
    // instantiates the tie.
    ar.owned_records("LEVELCNT", self.levels, 40, [&self](auto& level) { level.map = &self; });
    ar.text("Music", self.music);
    ar.u32("MusicLoop", self.music_loop);
    ar.end("MS_MAP");
}

void Map::serialize(Archive& ar) { fields(*this, ar); }

void Map::read(Archive& ar) { serialize(ar); }

void Map::write(Archive& ar) const { fields(*this, ar); }

void MapRegion::set_name(const std::string& text) { name = story_display_name(text); }

template <class Self>
void MapRegion::fields(Self& self, Archive& ar) {
    ar.begin("MS_MAPREGION", kRecordVersion);
    ar.text("Name", self.name);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) self.set_name(self.name);
    }
    ar.u32("ID", self.id);
    // Generic for the reason given in Map::fields.
    ar.owned_records("MAPCNT", self.maps, Map::kMinStoredBytes, [&self](auto& map) { map.region = &self; });
    ar.end("MS_MAPREGION");
}

void MapRegion::serialize(Archive& ar) { fields(*this, ar); }

void MapRegion::read(Archive& ar) { serialize(ar); }

void MapRegion::write(Archive& ar) const { fields(*this, ar); }

std::string MapRegion::file_name() const { return region_file_name(id); }

template <class Self>
void MapRegion::tile_fields(Self& self, Archive& ar) {
    ar.begin("MS_MAPREGION", kRecordVersion);
    const uint16_t map_count = ar.count("MAPCNT", self.maps.size(), 1);
    if (ar.reading() && !ar.failed() && map_count != self.maps.size())
        ar.fail("the region file holds " + std::to_string(map_count) + " maps, the story " +
                std::to_string(self.maps.size()));
    for (const auto& map : self.maps) {
        if (ar.failed()) break;
        ar.begin("MS_MAP", kRecordVersion);
        const uint16_t level_count = ar.count("LEVELCNT", map->levels.size(), 1);
        if (ar.reading() && !ar.failed() && level_count != map->levels.size())
            ar.fail("map " + std::to_string(map->id) + " has " + std::to_string(level_count) +
                    " levels in the region file, the story " + std::to_string(map->levels.size()));
        for (const auto& level : map->levels) {
            if (ar.failed()) break;
            // The owned level does not take the region's constness on by itself.
            if constexpr (std::is_const_v<Self>) level->write_tiles(ar);
            else level->serialize_tiles(ar);
        }
        ar.end("MS_MAP");
    }
    ar.end("MS_MAPREGION");
}

void MapRegion::serialize_tiles(Archive& ar) { tile_fields(*this, ar); }

void MapRegion::read_tiles(Archive& ar) { serialize_tiles(ar); }

void MapRegion::write_tiles(Archive& ar) const { tile_fields(*this, ar); }

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
