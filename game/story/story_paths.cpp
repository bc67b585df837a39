#include "game/story/story_paths.h"

#include <cstdio>

std::string numbered_story_file(const std::string& folder, uint32_t number, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "/%02u.%s", unsigned(number), extension);
    return folder + name;
}

std::string trigger_story_file(const std::string& folder, uint32_t level_id) {
    char name[32];
    std::snprintf(name, sizeof name, "/%08x.trg", unsigned(level_id));
    return folder + name;
}

std::string region_file_name(uint32_t region_id) {
    char name[32];
    std::snprintf(name, sizeof name, "%08X.rgn", unsigned(region_id));
    return name;
}
