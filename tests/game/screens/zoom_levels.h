// A test story for the zoomed map: one region with two wide levels,
// "Broad Fields" (40 x 30 tiles) and "Great Heath" (250 x 250, the largest a
// level may be, 2,500 blocks), of the demo's grass, roads, walls, houses,
// ponds and trees. Its source is made here, compiled by the story writer
// into a folder, and joined to a running game's World, which reads the
// region's file from that folder whenever the hero enters one of them, as
// it reads the demo's. Free of the test framework, for the benchmarks too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "game/story/story_file_io.h"
#include "game/story/story_source.h"
#include "game/story/story_writer.h"
#include "game/world/map_level.h"
#include "game/world/map_region.h"
#include "game/world/world.h"

namespace zoom_story {

inline constexpr uint32_t kRegion = 0x8000, kMap = 0x8100, kFields = 0x8101, kHeath = 0x8102;
inline constexpr uint32_t kStartTrigger = 0x8201;

// Walls round the edge, a road every 20 tiles each way, ponds and houses
// on a grid of their own, and trees scattered by a fixed hash.
inline char cell(int32_t column, int32_t row, int32_t width, int32_t height) {
    if (column == 0 || row == 0 || column == width - 1 || row == height - 1) return '#';
    if (column % 20 == 10 || row % 20 == 10) return ',';
    if (column % 17 >= 3 && column % 17 <= 6 && row % 13 >= 2 && row % 13 <= 4) return '~';
    if (column % 23 >= 14 && column % 23 <= 17 && row % 19 >= 12 && row % 19 <= 14) return 'H';
    const uint32_t h = uint32_t(column * 7919 + row * 104729) * 2654435761u >> 8;
    return h % 100 < 15 ? 'T' : '.';
}

inline std::string level_source(uint32_t id, const char* name, int32_t width, int32_t height) {
    std::string text = "level " + std::to_string(id) + " \"" + name + "\" width=" + std::to_string(width) +
                       " height=" + std::to_string(height) + "\n";
    for (int32_t row = 0; row < height; ++row) {
        text += "row \"";
        for (int32_t column = 0; column < width; ++column) text += cell(column, row, width, height);
        text += "\"\n";
    }
    return text;
}

inline std::string source() {
    return "story start=" + std::to_string(kFields) +
           " people_files=1\n"
           "legend \".\" bg=1 tile=64\n"
           "legend \",\" bg=2 tile=32\n"
           "legend \"#\" bg=1 wall=5\n"
           "legend \"H\" bg=2 wall=9\n"
           "legend \"T\" bg=1 tile=64 trees=0x41\n"
           "legend \"~\" bg=3\n"
           "region " + std::to_string(kRegion) + " \"Wide Country\"\n"
           "map " + std::to_string(kMap) + " \"Wide Map\"\n" +
           level_source(kFields, "Broad Fields", 40, 30) + level_source(kHeath, "Great Heath", 250, 250) +
           // A new game starts with the walk HUD's keys held; the first
           // step on the start tile hands them to the map.
           "trigger " + std::to_string(kStartTrigger) + " level=" + std::to_string(kFields) + "\nwhen kind=6 aux=0 id=" +
           std::to_string(kFields) + " value=(10,10)\ndo 0x20F a=0\n";
}

// The new game's state ("story.txt"): the hero at a crossing of roads on
// Broad Fields.
inline constexpr const char* kStartConfig = R"(; A new game on the wide levels.
[Start]
Region = "Wide Country"
Map = "Wide Map"
Level = "Broad Fields"
PosX = 10
PosY = 10

[Hero]
Name = "Tolvanek"
Money = 0
Level = 1
Experience = 0
Health = 0
Dexterity = 5
Strength = 5
Defence = 5
Knowledge = 5
Resistance = 5

[QUESTS]

[ITEMS]
)";

// Compiles the story into `folder` (which must exist) and gives its region
// to `world`. False, with the reason in `error`, when it does not compile.
inline bool add_to(World& world, const std::string& folder, std::string* error) {
    World compiled;
    StoryFolderPlan plan;
    auto problems = parse_story_source(source(), compiled, plan);
    if (problems.empty()) problems = validate_story(compiled, plan);
    if (!problems.empty()) {
        *error = std::to_string(problems[0].line) + ": " + problems[0].message;
        return false;
    }
    if (!write_story_folder(compiled, plan, folder, error)) return false;

    std::unique_ptr<MapRegion> region = std::move(compiled.regions.front());
    compiled.regions.clear();
    world.register_object(region.get(), region->id);
    for (const auto& map : region->maps) {
        world.register_object(map.get(), map->id);
        for (const auto& level : map->levels) world.register_object(level.get(), level->id);
    }
    // The grids come from the region's file on entry, like the demo's.
    region->unload_file();
    const std::string file = region->file_name();
    world.regions.push_back(std::move(region));
    world.file_reader = [folder, file, earlier = world.file_reader](const std::string& path) {
        const bool ours = path.size() > file.size() && path.compare(path.size() - file.size(), file.size(), file) == 0 &&
                          path[path.size() - file.size() - 1] == '/';
        if (ours) return read_story_file(folder + "/" + file);
        return earlier ? earlier(path) : read_story_file(path);
    };
    return true;
}

}  // namespace zoom_story
