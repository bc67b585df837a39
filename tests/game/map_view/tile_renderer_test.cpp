#include "game/map_view/tile_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/tile_files.h"
#include "game/map_view/tile_kinds.h"
#include "game/world/tile_params.h"

namespace {

class TileRendererTest : public TileFilesTest {
protected:
    TileParams params;
    TileRenderer renderer{params};
    SpriteGroup group;

    std::vector<Sprite*> sprites_near(Point p, int32_t reach) const {
        std::vector<Sprite*> found;
        for (const auto& entry : group.sprites())
            if (std::abs(entry.element->x - p.x) <= reach && std::abs(entry.element->y - p.y) <= reach)
                found.push_back(entry.element);
        return found;
    }
    const Bitmap* sheet(int32_t kind, int32_t file) const {
        const Sprite* t = renderer.cache_find(kind, file);
        return t ? t->bitmap() : nullptr;
    }
};

TEST_F(TileRendererTest, KindsPickFileAndFrameBySignedDivision) {
    EXPECT_EQ(tile_file_name(kTileWall16, 3), u"tiles/walls16_3.bmp");
    EXPECT_EQ(tile_file_number(kTileBackground, 5), 1);
    EXPECT_EQ(tile_frame(kTileBackground, 5), 2);
    EXPECT_EQ(tile_file_number(kTileObject, 9), 9);
    EXPECT_EQ(tile_frame(kTileObject, 9), 0);
    EXPECT_EQ(tile_file_number(kTileWall16, -30), -2);
    EXPECT_EQ(tile_kind_info(0), nullptr);
    EXPECT_EQ(tile_kind_info(11), nullptr);
}

TEST_F(TileRendererTest, TilesShareOneTemplatePerFile) {
    Sprite* a = renderer.get_tile_sprite(kTileWall, group, 0, 0, 5, 1);
    Sprite* b = renderer.get_tile_sprite(kTileWall, group, 32, 0, 5, 3);
    Sprite* shade = renderer.get_tile_sprite(kTileShade, group, 0, 0, 5, 0);
    EXPECT_EQ(renderer.cached_templates(), 2);
    EXPECT_EQ(a->def, b->def);
    EXPECT_EQ(a->phase, 1);
    EXPECT_EQ(b->phase, 3);
    EXPECT_EQ(a->frame_height, 32);
    EXPECT_TRUE(a->flags & TRANS_COLOR);
    EXPECT_FALSE(shade->flags & TRANS_COLOR);
    // Templates stay out of the group.
    EXPECT_EQ(group.sprites().count(), 3);
    renderer.clear_cache();
    EXPECT_EQ(renderer.cached_templates(), 0);
    EXPECT_EQ(a->bitmap()->height, 128);  // the sprites keep their pictures
}

// The background pieces of cell (1, 1) of a 3 x 3 level whose centre is
// type 2 and whose neighbours of type 1 are given.
TEST_F(TileRendererTest, BackgroundEdgesUseNinePiecesFromFourDifferingNeighbours) {
    for (int32_t differing : {0, 3, 4, 8}) {
        MapLevel l = level(3, 3);
        for (TileCell& c : l.grid) c.background = 2;
        for (int32_t i = 0, set = 0; set < differing; ++i)
            if (i != 4) l.grid[size_t(i)].background = 1, ++set;
        group.clear();
        renderer.compose_ground(l, group, 0, 0);
        const std::vector<Sprite*> pieces = sprites_near({32, 32}, 10);
        ASSERT_EQ(pieces.size(), differing <= 3 ? 5u : 9u) << differing << " differing neighbours";
        int32_t lower = 0;
        for (Sprite* s : pieces) {
            if (s->depth == 100) {
                ++lower;
                EXPECT_EQ(s->bitmap(), sheet(kTileBackground, 0)) << "toward type 1 the lower type shows";
            } else {
                EXPECT_EQ(s->depth, 2 + 101);
                EXPECT_EQ(s->bitmap(), sheet(kTileBackground, 1));
            }
            EXPECT_GE(s->phase, 0);
            EXPECT_LE(s->phase, 2);
        }
        EXPECT_EQ(lower, differing <= 3 ? 0 : differing);
    }
}

TEST_F(TileRendererTest, EmptyNeighboursGetNoPieceAndLayersStackByDepth) {
    MapLevel l = level(3, 3);
    for (int32_t i : {0, 1, 2, 3, 5}) l.grid[size_t(i)].background = 0;
    TileCell& centre = l.grid[4];
    centre.tile = 2;
    centre.decor = 1;
    centre.shade = 0x81;  // darken, alpha 6
    renderer.compose_ground(l, group, 0, 0);
    std::vector<Sprite*> at_centre = sprites_near({32, 32}, 10);
    int32_t backgrounds = 0;
    for (Sprite* s : at_centre) {
        if (s->depth == 1 + 101) ++backgrounds;
        if (s->depth == 200) {
            EXPECT_EQ(s->phase, 1);
        }
        if (s->depth == 250) {
            EXPECT_EQ(s->flags & (ALPHA_LAYER | BLT_DARKEN | BLT_LIGHTEN), ALPHA_LAYER | BLT_DARKEN);
            EXPECT_EQ(s->alpha, 6);
        }
    }
    // Five empty neighbours: of nine pieces only those toward grass remain.
    EXPECT_EQ(backgrounds, 4);
    EXPECT_EQ(at_centre.size(), 4u + 3u);
}

TEST_F(TileRendererTest, BlocksAtTheRightAndBottomEdgeAreShort) {
    MapLevel l = level(7, 6);
    renderer.lighting = false;
    for (auto [bx, by, w, h] : {std::array<int32_t, 4>{0, 0, 160, 160}, {5, 0, 64, 160}, {0, 5, 160, 32}, {5, 5, 64, 32}}) {
        Sprite* block = renderer.render_block(l, bx, by);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->bitmap()->width, w);
        EXPECT_EQ(block->bitmap()->height, h);
        EXPECT_EQ(block->frame_height, h);
        delete block;
    }
    EXPECT_EQ(renderer.render_block(l, 7, 0), nullptr);
    EXPECT_EQ(renderer.render_block(l, -1, 0), nullptr);
    MapLevel without_grid = l;
    without_grid.free_tiles();
    EXPECT_EQ(renderer.render_block(without_grid, 0, 0), nullptr);
}

TEST_F(TileRendererTest, BlocksRenderTheSamePixelsEveryTimeWithAndWithoutLighting) {
    MapLevel l = level(12, 12);
    for (size_t i = 0; i < l.grid.size(); ++i) l.grid[i].background = uint8_t(1 + (i * 7 % 5 == 0));
    for (bool lit : {false, true}) {
        renderer.lighting = lit;
        Sprite* first = renderer.render_block(l, 5, 5);
        Sprite* other = renderer.render_block(l, 0, 0);  // moves the shared generator on
        crt_srand(12345);
        Sprite* again = renderer.render_block(l, 5, 5);
        EXPECT_EQ(first->bitmap()->pixels, again->bitmap()->pixels) << "lighting " << lit;
        for (Sprite* s : {first, other, again}) delete s;
    }
}

TEST_F(TileRendererTest, LightingFollowsTheLevelsKindAndLeavesUnknownKindsDark) {
    MapLevel l = level(5, 5);
    renderer.lighting = false;
    Sprite* plain = renderer.render_block(l, 0, 0);
    renderer.lighting = true;
    for (uint32_t kind : {0u, 3u, 6u}) {
        l.params[1] = kind;
        Sprite* lit = renderer.render_block(l, 0, 0);
        if (kind <= 5)
            EXPECT_NE(lit->bitmap()->pixels, plain->bitmap()->pixels) << "kind " << kind;
        else
            EXPECT_EQ(lit->bitmap()->pixels, plain->bitmap()->pixels) << "kind " << kind;
        delete lit;
    }
    // Another level id draws other waves.
    l.params[1] = 1;
    Sprite* one = renderer.render_block(l, 0, 0);
    l.id = 0x2202;
    Sprite* two = renderer.render_block(l, 0, 0);
    EXPECT_NE(one->bitmap()->pixels, two->bitmap()->pixels);
    for (Sprite* s : {plain, one, two}) delete s;
}

TEST_F(TileRendererTest, TreesNeedATypeAndACount) {
    MapLevel l = level(3, 1);
    l.grid[0].trees = 0x01;          // type 1, no tree
    l.grid[1].trees = 0x81;          // type 1, two trees
    l.grid[2].trees = 0xC0;          // three trees of no type
    params.trees[1] = 1;             // not pickable
    SpriteList* list = renderer.build_block_objects(l, group, 0, 0);
    ASSERT_EQ(list->count(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        const Sprite* tree = list->sprite(i);
        EXPECT_LE(tree->phase, 3);
        EXPECT_GE(tree->x, 32 - 16);
        EXPECT_LT(tree->x, 64 - 16);
        // Depth: the tree's foot less its reach (3 for type 1) plus 984.
        EXPECT_EQ(tree->depth, tree->y + 16 - 3 + 984);
        EXPECT_FALSE(tree->flags & HIT_RECT);
    }
    group.remove_list(list);
}

TEST_F(TileRendererTest, WallsByTheirTopBitsAndParameters) {
    MapLevel l = level(1, 2);
    params.walls[2] = 2;  // drawn a row back, walked through
    params.walls[3] = 1;  // hit where opaque
    const struct {
        uint32_t wall;
        int32_t sprites;
    } cases[] = {
        {0x40000002, 0}, {0xC0000002, 0},  // top bits 01 and 11: nothing
        {0x80000021, 0},                   // a quarter of set 0 names no file: skipped
        {2, 1},          {3, 1},
        {0x81000000 | 1 | 3 << 12 | 17 << 18, 3},  // top left, bottom left, bottom right
    };
    for (const auto& c : cases) {
        l.grid[1].wall = c.wall;
        SpriteList* list = renderer.build_block_objects(l, group, 0, 0);
        ASSERT_EQ(list->count(), c.sprites) << std::hex << c.wall;
        if (c.wall == 2) {
            EXPECT_EQ(list->sprite(0)->depth, 0 * 32 + 1002);
            EXPECT_FALSE(list->sprite(0)->flags & (HIT_RECT | HIT_OPAQUE));
        }
        if (c.wall == 3) {
            EXPECT_EQ(list->sprite(0)->flags & (HIT_RECT | HIT_OPAQUE), HIT_RECT | HIT_OPAQUE);
        }
        if (c.sprites == 3) {
            // Set 1: frame 30 + u - 31 of the 16-pixel sheets.
            EXPECT_EQ(list->sprite(0)->phase, 0);
            EXPECT_EQ(list->sprite(0)->frame_height, 16);
            EXPECT_EQ((Point{list->sprite(1)->x, list->sprite(1)->y}), (Point{0, 48}));
            EXPECT_EQ(list->sprite(1)->depth, 32 + 1001);
            EXPECT_TRUE(list->sprite(1)->flags & HIT_RECT);
            // Bottom right: u = 17 is tall, with nothing above it.
            EXPECT_EQ((Point{list->sprite(2)->x, list->sprite(2)->y}), (Point{16, 48}));
            EXPECT_EQ(list->sprite(2)->depth, 32 + 10000);
            EXPECT_FALSE(list->sprite(2)->flags & HIT_RECT);
            EXPECT_TRUE(list->sprite(0)->flags & HIT_RECT);
        }
        group.remove_list(list);
    }
    EXPECT_TRUE(FailureLog::names().empty());
}

TEST_F(TileRendererTest, ParameterTablesReadPastTheirEndGiveZero) {
    // Objects, walls and animated objects beyond their tables are solid
    // (parameter 0); their pictures are missing, and nothing crashes.
    MapLevel l = level(3, 1);
    params.objects.fill(2);
    params.walls.fill(2);
    params.anim_objects.fill(2);
    l.grid[0].object = 0xFFFF;
    l.grid[1].wall = 0x3FFFFFFF;
    l.grid[2].state = 0xFF;
    SpriteList* objects = renderer.build_block_objects(l, group, 0, 0);
    SpriteList* animated = renderer.build_block_animations(l, group, 0, 0, 0);
    ASSERT_EQ(objects->count(), 2);
    ASSERT_EQ(animated->count(), 1);
    for (const Sprite* s : {objects->sprite(0), objects->sprite(1), animated->sprite(0)}) {
        EXPECT_TRUE(s->flags & HIT_RECT);
        EXPECT_EQ(s->depth, 1002);
    }
    EXPECT_TRUE(FailureLog::names().empty());
    EXPECT_EQ(tile_param(params.backgrounds, 64), 0);
    group.remove_list(objects);
    group.remove_list(animated);
}

// A story may name any picture (a toggled wall shows the other picture of
// its pair): one the data lacks draws nothing, yet the wall stands in the
// way as a drawn one would, the program goes on, and the log says so once
// a file.
TEST_F(TileRendererTest, PicturesTheDataLacksDrawNothingButStillStandInTheWay) {
    MapLevel l = level(4, 1);
    l.grid[0].wall = 2;         // walls_0.bmp: drawn
    l.grid[1].wall = 5;         // walls_1.bmp: not in the data
    l.grid[2].wall = 6;         // the same missing sheet
    l.grid[3].object = 9;       // objects_8.bmp: not in the data
    g_bitmap_cache->caching = 1;
    renderer.preload(l);
    EXPECT_LT(g_bitmap_cache->find(u"tiles/walls_1.bmp", 0), 0);

    testing::internal::CaptureStderr();
    SpriteList* list = renderer.build_block_objects(l, group, 0, 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(FailureLog::names().empty());
    ASSERT_EQ(list->count(), 4);
    for (const char* file : {"tiles/walls_1.bmp", "tiles/objects_8.bmp"}) {
        const size_t first = said.find(file);
        EXPECT_NE(first, std::string::npos) << file;
        EXPECT_EQ(said.find(file, first + 1), std::string::npos) << file << " said once";
    }
    for (int32_t column : {1, 2, 3}) {
        const Sprite* s = list->sprite(column);
        EXPECT_EQ(s->frame_height, 32);
        EXPECT_TRUE(s->flags & HIT_RECT);
        EXPECT_EQ(list->hit_test_bounds(column * 32 + 16, 16, nullptr), s) << "column " << column;
    }

    Sprite canvas;
    canvas.create_blank(4 * 32, 32);
    std::fill(canvas.bitmap()->pixels.begin(), canvas.bitmap()->pixels.end(), uint16_t(0x1234));
    group.draw_into_sprite(&canvas, 0, 0, 4 * 32, 32);
    const Bitmap& drawn = *canvas.bitmap();
    EXPECT_NE(drawn.pixel(16, 16), 0x1234) << "the wall whose picture is there";
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 32; x < 4 * 32; ++x) ASSERT_EQ(drawn.pixel(x, y), 0x1234) << x << ", " << y;
    group.remove_list(list);
}

TEST_F(TileRendererTest, AnimatedObjectsShowTheTilePhase) {
    MapLevel l = level(2, 1);
    l.grid[0].state = 1;
    params.anim_objects[1] = 3;
    SpriteList* list = renderer.build_block_animations(l, group, 0, 0, 5);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->sprite(0)->phase, 5);
    EXPECT_TRUE(list->sprite(0)->flags & HIT_DIAMOND);
    set_tile_list_phase(*list, 2);
    EXPECT_EQ(list->sprite(0)->phase, 2);
    group.remove_list(list);
}

TEST_F(TileRendererTest, PreloadKeepsTheLevelsPicturesCached) {
    g_bitmap_cache->caching = 1;
    MapLevel l = level(2, 2);
    l.grid[0].wall = 1;
    l.grid[1].object = 1;
    l.grid[2].wall = 0x81000001;
    renderer.preload(l);
    for (const char16_t* name : {u"tiles/background_0.bmp", u"tiles/walls_0.bmp", u"tiles/objects_0.bmp",
                                 u"tiles/walls16_0.bmp", u"tiles/walls16_1.bmp"})
        EXPECT_GE(g_bitmap_cache->find(name, 0), 0) << utf16_to_utf8(name);
    EXPECT_TRUE(FailureLog::names().empty());
}

}  // namespace
