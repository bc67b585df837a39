#include <gtest/gtest.h>

#include "game/map_view/view_grid.h"
#include "game/session/game.h"

namespace {

// A level smaller than the view stands at the fixed margin (-5, -11) with
// black around it, a 9-row level following the hero down to -1 so that its
// bottom row is no deeper under the walk HUD than it must be. A larger level
// shows no black beyond its left, top and right edges, and past its bottom
// edge only what the walk HUD's 34-pixel strip covers.
TEST(Camera, TheOriginFollowsTheFocusWithinTheLevelsBounds) {
    struct Case {
        const char* what;
        Point focus;
        Size level;
        Point origin;
    };
    const Case cases[] = {
        {"6 x 6, top left", {0, 0}, {6, 6}, {-5, -11}},
        {"6 x 6, bottom right", {190, 190}, {6, 6}, {-5, -11}},
        {"9 rows, top", {100, 0}, {12, 9}, {0, -11}},
        {"9 rows, middle", {100, 139}, {12, 9}, {0, -5}},
        {"9 rows, bottom", {100, 270}, {12, 9}, {0, -1}},
        {"30 x 20, top left", {0, 0}, {30, 20}, {0, 0}},
        {"30 x 20, bottom right", {5000, 5000}, {30, 20}, {720, 351}},
        {"30 x 20, inside", {400, 300}, {30, 20}, {400 - 117, 300 - 144}},
    };
    for (const Case& c : cases) EXPECT_EQ(camera_origin(c.focus, c.level, kScreenSize), c.origin) << c.what;
}

struct CountingBuilder : ViewCellBuilder {
    int built = 0, dropped = 0, lists = 0;
    void build_block(int32_t, int32_t) override { ++built; }
    void drop_block(int32_t, int32_t) override { ++dropped; }
    void build_lists(int32_t, int32_t) override { ++lists; }
    void drop_lists(int32_t, int32_t) override {}
};

// The camera refreshes twice a frame; walking must still build no more
// than one ground block or one pair of object lists in each.
TEST(ViewGrid, IncrementalRefreshBuildsOneBlockOrOnePairOfListsPerFrame) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    const Size level{40, 40};
    int frames = 0;
    uint64_t before = 0;
    do {
        before = grid.blocks_built() + grid.lists_built();
        grid.start_frame();
        grid.refresh({600, 600}, level, kScreenSize, true, false, 16);
        grid.refresh({602, 600}, level, kScreenSize, true, false, 16);
        EXPECT_LE(grid.blocks_built() + grid.lists_built() - before, 1u) << "frame " << frames;
        ++frames;
    } while (grid.blocks_built() + grid.lists_built() != before && frames < 200);
    EXPECT_GT(builder.built, 4);
    EXPECT_EQ(builder.lists, builder.built);  // every cell got its lists too
    EXPECT_EQ(uint64_t(builder.built), grid.blocks_built());
    EXPECT_EQ(frames, 2 * builder.built + 1);
    EXPECT_NE(grid.bounds()[0], ViewGrid::kNoBounds);  // the last frame completed the range

    // A full refresh builds the whole range at once, and the incremental
    // refresh after it in the same frame builds nothing more.
    ViewGrid fresh(builder);
    builder = {};
    fresh.start_frame();
    fresh.refresh({600, 600}, level, kScreenSize, false, true, 16);
    const int full = builder.built;
    EXPECT_GT(full, 1);
    fresh.refresh({600, 600}, level, kScreenSize, true, false, 16);
    EXPECT_EQ(builder.built, full);
}

TEST(ViewGrid, FullRefreshCoversTheScreenOnlyInsideTheLevel) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    grid.refresh({0, 0}, {6, 6}, kScreenSize, false, true, 16);
    // A 6x6 tile level spans cells 0..1 on each axis.
    EXPECT_TRUE(grid.has_block(0, 0));
    EXPECT_TRUE(grid.has_block(1, 1));
    EXPECT_FALSE(grid.has_block(2, 0));
    EXPECT_EQ(builder.built, 4);
}

TEST(ViewGrid, MostKeptCellsIsTheLevelOrTheKeepWindowWhicheverIsSmaller) {
    EXPECT_EQ(ViewGrid::most_kept_cells({16, 12}, kScreenSize, 16), 4 * 3);
    EXPECT_EQ(ViewGrid::most_kept_cells({16, 11}, kScreenSize, 16), 4 * 3);  // a part cell counts
    // Keep radius 2 + 4 cells, grown once: 15 cells across.
    EXPECT_EQ(ViewGrid::most_kept_cells({120, 120}, kScreenSize, 16), 15 * 15);
    EXPECT_EQ(ViewGrid::most_kept_cells({120, 120}, kScreenSize, 3), 13 * 13);
    EXPECT_EQ(ViewGrid::most_kept_cells({0, 0}, kScreenSize, 16), 0);
}

TEST(ViewGrid, FarCellsAreDroppedAndLowMemoryShrinksTheRadius) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    const Size level{200, 200};
    grid.refresh({300, 300}, level, kScreenSize, false, true, 16);
    EXPECT_TRUE(grid.has_block(1, 1));
    grid.refresh({3000, 3000}, level, kScreenSize, false, true, 16);
    EXPECT_FALSE(grid.has_block(1, 1));
    EXPECT_EQ(builder.dropped, builder.built - grid.built_cells());
    EXPECT_TRUE(grid.has_block(18, 17));
    // Five rows away: kept with plenty of memory, dropped under 2 MB.
    grid.refresh({3000, 3000 + 4 * 160}, level, kScreenSize, false, true, 16);
    EXPECT_TRUE(grid.has_block(18, 17));
    grid.refresh({3000, 3000 + 4 * 160}, level, kScreenSize, false, true, 1);
    EXPECT_FALSE(grid.has_block(18, 17));
    grid.clear();
    EXPECT_EQ(grid.built_cells(), 0);
    EXPECT_EQ(builder.dropped, builder.built);
}

}  // namespace
