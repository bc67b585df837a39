// Fuzzes the story loaders: the first byte picks a file of the demo story
// folder, the rest replaces its content; then everything the game reads of
// a story is loaded. Seeds are made by the build (storyc --fuzz-seeds).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/string_pool.h"
#include "game/story/story_file_io.h"
#include "game/world/world.h"

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

// Each input reads its story into a pool of its own, freed after the world,
// as the game does; so texts of damaged files do not pile up across inputs.
struct PoolForOneInput {
    PoolForOneInput() { string_pool_create(); }
    ~PoolForOneInput() { string_pool_destroy(); }
};

const Files& demo_files() {
    static const Files files = [] {
        Files out;
        const std::filesystem::path folder = std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "Story";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (auto bytes = read_story_file(entry.path().string())) out[entry.path().filename().string()] = *bytes;
        return out;
    }();
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || demo_files().empty()) return 0;
    Files files = demo_files();
    auto target = files.begin();
    std::advance(target, data[0] % files.size());
    target->second.assign(data + 1, data + size);

    PoolForOneInput pool;  // made before the world, so destroyed after it
    World world;
    world.file_reader = [&files](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        auto it = files.find(path.substr(path.rfind('/') + 1));
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    if (!world.load_story("Story")) return 0;
    for (const auto& region : world.regions) world.load_region(*region);
    for (uint32_t id = 0x2001; id <= 0x2005; ++id) world.get_or_load_npc(id);
    for (const auto& region : world.regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) {
                world.clear_triggers();
                world.load_trigger_file(level->id);
                world.clear_npcs();
            }
    return 0;
}
