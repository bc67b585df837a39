// The save-game format: its exact bytes, round trips, the repairs made on
// loading, refusal of damaged files and atomic writing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "engine/files/atomic_file.h"
#include "game/story/story_file_io.h"
#include "tests/game/world/game_world_support.h"

namespace {

namespace fs = std::filesystem;
using namespace test_world;
using Bytes = std::vector<uint8_t>;

uint32_t u32_at(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16_at(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// A game in progress: flags, a fired trigger, a tile change, items worn,
// a quest, people and a monster on the level.
void populate(Built& b) {
    b.flag(kFlagA).value = 1;
    b.flag(kFlagB).hi_value = 5;
    b.add_trigger(0x700, {})->fired = 1;
    b.add_trigger(0x701, {});
    b.level->set_tile_field(3, 4, 5, 0x123, true);
    HeroActor& hero = b.hero();
    hero.init_named(3, 6, 5, 4, 2, 1, u"Wren");
    hero.place(kLevel, 100, 120, 25);
    hero.next_step = -12;
    hero.gold = 77;
    hero.experience = 40;
    for (uint32_t id : {kSword, kArmour, kShield, kPotion}) hero.add_item(id);
    hero.inventory[3]->uses = 4;
    hero.armour = hero.inventory[1].get();
    hero.shield = hero.inventory[2].get();
    hero.quick_items = {3, -1, 0};
    hero.add_quest(kQuest);
    hero.body = 3;
    hero.bonus_strength = 2;
    b.world.npc_placements = {{0x801, kLevel, 10, 20, 30, 40}};
    b.add_monster(200, 90)->home_x = 180;
    b.world.play_time = 123456;
    b.world.difficulty = 2;
}

TEST(SaveFormat, EmptyGameIsPinned) {
    Built b;
    b.hero().body = 0;
    const Bytes bytes = b.world.save_state_bytes();
    ASSERT_EQ(bytes.size(), 178u);
    EXPECT_EQ(bytes[0], 0x23);
    EXPECT_EQ(u16_at(bytes, 1), 0);  // flags
    EXPECT_EQ(u16_at(bytes, 3), 0);  // fired triggers
    EXPECT_EQ(u16_at(bytes, 5), 0);  // levels with changes
    const size_t hero = 7;           // 139 bytes
    EXPECT_EQ(bytes[hero], 1);
    EXPECT_EQ(u16_at(bytes, hero + 1), 64);
    EXPECT_EQ(u16_at(bytes, hero + 5), 30);
    EXPECT_EQ(u32_at(bytes, hero + 9), kLevel);
    EXPECT_EQ(u16_at(bytes, hero + 93), 0);             // items
    EXPECT_EQ(u32_at(bytes, hero + 95), 0xFFFFFFFFu);   // no armour
    EXPECT_EQ(u32_at(bytes, hero + 107), 0xFFFFFFFFu);  // first quick item
    EXPECT_EQ(u16_at(bytes, hero + 119), 0);            // quests
    EXPECT_EQ(u16_at(bytes, hero + 139), 0);            // people
    EXPECT_EQ(u16_at(bytes, hero + 141), 0);            // monsters
    EXPECT_EQ(u32_at(bytes, 174), 1u);                  // difficulty
}

TEST(SaveFormat, PopulatedGameIsPinned) {
    Built b;
    populate(b);
    const Bytes bytes = b.world.save_state_bytes();
    // Flags: only the two with a value, id then both values.
    EXPECT_EQ(u16_at(bytes, 1), 2);
    EXPECT_EQ(u32_at(bytes, 3), kFlagA);
    EXPECT_EQ(u32_at(bytes, 7), 1u);
    EXPECT_EQ(u32_at(bytes, 23), 5u);
    EXPECT_EQ(u16_at(bytes, 27), 1);  // fired triggers
    EXPECT_EQ(u32_at(bytes, 29), 0x700u);
    EXPECT_EQ(u16_at(bytes, 33), 1);  // one level with changes
    EXPECT_EQ(u32_at(bytes, 35), kLevel);
    const Bytes tilemod = {1, 1, 0, 3, 0, 4, 0, 0x15, 0x23};
    EXPECT_EQ(Bytes(bytes.begin() + 39, bytes.begin() + 48), tilemod);
    const size_t hero = 48;
    EXPECT_EQ(bytes[hero + 8], 0xF4);  // NextStep -12 in one byte
    EXPECT_EQ(u16_at(bytes, hero + 93), 4);
    EXPECT_EQ(u32_at(bytes, hero + 95 + 3 * 8), kPotion);
    EXPECT_EQ(u32_at(bytes, hero + 95 + 3 * 8 + 4), 4u);
    const size_t after_items = hero + 95 + 4 * 8;
    EXPECT_EQ(u32_at(bytes, after_items), 1u);            // armour: entry 1
    EXPECT_EQ(u32_at(bytes, after_items + 4), 2u);        // shield: entry 2
    EXPECT_EQ(u32_at(bytes, after_items + 8), 0xFFFFFFFF);  // no current item
    const size_t monsters = bytes.size() - 4 - 20 - 4 - 16 - 2;
    EXPECT_EQ(u16_at(bytes, monsters), 1);
    EXPECT_EQ(u32_at(bytes, monsters + 2), kMonster);
    EXPECT_EQ(u16_at(bytes, monsters + 10), 200);
    EXPECT_EQ(u16_at(bytes, monsters + 14), 180);
    EXPECT_EQ(u32_at(bytes, bytes.size() - 28), 123456u);
    EXPECT_EQ(u32_at(bytes, bytes.size() - 20), 2u);  // strength bonus second
    EXPECT_EQ(u32_at(bytes, bytes.size() - 4), 2u);
}

TEST(SaveRoundTrip, SecondAndThirdSavesAreIdentical) {
    Built first;
    populate(first);
    const Bytes one = first.world.save_state_bytes();
    Built second;
    ASSERT_TRUE(second.world.load_state_bytes(one)) << second.world.last_error();
    const Bytes two = second.world.save_state_bytes();
    Built third;
    ASSERT_TRUE(third.world.load_state_bytes(two)) << third.world.last_error();
    EXPECT_EQ(third.world.save_state_bytes(), two);

    HeroActor& hero = third.hero();
    EXPECT_EQ(hero.position(), (Point{100, 120}));
    EXPECT_EQ(hero.next_step, -12);
    EXPECT_EQ(hero.level, third.level);
    EXPECT_EQ(hero.armour, hero.inventory[1].get());
    EXPECT_EQ(hero.quick_items, (std::array<int32_t, 3>{3, -1, 0}));
    EXPECT_EQ(hero.bonus_strength, 2);
    EXPECT_EQ(third.flag(kFlagB).hi_value, 5);
    EXPECT_EQ(third.world.fired_trigger_ids, (std::vector<uint32_t>{0x700}));
    ASSERT_EQ(third.level->tile_changes.size(), 1u);
    EXPECT_EQ(third.level->tile_changes[0].value, 0x123u);
    ASSERT_EQ(third.world.monster_actors.size(), 1u);
    EXPECT_EQ(third.level->extra_actors.size(), 1u);
    EXPECT_EQ(third.world.monster_actors[0]->home_x, 180);
    EXPECT_EQ(third.world.play_time, 123456u);
    EXPECT_EQ(third.world.difficulty, 2);
}

TEST(SaveLoading, RepairsWhatTheFileCannotMean) {
    Built b;
    populate(b);
    HeroActor& hero = b.hero();
    hero.body = HeroActor::kStartBody;
    hero.inventory[0]->uses = 5000;
    hero.current_item = hero.inventory[0].get();
    hero.armour = hero.inventory[2].get();  // a shield worn as armour
    hero.quick_items = {7, -1, 2};          // 7 is past the inventory
    b.world.difficulty = 7;
    b.flag(kFlagA).value = 0;
    b.flag(kFlagB).hi_value = 0;
    b.add_trigger(0x702, {}, 0x201, false);
    b.world.triggers.back()->fired = 1;
    const Bytes bytes = b.world.save_state_bytes();

    Built loaded;
    loaded.flag(kFlagA).value = 9;  // no longer in the file: back to 0
    // The sword (entry 0) is gone from the story: later entries shift.
    loaded.world.unregister_object(loaded.world.get_item(kSword));
    ASSERT_TRUE(loaded.world.load_state_bytes(bytes)) << loaded.world.last_error();
    HeroActor& h = loaded.hero();
    EXPECT_EQ(h.body, 0);
    EXPECT_EQ(h.current_item, nullptr);
    ASSERT_EQ(h.inventory.size(), 3u);
    EXPECT_EQ(h.inventory[0]->item->id, kArmour);
    EXPECT_EQ(h.armour, nullptr);  // stored entry 2 is the shield: not armour
    EXPECT_EQ(h.shield, h.inventory[1].get());
    EXPECT_EQ(h.quick_items, (std::array<int32_t, 3>{-1, -1, 1}));
    EXPECT_EQ(loaded.flag(kFlagA).value, 0);
    EXPECT_EQ(loaded.world.difficulty, 1);
    EXPECT_EQ(loaded.world.fired_trigger_ids.size(), 2u);

    // Usage 5000 and 0 load as the item's own count.
    Built c;
    c.hero().add_item(kPotion);
    c.hero().inventory[0]->uses = 5000;
    c.hero().add_item(kPotion);
    c.hero().inventory[1]->uses = 0;
    Built d;
    ASSERT_TRUE(d.world.load_state_bytes(c.world.save_state_bytes()));
    EXPECT_EQ(d.hero().inventory[0]->uses, 10);
    EXPECT_EQ(d.hero().inventory[1]->uses, 10);
}

TEST(SaveLoading, NonRepeatableTriggerStaysFired) {
    const Condition on_tile = condition(6, kLevel, tile(1, 1));
    Built b;
    b.add_trigger(0x710, {on_tile});
    b.level->collect_triggers(b.world.triggers);
    b.world.trigger_event = {0, 1, 1, kLevel};
    EXPECT_TRUE(b.world.fire_level_triggers(nullptr));
    Built loaded;
    loaded.add_trigger(0x710, {on_tile});
    loaded.level->collect_triggers(loaded.world.triggers);
    loaded.world.trigger_event = {0, 1, 1, kLevel};
    ASSERT_TRUE(loaded.world.load_state_bytes(b.world.save_state_bytes()));
    EXPECT_FALSE(loaded.world.fire_level_triggers(nullptr));
}

// Loading refused: the world must be exactly as before.
void expect_refused(const Bytes& bytes, const char* why) {
    Built target;
    populate(target);
    const Bytes before = target.world.save_state_bytes();
    EXPECT_FALSE(target.world.load_state_bytes(bytes)) << why;
    EXPECT_FALSE(target.world.last_error().empty());
    EXPECT_EQ(target.world.save_state_bytes(), before) << why;
}

TEST(SaveLoading, RefusesStatesItCannotRestore) {
    {
        Built b;
        b.hero().facing = 40;
        expect_refused(b.world.save_state_bytes(), "facing 40");
    }
    {
        Built b;
        b.hero().experience = -5;
        expect_refused(b.world.save_state_bytes(), "negative experience");
    }
    {
        Built b;
        b.hero().place(0x9999, 0, 0, 0);
        expect_refused(b.world.save_state_bytes(), "unknown level");
    }
    Built b;
    Bytes bytes = b.world.save_state_bytes();
    bytes.push_back(0);
    expect_refused(bytes, "trailing byte");
    bytes.pop_back();
    bytes[7] = 2;
    expect_refused(bytes, "hero version 2");
    expect_refused({}, "empty");
    expect_refused({'x'}, "no mark");
}

TEST(SaveLoading, HeroVersionZeroKeepsTheHero) {
    Built b;
    Bytes bytes = b.world.save_state_bytes();
    Bytes short_file(bytes.begin(), bytes.begin() + 8);
    short_file[7] = 0;
    short_file.insert(short_file.end(), bytes.end() - 32, bytes.end());
    Built loaded;
    loaded.hero().gold = 33;
    ASSERT_TRUE(loaded.world.load_state_bytes(short_file)) << loaded.world.last_error();
    EXPECT_EQ(loaded.hero().gold, 33);
}

TEST(SaveLoading, EveryPrefixAndByteFlipIsRefusedOrValid) {
    Built b;
    populate(b);
    const Bytes full = b.world.save_state_bytes();
    Built target;
    populate(target);
    target.flag(kFlagA).value = 42;
    const Bytes before = target.world.save_state_bytes();
    for (size_t n = 0; n < full.size(); ++n) {
        EXPECT_FALSE(target.world.load_state_bytes(Bytes(full.begin(), full.begin() + n))) << n;
        ASSERT_EQ(target.world.save_state_bytes(), before) << "prefix " << n;
    }
    for (size_t i = 1; i < full.size(); ++i) {
        Built flipped;
        Bytes bytes = full;
        bytes[i] ^= 0xFF;
        const Bytes start = flipped.world.save_state_bytes();
        if (!flipped.world.load_state_bytes(bytes)) {
            EXPECT_EQ(flipped.world.save_state_bytes(), start) << i;
        }
    }
}

TEST(SaveLoading, ListsBeyondACountFailTheSave) {
    Built b;
    b.world.fired_trigger_ids.assign(70000, 1);
    EXPECT_TRUE(b.world.save_state_bytes().empty());
    const fs::path dir = fs::path(testing::TempDir()) / ("nimbrel_save_overflow_" + std::to_string(getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(b.world.save_state((dir / "save1.dat").string()));
    EXPECT_FALSE(fs::exists(dir / "save1.dat"));
    fs::remove_all(dir);
}

// A scratch folder of its own per test and process: tests run in parallel.
struct SaveFolder {
    fs::path dir = fs::path(testing::TempDir()) /
                   (std::string("nimbrel_save_") + testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                    std::to_string(getpid()));
    SaveFolder() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~SaveFolder() {
        set_atomic_write_fault(nullptr);
        fs::remove_all(dir);
    }
    std::string text(const char* name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST(SaveFiles, InterruptedWriteKeepsTheOldSaveAndIndex) {
    SaveFolder folder;
    Built b;
    b.world.save_folder = folder.dir.string();
    b.hero().gold = 10;
    ASSERT_TRUE(b.world.autosave());
    EXPECT_EQ(folder.text("autoio.ini"), "[savedata]\r\ndata = 0, \"Vale\", \"Autosave!\", 1\r\n");
    b.hero().gold = 20;
    b.world.play_time = 0x80000000u;  // printed signed
    set_atomic_write_fault([](AtomicWriteStep step) { return step == AtomicWriteStep::rename; });
    EXPECT_FALSE(b.world.autosave());
    set_atomic_write_fault(nullptr);
    EXPECT_EQ(folder.text("autoio.ini"), "[savedata]\r\ndata = 0, \"Vale\", \"Autosave!\", 1\r\n");
    Built loaded;
    ASSERT_TRUE(loaded.world.load_state((folder.dir / "save6.dat").string()));
    EXPECT_EQ(loaded.hero().gold, 10);
    ASSERT_TRUE(b.world.autosave());
    EXPECT_EQ(folder.text("autoio.ini"), "[savedata]\r\ndata = -2147483648, \"Vale\", \"Autosave!\", 1\r\n");
    EXPECT_FALSE(loaded.world.load_state((folder.dir / "missing.dat").string()));
}

// The automatic slot's index line carries the region name as it stands,
// quotes and all (the player slots' index turns a quote into an apostrophe).
TEST(SaveFiles, TheAutomaticIndexLineCarriesTheRegionNameAsItStands) {
    struct Row {
        const char* region;
        uint32_t play_time;
        int32_t difficulty;
        const char* line;
    };
    for (const Row& row : {Row{"Vale", 3725000, 0, "data = 3725000, \"Vale\", \"Autosave!\", 0\r\n"},
                           Row{"Copper \"Kettle\"", 12, 2, "data = 12, \"Copper \"Kettle\"\", \"Autosave!\", 2\r\n"},
                           Row{"", 0x80000001u, 1, "data = -2147483647, \"\", \"Autosave!\", 1\r\n"}}) {
        SaveFolder folder;
        Built b;
        b.world.save_folder = folder.dir.string();
        b.level->map->region->name = row.region;
        b.world.play_time = row.play_time;
        b.world.difficulty = row.difficulty;
        ASSERT_TRUE(b.world.autosave());
        EXPECT_EQ(folder.text("autoio.ini"), std::string("[savedata]\r\n") + row.line) << row.region;
    }
}

TEST(SaveFiles, SaveFolderSetUp) {
    SaveFolder folder;
    Built b;
    b.world.save_folder = (folder.dir / "savegame").string();
    b.world.init_save_folder();
    EXPECT_TRUE(fs::exists(folder.dir / "savegame" / "newgame.gam"));
    EXPECT_EQ(folder.text("savegame/io.ini"), "[savedata]\r\n");
    EXPECT_FALSE(b.world.saves_exist);
    EXPECT_FALSE(b.world.autosave_exists);
    EXPECT_TRUE(b.world.load_new_game());
    for (auto [size, exist] : {std::pair{15, false}, std::pair{16, true}}) {
        std::ofstream(folder.dir / "savegame" / "io.ini", std::ios::binary) << std::string(size_t(size), 'x');
        b.world.init_save_folder();
        EXPECT_EQ(b.world.saves_exist, exist) << size;
    }
    std::ofstream(folder.dir / "savegame" / "io.ini", std::ios::binary) << "x";
    std::ofstream(folder.dir / "savegame" / "autosave.gam", std::ios::binary) << "#";
    b.world.init_save_folder();
    EXPECT_TRUE(b.world.autosave_exists);
    EXPECT_TRUE(b.world.saves_exist);
    EXPECT_FALSE(b.world.load_autosave());  // a lone mark is not a save
}

}  // namespace
