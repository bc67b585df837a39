// What a save game tells of itself for its slot's caption: the region the
// hero stands in, the hero's level, the play time and the difficulty.
#pragma once

#include <cstdint>
#include <string>

struct SavedGameSummary {
    std::string region;
    int32_t level_number = 1;
    uint32_t play_time = 0;  // milliseconds
    int32_t difficulty = 1;  // 0 easy, 1 normal, 2 hard
};
