#include "tools/storyc/synthetic_story.h"

#include <string>

#include "game/world/world.h"

namespace {

// Id ranges of the kinds, far enough apart for 60000 records each.
constexpr uint32_t kRegionId = 0x01000000;
constexpr uint32_t kMapBase = 0x02000000;
constexpr uint32_t kLevelBase = 0x03000000;
constexpr uint32_t kGroupBase = 0x04000000;
constexpr uint32_t kItemBase = 0x05000000;
constexpr uint32_t kNpcBase = 0x06000000;
constexpr uint32_t kMonsterBase = 0x07000000;
constexpr uint32_t kTriggerBase = 0x08000000;
constexpr uint32_t kFlagBase = 0x09000000;
constexpr int kSide = 50;

std::unique_ptr<MapLevel> make_level(uint32_t id, Map* map, uint32_t n) {
    auto level = std::make_unique<MapLevel>();
    level->id = id;
    level->map = map;
    level->width = kSide;
    level->height = kSide;
    level->set_name("field " + std::to_string(n));
    level->grid.resize(kSide * kSide);
    for (int i = 0; i < kSide * kSide; ++i) {
        TileCell& c = level->grid[i];
        c.background = uint8_t(1 + (i + n) % 3);
        if (i % 7 == 0) c.tile = 64;
        if (i % 31 == 0) c.object = uint16_t(1 + i % 40);
        if (i % kSide == 0 || i / kSide == 0) c.wall = 5;
    }
    return level;
}

}  // namespace

void build_synthetic_story(uint32_t count, World& world, StoryFolderPlan& plan) {
    plan.people_in_files = true;
    const uint32_t level_count = count / 20 > 0 ? count / 20 : 1;
    const uint32_t levels_per_map = 20;

    auto region = std::make_unique<MapRegion>();
    region->id = kRegionId;
    region->set_name("synthetic region");
    Map* map = nullptr;
    for (uint32_t n = 0; n < level_count; ++n) {
        if (n % levels_per_map == 0) {
            auto m = std::make_unique<Map>();
            m->id = kMapBase + n / levels_per_map;
            m->set_name("map " + std::to_string(n / levels_per_map));
            m->region = region.get();
            map = m.get();
            region->maps.push_back(std::move(m));
        }
        map->levels.push_back(make_level(kLevelBase + n, map, n));
        Encounter e;
        e.monster_id = kMonsterBase + n % count;
        e.value = 10;
        map->levels.back()->encounters.push_back(e);
    }
    world.regions.push_back(std::move(region));
    world.stored_level_id = kLevelBase;

    for (uint32_t n = 0; n < count; n += 100) {
        auto group = std::make_unique<ItemGroup>();
        group->id = kGroupBase + n / 100;
        group->group_kind = int32_t(1 + (n / 100) % 5);
        group->name = "group " + std::to_string(n / 100);
        for (uint32_t i = n; i < n + 100 && i < count; ++i) {
            auto item = std::make_unique<ItemRecord>();
            item->id = kItemBase + i;
            item->kind = group->group_kind;
            item->name = "item " + std::to_string(i);
            item->value = uint16_t(1 + i % 200);
            item->count = uint16_t(1 + i % 30);
            item->text4 = "A generated item for measuring.";
            group->items.push_back(std::move(item));
        }
        world.item_groups.push_back(std::move(group));
    }

    auto flag = std::make_unique<FlagRecord>();
    flag->id = kFlagBase;
    flag->name = "met";
    world.flags.push_back(std::move(flag));

    for (uint32_t i = 0; i < count; ++i) {
        auto npc = std::make_shared<NpcRecord>();
        npc->id = kNpcBase + i;
        npc->name = "person " + std::to_string(i);
        npc->stance = uint8_t(i % 10);
        for (int t = 0; t < 3; ++t) {
            NpcTopic topic;
            topic.key = "[main]:k" + std::to_string(t) + ":Topic" + std::to_string(t);
            topic.reply = "A generated reply of ordinary length for the benchmark.";
            topic.request = "[main],bye";
            topic.expression.conditions.push_back(Condition{3, 0, kFlagBase, 0});
            auto action = std::make_shared<Action>();
            action->code = 770;
            action->a = kFlagBase;
            action->b = 1;
            topic.actions.insert(action, 0);
            npc->topics.push_back(std::move(topic));
        }
        world.people.push_back(std::move(npc));

        auto monster = std::make_unique<MonsterRecord>();
        monster->id = kMonsterBase + i;
        monster->name = "monster " + std::to_string(i);
        monster->combat_sprite = "cbeast.spr";
        monster->hit_points = int32_t(10 + i % 500);
        monster->item_ids.push_back(kItemBase + i);
        monster->item_values.push_back("");
        world.monsters.push_back(std::move(monster));
    }

    for (uint32_t n = 0; n < level_count; ++n) {
        const uint32_t level_id = kLevelBase + n;
        auto& triggers = plan.level_triggers[level_id];
        for (uint32_t t = 0; t < 4; ++t) {
            auto trigger = std::shared_ptr<Trigger>(new Trigger());
            trigger->id = kTriggerBase + n * 4 + t;
            trigger->expression.conditions.push_back(Condition{6, 0, level_id, t | (t + 1) << 16});
            auto action = std::make_shared<Action>();
            action->code = 1283;
            action->a = kNpcBase + (n * 4 + t) % count;
            action->b = level_id;
            action->c = 5 | 5 << 16;
            trigger->actions.insert(action, 0);
            triggers.push_back(std::move(trigger));
        }
    }
}
