#include "game/world/world.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/story/archive.h"
#include "game/story/story_file_io.h"
#include "game/story/story_writer.h"
#include "tests/support/fatal_report_host.h"
#include "tests/support/seed_zero_draws.h"

namespace {

namespace fs = std::filesystem;

TEST(WorldRandom, SequenceFromSeedZero) {
    World world;
    world.set_random_seed(0);
    expect_seed_zero_draws([&] { return world.random(); });
}

TEST(WorldRegistry, LookupsCheckTheKind) {
    World world;
    ItemRecord item;
    Quest quest;
    world.register_object(&item, 0x10);
    world.register_object(&quest, 0x11);
    EXPECT_EQ(item.id, 0x10u);
    EXPECT_EQ(world.get_item(0x10), &item);
    EXPECT_EQ(world.get_level(0x10), nullptr);
    EXPECT_EQ(world.get_quest(0x10), nullptr);
    EXPECT_EQ(world.get_quest(0x11), &quest);
    EXPECT_EQ(world.find_id(0x12), nullptr);
    EXPECT_TRUE(world.warnings().empty());
}

TEST(WorldRegistry, DuplicatesWarnFirstWinsAndUnregisterTakesTheObject) {
    World world;
    ItemRecord first;
    FlagRecord second;
    world.register_object(&first, 7);
    world.register_object(&second, 7);
    ASSERT_EQ(world.warnings().size(), 1u);
    EXPECT_EQ(world.find_id(7), &first);
    EXPECT_EQ(world.get_flag(7), nullptr);
    world.unregister_object(&second);  // must not remove the first's entry
    EXPECT_EQ(world.get_item(7), &first);
    world.register_object(&second, 7);
    world.unregister_object(&first);
    EXPECT_EQ(world.get_flag(7), &second);
    world.unregister_object(&second);
    EXPECT_EQ(world.find_id(7), nullptr);
}

// A small story built in memory and written to a fixture folder.
struct StoryFixture {
    World world;
    StoryFolderPlan plan;

    StoryFixture() {
        auto region = std::make_unique<MapRegion>();
        region->id = 0x1A2B;
        region->name = "Vale";
        auto map = std::make_unique<Map>();
        map->id = 0x20;
        map->name = "Road";
        map->region = region.get();
        for (uint32_t id : {0x21u, 0x22u}) {
            auto level = std::make_unique<MapLevel>();
            level->id = id;
            level->width = 3;
            level->height = 2;
            level->name = id == 0x21 ? "Town" : "Wood";
            level->grid.assign(6, TileCell{1, 64, 0, 0, 0, 0, 0, 0});
            level->map = map.get();
            map->levels.push_back(std::move(level));
        }
        region->maps.push_back(std::move(map));
        world.regions.push_back(std::move(region));

        auto group = std::make_unique<ItemGroup>();
        group->id = 0x30;
        group->name = "Blades";
        auto item = std::make_unique<ItemRecord>();
        item->id = 0x31;
        item->name = "Rusty Knife";
        item->value = 10;
        group->items.push_back(std::move(item));
        world.item_groups.push_back(std::move(group));

        for (uint32_t id : {0x40u, 31u, 0x51u}) {
            auto npc = std::make_shared<NpcRecord>();
            npc->id = id;
            npc->name = "Person " + std::to_string(id);
            world.people.push_back(npc);
        }
        auto monster = std::make_unique<MonsterRecord>();
        monster->id = 0x60;
        monster->name = "Gnawer";
        monster->combat_sprite = "cgnawer.spr";
        world.monsters.push_back(std::move(monster));
        auto flag = std::make_unique<FlagRecord>();
        flag->id = 0x70;
        world.flags.push_back(std::move(flag));
        auto quest = std::make_unique<Quest>();
        quest->id = 0x80;
        quest->name = "Errand";
        world.quests.push_back(std::move(quest));
        auto trigger = std::shared_ptr<Trigger>(new Trigger());
        trigger->id = 0x90;
        trigger->expression.conditions.push_back(Condition{6, 0, 0x21, 0});
        world.triggers.push_back(trigger);
        plan.level_triggers[0x21].push_back(trigger);
    }

    std::string write(const std::string& name) {
        const fs::path folder = fs::path(NIMBREL_BINARY_DIR) / "test-stories" / name;
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string error;
        EXPECT_TRUE(write_story_folder(world, plan, folder.string(), &error)) << error;
        return folder.string();
    }
};

TEST(StoryLoading, StoryModeKeepsEveryListInStoryRpg) {
    StoryFixture fixture;
    const std::string folder = fixture.write("story-mode");
    EXPECT_FALSE(fs::exists(folder + "/00.npc"));
    EXPECT_TRUE(fs::exists(folder + "/00001A2B.rgn"));

    World world;
    ASSERT_TRUE(world.load_story(folder)) << world.last_error();
    EXPECT_FALSE(world.people_from_files);
    EXPECT_EQ(world.people.size(), 3u);
    EXPECT_EQ(world.triggers.size(), 1u);
    EXPECT_NE(world.get_npc(31), nullptr);
    EXPECT_NE(world.get_trigger(0x90), nullptr);
    EXPECT_NE(world.get_monster(0x60), nullptr);
    EXPECT_EQ(world.item_id_by_name("Rusty Knife"), 0x31u);
    EXPECT_EQ(world.item_group_of(0x31), world.item_groups[0].get());
    EXPECT_EQ(world.quest_id_by_name("Errand"), 0x80u);
    EXPECT_EQ(world.quest_id_by_name("errand"), 0u);
    EXPECT_EQ(world.find_level("VALE", "road", "wood"), world.get_level(0x22));
    EXPECT_EQ(world.find_level("Vale", "Road", "Field"), nullptr);
    EXPECT_EQ(world.first_level(), world.get_level(0x21));
    EXPECT_TRUE(world.warnings().empty());

    // People stay when the level changes: nothing could reload them.
    world.clear_npcs();
    EXPECT_NE(world.get_or_load_npc(0x40), nullptr);

    MapLevel* town = world.get_level(0x21);
    EXPECT_FALSE(town->has_grid());
    ASSERT_TRUE(world.load_region(*world.get_region(0x1A2B))) << world.last_error();
    ASSERT_TRUE(town->has_grid());
    EXPECT_EQ(town->cell(2, 1)->tile, 64);
    EXPECT_EQ(town->name, "Town");
}

TEST(StoryLoading, PerIdModeReadsPeopleAndTriggersFromTheirFiles) {
    StoryFixture fixture;
    fixture.plan.people_in_files = true;
    fixture.plan.level_triggers[0x1A2B] = {};
    const std::string folder = fixture.write("per-id-mode");
    EXPECT_TRUE(fs::exists(folder + "/00.npc"));
    EXPECT_TRUE(fs::exists(folder + "/01.npc"));    // 31 % 15 = 1
    EXPECT_TRUE(fs::exists(folder + "/00000021.trg"));
    EXPECT_TRUE(fs::exists(folder + "/00001a2b.trg"));

    World world;
    ASSERT_TRUE(world.load_story(folder)) << world.last_error();
    EXPECT_TRUE(world.people_from_files);
    EXPECT_TRUE(world.people.empty());
    EXPECT_TRUE(world.triggers.empty());

    std::shared_ptr<NpcRecord> npc = world.get_or_load_npc(31);
    ASSERT_NE(npc, nullptr);
    EXPECT_EQ(npc->name, "Person 31");
    EXPECT_EQ(world.get_or_load_npc(31), npc);  // registered now
    EXPECT_EQ(world.get_or_load_npc(0x41), nullptr);
    EXPECT_EQ(world.get_or_load_npc(0x31), nullptr);  // an item's id

    // A level change drops the records; a holder keeps its copy alive and
    // the person comes back from its file.
    world.clear_npcs();
    EXPECT_EQ(world.get_npc(31), nullptr);
    EXPECT_EQ(npc->name, "Person 31");
    EXPECT_NE(world.get_or_load_npc(31), nullptr);

    ASSERT_TRUE(world.load_trigger_file(0x21));
    ASSERT_EQ(world.triggers.size(), 1u);
    ASSERT_TRUE(world.load_trigger_file(0x21));  // already loaded: not twice
    EXPECT_EQ(world.triggers.size(), 1u);
    EXPECT_TRUE(world.load_trigger_file(0x99));  // no file, no triggers
    world.clear_triggers();
    EXPECT_EQ(world.get_trigger(0x90), nullptr);
}

TEST(StoryLoading, NumberedMonsterAndItemFilesReplaceTheirLists) {
    StoryFixture fixture;
    fixture.plan.monsters_in_files = true;
    fixture.plan.items_in_files = true;
    const std::string folder = fixture.write("numbered-mode");
    World world;
    ASSERT_TRUE(world.load_story(folder)) << world.last_error();
    EXPECT_TRUE(world.monsters_from_files);
    EXPECT_TRUE(world.items_from_files);
    EXPECT_NE(world.get_monster(0x60), nullptr);
    EXPECT_NE(world.get_item(0x31), nullptr);
    world.apply_combat_sprite("combat/monsters/cgnawer.spr", 4, -6);
    EXPECT_EQ(world.get_monster(0x60)->anchor_x, 4);
    EXPECT_EQ(world.get_monster(0x60)->anchor_y, -6);
}

TEST(StoryLoading, MissingCorruptOrLevellessStoriesAreRefused) {
    World world;
    std::vector<std::string> reported;
    world.on_broken_file = [&](const std::string& path, const std::string&) { reported.push_back(path); };
    EXPECT_FALSE(world.load_story(std::string(NIMBREL_BINARY_DIR) + "/test-stories/none"));
    EXPECT_FALSE(world.last_error().empty());

    StoryFixture fixture;
    const std::string folder = fixture.write("corrupt");
    {
        auto bytes = read_story_file(folder + "/story.rpg");
        ASSERT_TRUE(bytes);
        bytes->push_back(0);  // a stray byte after the lists
        ASSERT_TRUE(save_story_file(folder + "/story.rpg", *bytes));
    }
    EXPECT_FALSE(world.load_story(folder));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], folder + "/story.rpg");
    EXPECT_TRUE(world.regions.empty());
    EXPECT_EQ(world.find_id(0x21), nullptr);

    StoryFixture empty;
    empty.world.regions.clear();
    const std::string levelless = empty.write("levelless");
    EXPECT_FALSE(world.load_story(levelless));
    EXPECT_NE(world.last_error().find("no level"), std::string::npos);
}

TEST(StoryLoading, RegionFileMustMatchTheStory) {
    StoryFixture fixture;
    const std::string folder = fixture.write("region-mismatch");
    World world;
    ASSERT_TRUE(world.load_story(folder));
    // A region file for one level fewer than the story has.
    fixture.world.regions[0]->maps[0]->levels.pop_back();
    Archive ar;
    ar.open_write(folder + "/00001A2B.rgn");
    fixture.world.regions[0]->write_tiles(ar);
    ASSERT_TRUE(ar.close());
    std::vector<std::string> reported;
    world.on_broken_file = [&](const std::string& path, const std::string&) { reported.push_back(path); };
    MapRegion& region = *world.get_region(0x1A2B);
    EXPECT_FALSE(world.load_region(region));
    EXPECT_FALSE(region.loaded);
    EXPECT_FALSE(world.get_level(0x21)->has_grid());
    fs::remove(folder + "/00001A2B.rgn");
    EXPECT_FALSE(world.load_region(region));
    EXPECT_EQ(reported, (std::vector<std::string>{folder + "/00001A2B.rgn", folder + "/00001A2B.rgn"}));
}

TEST(StoryLoading, ReadsTileParamsAndCombatSprites) {
    StoryFixture fixture;
    const std::string folder = fixture.write("params");
    auto text = [](const char* t) { return std::vector<uint8_t>(t, t + std::strlen(t)); };
    World world;
    world.file_reader = [&](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        if (path == folder + "/tileparams.ini")
            return text("[Backgr]\nParam = 0, 1, 0, 0, 0, 0, 0, 0, 0, 0\nParam = 0, 0, 7\n[Walls]\nParam = 0, 2\n");
        if (path == "combat\\monsters\\combatspr.ini")
            return text("[COMBATSPRITES]\nSPR = \"combat/monsters/cgnawer.spr\", 4, -6\nSPR = \"cother.spr\", 9, 9\n");
        return read_story_file(path);
    };
    ASSERT_TRUE(world.load_story(folder)) << world.last_error();
    EXPECT_EQ(world.tile_params.background(1), 1);
    EXPECT_EQ(world.tile_params.background(12), 7);
    EXPECT_EQ(world.tile_params.background(13), 0);
    EXPECT_EQ(world.tile_params.background(200), 0);
    EXPECT_EQ(world.tile_params.walls[1], 2);
    const MonsterRecord* gnawer = world.get_monster(0x60);
    ASSERT_NE(gnawer, nullptr);
    EXPECT_EQ(gnawer->anchor_x, 4);
    EXPECT_EQ(gnawer->anchor_y, -6);

    // Without the files every parameter is 0.
    World plain;
    ASSERT_TRUE(plain.load_story(folder));
    EXPECT_EQ(plain.tile_params.background(1), 0);
    EXPECT_EQ(plain.get_monster(0x60)->anchor_x, 0);
}

TEST(StoryLoading, CorruptFileEndsTheGameWithAReportNamingItAndTheReason) {
    StoryFixture fixture;
    const std::string folder = fixture.write("fatal");
    auto bytes = read_story_file(folder + "/story.rpg");
    ASSERT_TRUE(bytes);
    bytes->resize(bytes->size() / 2);
    ASSERT_TRUE(save_story_file(folder + "/story.rpg", *bytes));

    FatalReportHost host(utf8_to_utf16(folder));
    World world;
    world.end_program_on_broken_files();
    EXPECT_EQ(exit_code_of([&] { world.load_story(folder); }), 1);
    ASSERT_EQ(host.message_boxes().size(), 1u);
    const std::string& text = host.message_boxes()[0].text;
    EXPECT_EQ(text.find("Failed to open file"), std::string::npos) << text;
    EXPECT_NE(text.find("A required file cannot be used:\n" + folder + "/story.rpg\ncount of"), std::string::npos)
        << text;
    // The reader that found it broken, relative to the project.
    EXPECT_EQ(text.rfind("In game/world/story_loader.cpp:", 0), 0u) << text;
}

// A record file is read whole before any of it is kept: a stray byte after
// its last record refuses the file, names it, and adds none of its records.
TEST(StoryLoading, AStrayByteAfterTheLastRecordRefusesTheWholeFile) {
    const auto add_stray_byte = [](const std::string& path) {
        auto bytes = read_story_file(path);
        ASSERT_TRUE(bytes) << path;
        bytes->push_back(0);
        ASSERT_TRUE(save_story_file(path, *bytes));
    };
    struct Report {
        std::string path, reason;
    };
    const auto reporting = [](World& world, std::vector<Report>& reports) {
        world.on_broken_file = [&](const std::string& path, const std::string& reason) {
            reports.push_back({path, reason});
        };
    };

    StoryFixture numbered;
    numbered.plan.monsters_in_files = true;
    const std::string folder = numbered.write("stray-numbered");
    World world;
    const std::string monsters = folder + "/06.mon";  // 0x60 % 15 = 6
    add_stray_byte(monsters);
    std::vector<Report> reports;
    reporting(world, reports);
    EXPECT_FALSE(world.load_story(folder));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, monsters);
    EXPECT_NE(reports[0].reason.find("unexpected bytes after the last record"), std::string::npos)
        << reports[0].reason;
    EXPECT_EQ(world.get_monster(0x60), nullptr);

    StoryFixture per_id;
    per_id.plan.people_in_files = true;
    const std::string per_id_folder = per_id.write("stray-triggers");
    World loaded;
    ASSERT_TRUE(loaded.load_story(per_id_folder)) << loaded.last_error();
    const std::string triggers = loaded.trigger_file(0x21);
    add_stray_byte(triggers);
    std::vector<Report> trigger_reports;
    reporting(loaded, trigger_reports);
    EXPECT_FALSE(loaded.load_trigger_file(0x21));
    ASSERT_EQ(trigger_reports.size(), 1u);
    EXPECT_EQ(trigger_reports[0].path, triggers);
    EXPECT_NE(trigger_reports[0].reason.find("unexpected bytes after the last trigger"), std::string::npos)
        << trigger_reports[0].reason;
    EXPECT_TRUE(loaded.triggers.empty());
}

// story.rpg leaves out what the story keeps in numbered files; when the
// first of those files is gone or empty, that file is named, not story.rpg.
TEST(StoryLoading, AMissingOrEmptyFirstNumberedFileIsNamed) {
    struct Case {
        bool StoryFolderPlan::*in_files;
        const char* first_file;
        bool emptied;  // else removed
    };
    for (const Case& c : {Case{&StoryFolderPlan::people_in_files, "00.npc", false},
                          Case{&StoryFolderPlan::people_in_files, "00.npc", true},
                          Case{&StoryFolderPlan::monsters_in_files, "00.mon", false},
                          Case{&StoryFolderPlan::items_in_files, "00.itm", true}}) {
        StoryFixture fixture;
        fixture.plan.*c.in_files = true;
        const std::string folder = fixture.write("first-file-gone");
        const std::string path = folder + "/" + c.first_file;
        ASSERT_TRUE(fs::exists(path));
        if (c.emptied) fs::resize_file(path, 0);
        else fs::remove(path);
        World world;
        std::vector<std::string> reported;
        world.on_broken_file = [&](const std::string& file, const std::string&) { reported.push_back(file); };
        EXPECT_FALSE(world.load_story(folder)) << c.first_file;
        EXPECT_EQ(reported, std::vector<std::string>{path}) << c.first_file;
        EXPECT_NE(world.last_error().find("missing or empty"), std::string::npos) << world.last_error();
        EXPECT_TRUE(world.regions.empty());
    }
}

}  // namespace
