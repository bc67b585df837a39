// The state of a new game, from "Story\story.txt": where the hero starts,
// its numbers, its quests and its items.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct StartConfig {
    std::string region, map, level;
    int32_t tile_x = 3, tile_y = 3;
    int32_t money = 20, hero_level = 20, experience = 20, health = 20;
    int32_t dexterity = 20, strength = 20, defence = 20, knowledge = 20, resistance = 20;
    std::string name = "hero";
    std::vector<std::pair<std::string, int32_t>> quests;  // name, done flag
    std::vector<std::string> items;                       // in order, up to "All"
    bool all_items = false;                               // an "All" line ended the list

    static StartConfig parse(const std::string& text);
};
