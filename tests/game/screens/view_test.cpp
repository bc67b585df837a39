#include <gtest/gtest.h>

#include "game/screens/game.h"
#include "game/screens/view_grid.h"

namespace {

constexpr Size kDisplay{240, 320};

TEST(Camera, SmallLevelIsShownFromTheFixedMargin) {
    EXPECT_EQ(camera_origin({0, 0}, {6, 6}, kDisplay), (Point{-5, -11}));
    EXPECT_EQ(camera_origin({190, 190}, {6, 6}, kDisplay), (Point{-5, -11}));
}

TEST(Camera, LargeLevelClampsToItsEdges) {
    const Size level{30, 20};
    EXPECT_EQ(camera_origin({0, 0}, level, kDisplay), (Point{-5, -11}));
    EXPECT_EQ(camera_origin({5000, 5000}, level, kDisplay), (Point{725, 351}));
    EXPECT_EQ(camera_origin({400, 300}, level, kDisplay), (Point{400 - 117, 300 - 144}));
}

struct CountingBuilder : ViewCellBuilder {
    int built = 0, dropped = 0;
    void build_block(int32_t, int32_t) override { ++built; }
    void drop_block(int32_t, int32_t) override { ++dropped; }
    void build_lists(int32_t, int32_t) override {}
    void drop_lists(int32_t, int32_t) override {}
};

TEST(ViewGrid, IncrementalRefreshBuildsAtMostOneCellPerCall) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    const Size level{40, 40};
    int calls = 0;
    int last = 0;
    do {
        last = grid.built_cells();
        grid.refresh({600, 600}, level, kDisplay, true, false, 16);
        EXPECT_LE(grid.built_cells() - last, 1);
        ++calls;
    } while (grid.built_cells() != last && calls < 100);
    EXPECT_GT(grid.built_cells(), 4);
    EXPECT_LT(calls, 100);
    EXPECT_NE(grid.bounds()[0], ViewGrid::kNoBounds);  // the last call completed the range
}

TEST(ViewGrid, FullRefreshCoversTheScreenOnlyInsideTheLevel) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    grid.refresh({0, 0}, {6, 6}, kDisplay, false, true, 16);
    // A 6x6 tile level spans cells 0..1 on each axis.
    EXPECT_TRUE(grid.has_block(0, 0));
    EXPECT_TRUE(grid.has_block(1, 1));
    EXPECT_FALSE(grid.has_block(2, 0));
    EXPECT_EQ(builder.built, 4);
}

TEST(ViewGrid, FarCellsAreDroppedAndLowMemoryShrinksTheRadius) {
    CountingBuilder builder;
    ViewGrid grid(builder);
    const Size level{200, 200};
    grid.refresh({300, 300}, level, kDisplay, false, true, 16);
    EXPECT_TRUE(grid.has_block(1, 1));
    grid.refresh({3000, 3000}, level, kDisplay, false, true, 16);
    EXPECT_FALSE(grid.has_block(1, 1));
    EXPECT_EQ(builder.dropped, builder.built - grid.built_cells());
    EXPECT_TRUE(grid.has_block(18, 17));
    // Five rows away: kept with plenty of memory, dropped under 2 MB.
    grid.refresh({3000, 3000 + 4 * 160}, level, kDisplay, false, true, 16);
    EXPECT_TRUE(grid.has_block(18, 17));
    grid.refresh({3000, 3000 + 4 * 160}, level, kDisplay, false, true, 1);
    EXPECT_FALSE(grid.has_block(18, 17));
    grid.clear();
    EXPECT_EQ(grid.built_cells(), 0);
    EXPECT_EQ(builder.dropped, builder.built);
}

}  // namespace
