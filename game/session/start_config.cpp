#include "game/session/start_config.h"

#include "engine/files/ini_file.h"

StartConfig StartConfig::parse(const std::string& text) {
    IniFile ini;
    ini.parse(text);
    StartConfig c;
    c.region = ini.get_string("", "Region", "Start");
    c.map = ini.get_string("", "Map", "Start");
    c.level = ini.get_string("", "Level", "Start");
    c.tile_x = ini.get_int(c.tile_x, "PosX", "Start");
    c.tile_y = ini.get_int(c.tile_y, "PosY", "Start");
    c.money = ini.get_int(c.money, "Money", "Hero");
    c.hero_level = ini.get_int(c.hero_level, "Level", "Hero");
    c.experience = ini.get_int(c.experience, "Experience", "Hero");
    c.health = ini.get_int(c.health, "Health", "Hero");
    c.dexterity = ini.get_int(c.dexterity, "Dexterity", "Hero");
    c.strength = ini.get_int(c.strength, "Strength", "Hero");
    c.defence = ini.get_int(c.defence, "Defence", "Hero");
    c.knowledge = ini.get_int(c.knowledge, "Knowledge", "Hero");
    c.resistance = ini.get_int(c.resistance, "Resistance", "Hero");
    c.name = ini.get_string("hero", "Name", "Hero");
    for (int32_t i = 0; ini.find_value("QUESTS", i, "QUEST", 0); ++i)
        c.quests.emplace_back(ini.get_string("?", "QUEST", "QUESTS", i, 0), ini.get_int(0, "QUEST", "QUESTS", i, 1));
    for (int32_t i = 0; ini.find_value("ITEMS", i, "ITEM", 0); ++i) {
        const std::string item = ini.get_string("?", "ITEM", "ITEMS", i, 0);
        if (item == "All") {
            c.all_items = true;
            break;
        }
        c.items.push_back(item);
    }
    return c;
}
