#include <gtest/gtest.h>

#include "game/world/map_collision.h"
#include "game/world/map_region.h"
#include "game/world/tile_params.h"
#include "tests/game/story/record_test_support.h"

namespace {

std::unique_ptr<MapLevel> level_with_grid(int width, int height) {
    auto level = std::make_unique<MapLevel>();
    level->id = 0x111;
    level->width = width;
    level->height = height;
    level->grid.assign(size_t(width) * height, TileCell{});
    return level;
}

TEST(TileGrid, PackedFormIsPinned) {
    std::vector<TileCell> cells(4);
    cells[0].background = 1;
    cells[0].tile = 1;
    cells[1].background = 1;
    cells[2].background = 1;
    cells[2].object = 5;
    cells[3].wall = 1;
    const std::vector<uint8_t> packed = encode_tile_grid(cells);
    EXPECT_EQ(packed, (std::vector<uint8_t>{0xc0, 0x01, 0x01, 0x80, 0x01, 0x84, 0x01, 0x05, 0x00, 0x08, 0x01, 0x00,
                                            0x00, 0x00}));
    EXPECT_EQ(decode_tile_grid(packed, 4), cells);
}

TEST(TileGrid, EveryFieldTakesThirteenBytes) {
    TileCell full{1, 2, 3, 4, 5, 0x80000421, 0x123, 7};
    const std::vector<uint8_t> packed = encode_tile_grid({full, TileCell{}});
    EXPECT_EQ(packed.size(), 13u + 1u);
    EXPECT_EQ(packed[0], 0xFF);
    EXPECT_EQ(decode_tile_grid(packed, 2), (std::vector<TileCell>{full, TileCell{}}));
}

TEST(TileGrid, BlobMustHoldExactlyTheCells) {
    const std::vector<uint8_t> packed = encode_tile_grid(std::vector<TileCell>(3, TileCell{1, 0, 0, 0, 0, 9, 0, 0}));
    EXPECT_FALSE(decode_tile_grid(packed, 4));  // too short
    EXPECT_FALSE(decode_tile_grid(packed, 2));  // bytes left over
    std::vector<uint8_t> cut = packed;
    cut.pop_back();  // the last wall word is short
    EXPECT_FALSE(decode_tile_grid(cut, 3));
    EXPECT_TRUE(decode_tile_grid(packed, 3));
}

TEST(MapLevel, TogglingStatesLogsTheChange) {
    auto level = level_with_grid(4, 3);
    level->cell(1, 1)->wall = 125;
    EXPECT_EQ(level->tile_state(1, 1, 1), 1);
    EXPECT_TRUE(level->toggle_tile_state(1, 1, 1, 0));
    EXPECT_EQ(level->cell(1, 1)->wall, 124u);
    EXPECT_FALSE(level->toggle_tile_state(1, 1, 1, 0));  // already off
    ASSERT_EQ(level->tile_changes.size(), 1u);
    EXPECT_EQ(level->tile_changes[0], (TileChange{1, 1, kFieldWall, 124}));

    // Mode 0 reads the state byte when set, else the object.
    level->cell(2, 2)->object = 3;  // (3 - 1) bit 0 = 0
    EXPECT_EQ(level->tile_state(2, 2, 0), 0);
    EXPECT_TRUE(level->toggle_tile_state(2, 2, 0, 1));
    EXPECT_EQ(level->cell(2, 2)->object, 4);
    level->cell(2, 2)->state = 2;  // (2 - 1) bit 0 = 1
    EXPECT_EQ(level->tile_state(2, 2, 0), 1);
    EXPECT_TRUE(level->toggle_tile_state(2, 2, 0, 0));
    EXPECT_EQ(level->cell(2, 2)->state, 1);
    EXPECT_EQ(level->cell(2, 2)->object, 4);
}

TEST(MapLevel, CellsOutsideTheLevelOrWithoutGridAreIgnored) {
    auto level = level_with_grid(4, 3);
    level->set_tile_field(4, 0, kFieldTile, 9, true);
    level->set_tile_field(0, -1, kFieldTile, 9, true);
    level->set_tile_field(0, 0, 16, 9, true);
    EXPECT_TRUE(level->tile_changes.empty());
    level->set_tile_field(0, 0, 9, 9, true);  // no such field, but logged
    EXPECT_EQ(level->tile_changes.size(), 1u);
    EXPECT_EQ(level->tile_state(7, 7, 1), 0);
    EXPECT_FALSE(level->toggle_tile_state(7, 7, 1, 1));
    EXPECT_EQ(level->is_passable(-1, 0), -1);

    level->free_tiles();
    EXPECT_EQ(level->tile_state(0, 0, 1), 0);
    EXPECT_FALSE(level->toggle_tile_state(0, 0, 1, 1));
    // Changes made while the grid is away are still kept for the replay.
    level->set_tile_field(3, 2, kFieldTile, 64, true);
    EXPECT_EQ(level->tile_changes.size(), 2u);
}

TEST(MapLevel, Passability) {
    auto level = level_with_grid(3, 1);
    level->cell(0, 0)->tile = 64;
    level->cell(1, 0)->tile = 65;
    level->cell(2, 0)->tile = 64;
    level->cell(2, 0)->wall = 126;
    EXPECT_EQ(level->is_passable(0, 0), 1);
    EXPECT_EQ(level->is_passable(1, 0), -1);
    EXPECT_EQ(level->is_passable(2, 0), 1);
    level->cell(2, 0)->wall = 125;
    EXPECT_EQ(level->is_passable(2, 0), -1);
}

std::vector<uint8_t> saved_changes(const MapLevel& level) {
    Archive ar;
    ar.open_write_memory();
    level.write_tile_changes(ar);
    return ar.written();
}

TEST(TileChanges, CompactVersionKeepsTwelveBits) {
    auto level = level_with_grid(4, 3);
    level->set_tile_field(2, 1, kFieldObject, 0x123, true);
    const std::vector<uint8_t> bytes = saved_changes(*level);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x23, 1, 1, 0, 2, 0, 1, 0, 0x16, 0x23}));

    auto loaded = level_with_grid(4, 3);
    Archive in;
    ASSERT_TRUE(in.open_bytes(bytes));
    loaded->read_tile_changes(in);
    EXPECT_FALSE(in.failed());
    EXPECT_FALSE(loaded->has_grid());  // rebuilt on the next entry
    EXPECT_EQ(loaded->tile_changes, level->tile_changes);
}

TEST(TileChanges, WideWallWordsSurviveSaveAndReentry) {
    auto level = level_with_grid(4, 3);
    level->cell(3, 2)->wall = 0x80000421;
    ASSERT_TRUE(level->toggle_tile_state(3, 2, 1, 0));
    const std::vector<uint8_t> bytes = saved_changes(*level);
    EXPECT_EQ(bytes[1], 2);  // the value needs more than 12 bits

    auto loaded = level_with_grid(4, 3);
    loaded->cell(3, 2)->wall = 0x80000421;
    Archive in;
    ASSERT_TRUE(in.open_bytes(bytes));
    loaded->read_tile_changes(in);
    ASSERT_FALSE(in.failed());

    // Re-entering the level reads the grid from the region file and replays.
    Archive region;
    region.open_write_memory();
    level->cell(3, 2)->wall = 0x80000421;  // what the region file holds
    level->write_tiles(region);
    Archive tiles;
    ASSERT_TRUE(tiles.open_bytes(region.written()));
    loaded->read_tiles(tiles);
    ASSERT_FALSE(tiles.failed()) << tiles.error();
    EXPECT_EQ(loaded->cell(3, 2)->wall, 0x80000420u);

    Archive skip;
    ASSERT_TRUE(skip.open_bytes(bytes));
    MapLevel::skip_tile_changes(skip);
    EXPECT_TRUE(skip.at_end());
}

TEST(TileChanges, UnknownVersionOrShortChunkFails) {
    Archive bad;
    ASSERT_TRUE(bad.open_bytes({0x23, 3, 0, 0}));
    auto level = level_with_grid(2, 2);
    level->read_tile_changes(bad);
    EXPECT_TRUE(bad.failed());
    Archive shortened;
    ASSERT_TRUE(shortened.open_bytes({0x23, 1, 2, 0, 1, 0, 1, 0, 0x16, 0x23}));
    level->read_tile_changes(shortened);
    EXPECT_TRUE(shortened.failed());
}

TEST(MapLevel, SizeOutsideTheViewLimitsIsRefused) {
    for (auto [w, h] : {std::pair{0, 5}, {251, 5}, {5, -1}, {5, 250}}) {
        MapLevel level;
        level.width = w;
        level.height = h;
        MapLevel read;
        Archive ar;
        ASSERT_TRUE(ar.open_bytes(written_bytes(level)));
        read.read(ar);
        EXPECT_EQ(ar.failed(), !(w >= 1 && w <= 250 && h >= 1 && h <= 250)) << w << "x" << h;
    }
}

TEST(MapTree, RoundTripAndNames) {
    MapRegion region;
    region.id = 0x1A2B;
    region.set_name("  the  ashen vale");
    auto map = std::make_unique<Map>();
    map->id = 0x110;
    map->set_name("low road");
    map->music = "music/road.xm";
    map->music_loop = 1;
    map->params = {3, -4};
    auto level = level_with_grid(5, 4);
    level->set_name("thornby");
    level->params = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 11};
    level->weather = 3;
    level->combat_background = 2;
    level->music = "music/town.xm";
    Encounter e;
    e.monster_id = 0x400;
    e.value = 30;
    level->encounters.push_back(e);
    map->levels.push_back(std::move(level));
    region.maps.push_back(std::move(map));

    EXPECT_EQ(region.name, "The  Ashen Vale");
    // The rest of a word goes to lower case, and only a space parts words.
    MapRegion shouting;
    shouting.set_name(" oLD\tmILL rOAD");
    EXPECT_EQ(shouting.name, "Old\tmill Road");
    EXPECT_EQ(region.file_name(), "00001A2B.rgn");

    const MapRegion r = round_trip(region);
    EXPECT_EQ(r.name, region.name);
    ASSERT_EQ(r.maps.size(), 1u);
    const Map& m = *r.maps[0];
    EXPECT_EQ(m.name, "Low Road");
    EXPECT_EQ(m.params, region.maps[0]->params);
    EXPECT_EQ(m.music_loop, 1);
    ASSERT_EQ(m.levels.size(), 1u);
    const MapLevel& l = *m.levels[0];
    EXPECT_EQ(l.map, &m);
    EXPECT_EQ(l.name, "Thornby");
    EXPECT_EQ(l.params, region.maps[0]->levels[0]->params);
    EXPECT_EQ(l.weather, 3u);
    EXPECT_EQ(l.combat_background, 2u);
    ASSERT_EQ(l.encounters.size(), 1u);
    EXPECT_EQ(l.encounters[0].value, 30);
    EXPECT_FALSE(l.has_grid());
}

// A 4 x 3 level of walkable grass (tile 64) for the collision test.
struct CollisionFixture {
    std::unique_ptr<MapLevel> level = level_with_grid(4, 3);
    TileParams params;
    CollisionScene scene;

    CollisionFixture() {
        for (TileCell& c : level->grid) c = TileCell{1, 64, 0, 0, 0, 0, 0, 0};
        scene.params = &params;
        scene.hero = {1000, 1000};
    }
};

// The mover steps to (40, 20), that is to the position (24, 4); the other
// character stands `apart` from there. A monster comes within the 18
// (Manhattan) that a fight needs; the hero and people stay 24 apart, so
// that neither figure is drawn across the other's body.
TEST(MapCollision, CharactersKeepApartByWhoTheyAre) {
    enum Who { kHero, kPerson, kMonster };
    struct Case {
        Who mover, other;
        Point apart;
        bool blocked;
    };
    const Case cases[] = {
        {kPerson, kHero, {23, 0}, true},      {kPerson, kHero, {24, 0}, false},
        {kPerson, kHero, {0, 18}, true},      {kPerson, kHero, {0, -24}, false},
        {kPerson, kHero, {9, 9}, true},       {kPerson, kHero, {-12, 12}, false},
        {kHero, kPerson, {5, -18}, true},     {kHero, kPerson, {-5, 19}, false},
        {kPerson, kPerson, {3, -20}, true},   {kPerson, kPerson, {20, 4}, false},
        {kMonster, kHero, {17, 0}, true},     {kMonster, kHero, {18, 0}, false},
        {kMonster, kHero, {9, 9}, false},     {kHero, kMonster, {-8, 9}, true},
        {kHero, kMonster, {0, 18}, false},    {kPerson, kMonster, {9, 8}, true},
        {kPerson, kMonster, {9, 9}, false},   {kMonster, kPerson, {0, 20}, false},
    };
    for (const Case& c : cases) {
        CollisionFixture f;
        const Point other{24 + c.apart.x, 4 + c.apart.y};
        f.scene.mover_is_hero = c.mover == kHero;
        f.scene.mover_is_monster = c.mover == kMonster;
        if (c.other == kHero) f.scene.hero = other;
        if (c.other == kPerson) f.scene.people = {other};
        if (c.other == kMonster) f.scene.monsters = {other};
        EXPECT_EQ(map_collision_test(40, 20, *f.level, 0, f.scene), c.blocked)
            << "mover " << c.mover << ", other " << c.other << " at " << c.apart.x << "," << c.apart.y;
    }
    // The hero never blocks itself.
    CollisionFixture f;
    f.scene.mover_is_hero = true;
    f.scene.hero = {24, 4};
    EXPECT_FALSE(map_collision_test(40, 20, *f.level, 0, f.scene));
}

TEST(MapCollision, BareCellsBlockUnlessTheirBackgroundAllows) {
    CollisionFixture f;
    f.scene.mover_is_hero = true;
    *f.level->cell(1, 1) = TileCell{2, 0, 0, 0, 0, 0, 0, 0};  // bare earth
    EXPECT_TRUE(map_collision_test(40, 20, *f.level, 0, f.scene));   // probe (1, 1)
    f.params.backgrounds[2] = 1;
    EXPECT_FALSE(map_collision_test(40, 20, *f.level, 0, f.scene));
    f.level->cell(1, 1)->background = 200;  // past the table: 0
    EXPECT_TRUE(map_collision_test(40, 20, *f.level, 0, f.scene));
    f.level->cell(1, 1)->wall = 0x01000000;  // only the low 24 bits count
    EXPECT_TRUE(map_collision_test(40, 20, *f.level, 0, f.scene));
    f.level->cell(1, 1)->object = 4;
    EXPECT_FALSE(map_collision_test(40, 20, *f.level, 0, f.scene));
}

TEST(MapCollision, ProbesClampToTheLevelAndSpritesDecideTheRest) {
    CollisionFixture f;
    f.scene.mover_is_hero = true;
    // Probes left of and below the level read the edge cells.
    *f.level->cell(0, 2) = TileCell{};
    EXPECT_TRUE(map_collision_test(-20, 90, *f.level, 0, f.scene));
    EXPECT_TRUE(map_collision_test(2, 200, *f.level, 0, f.scene));
    // Outside the level without sprite blocks: blocked.
    EXPECT_TRUE(map_collision_test(100, 97, *f.level, 0, f.scene));
    EXPECT_FALSE(map_collision_test(100, 96, *f.level, 0, f.scene));
    int asked_mode = -1;
    f.scene.sprites_block = [&](int, int, int mode) {
        asked_mode = mode;
        return true;
    };
    EXPECT_TRUE(map_collision_test(100, 20, *f.level, 1, f.scene));
    EXPECT_EQ(asked_mode, 1);

    f.level->free_tiles();
    f.scene.sprites_block = nullptr;
    EXPECT_TRUE(map_collision_test(40, 20, *f.level, 0, f.scene));
}

}  // namespace
