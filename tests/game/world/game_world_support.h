// A small world built in memory for the trigger, actor and save-game tests:
// one region with a 10 x 10 grass level (and a second, unloaded region),
// items of every kind, flags, a quest and a monster.
#pragma once

#include <memory>

#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

namespace test_world {

inline constexpr uint32_t kRegion = 0x10, kMap = 0x11, kLevel = 0x12;
inline constexpr uint32_t kFarRegion = 0x20, kFarMap = 0x21, kFarLevel = 0x22;
inline constexpr uint32_t kSword = 0x401, kArmour = 0x402, kShield = 0x403, kPotion = 0x404, kRelic = 0x405,
                          kWand = 0x406;
inline constexpr uint32_t kFlagA = 0x501, kFlagB = 0x502;
inline constexpr uint32_t kQuest = 0x601;
inline constexpr uint32_t kMonster = 0x701;

inline TileCell grass() {
    TileCell c;
    c.background = 1;
    c.tile = 64;
    return c;
}

struct Built {
    World world;
    MapLevel* level = nullptr;
    MapLevel* far_level = nullptr;

    Built() {
        level = add_region(kRegion, kMap, kLevel, "Vale", true);
        far_level = add_region(kFarRegion, kFarMap, kFarLevel, "Far", false);
        auto group = std::make_unique<ItemGroup>();
        add_item(*group, kSword, kItemWeapon, 3, 1000, 100);
        add_item(*group, kArmour, kItemArmour, 2, 1000, 50);
        add_item(*group, kShield, kItemShield, 1, 1000, 40);
        add_item(*group, kPotion, kItemUsable, 20, 10, 100);
        add_item(*group, kRelic, kItemQuest, 0, 1, 30);
        add_item(*group, kWand, kItemWand, 4, 20, 60).aim = 5;
        world.item_groups.push_back(std::move(group));
        for (uint32_t id : {kFlagA, kFlagB}) {
            auto flag = std::make_unique<FlagRecord>();
            world.register_object(flag.get(), id);
            world.flags.push_back(std::move(flag));
        }
        auto quest = std::make_unique<Quest>();
        quest->name = "Errand";
        world.register_object(quest.get(), kQuest);
        world.quests.push_back(std::move(quest));
        auto monster = std::make_unique<MonsterRecord>();
        monster->stance = 1;
        monster->hit_points = 30;
        monster->level = 2;
        monster->item_ids = {kPotion, kSword};
        monster->item_values = {"drink", "slash"};
        world.register_object(monster.get(), kMonster);
        world.monsters.push_back(std::move(monster));
        world.set_current_level(kLevel);
        world.hero().place(kLevel, 64, 64, 30);
    }

    MapLevel* add_region(uint32_t region_id, uint32_t map_id, uint32_t level_id, const char* name, bool with_grid) {
        auto region = std::make_unique<MapRegion>();
        region->name = name;
        region->loaded = with_grid;
        auto map = std::make_unique<Map>();
        map->region = region.get();
        auto lvl = std::make_unique<MapLevel>();
        lvl->map = map.get();
        lvl->width = 10;
        lvl->height = 10;
        if (with_grid) lvl->grid.assign(100, grass());
        MapLevel* out = lvl.get();
        world.register_object(region.get(), region_id);
        world.register_object(map.get(), map_id);
        world.register_object(lvl.get(), level_id);
        map->levels.push_back(std::move(lvl));
        region->maps.push_back(std::move(map));
        world.regions.push_back(std::move(region));
        return out;
    }

    ItemRecord& add_item(ItemGroup& group, uint32_t id, int32_t kind, uint16_t value, uint16_t count, int32_t price) {
        auto item = std::make_unique<ItemRecord>();
        item->kind = kind;
        item->value = value;
        item->count = count;
        item->price = price;
        world.register_object(item.get(), id);
        group.items.push_back(std::move(item));
        return *group.items.back();
    }

    HeroActor& hero() { return world.hero(); }
    FlagRecord& flag(uint32_t id) { return *world.get_flag(id); }

    // A trigger with the given conditions and one action of `code`.
    std::shared_ptr<Trigger> add_trigger(uint32_t id, std::vector<Condition> conditions, uint16_t code = 0x201,
                                         bool repeatable = false) {
        auto t = std::make_shared<Trigger>();
        t->repeatable = repeatable;
        t->expression.conditions = std::move(conditions);
        auto action = std::make_shared<Action>();
        action->code = code;
        action->a = id;
        t->actions.insert(action, 0);
        world.register_object(t.get(), id);
        world.triggers.push_back(t);
        return t;
    }

    std::shared_ptr<MonsterActor> add_monster(int x, int y) {
        auto m = std::make_shared<MonsterActor>(&world, world.get_monster(kMonster));
        world.monster_actors.push_back(m);
        level->extra_actors.push_back(m);
        m->place(kLevel, x, y, m->facing);
        m->home_x = x;
        m->home_y = y;
        return m;
    }
};

inline Condition condition(uint8_t kind, uint32_t id = 0, uint32_t value = 0, uint8_t aux = 0) {
    Condition c;
    c.kind = kind;
    c.id = id;
    c.value = value;
    c.aux = aux;
    return c;
}

inline uint32_t tile(uint32_t x, uint32_t y) { return x | y << 16; }

}  // namespace test_world
