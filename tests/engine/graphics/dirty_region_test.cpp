#include "engine/graphics/dirty_region.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const Rect kScreen{0, 0, 240, 320};

// Which pixels of the grid a rectangle list covers, for comparing with cells.
std::vector<bool> coverage(const RectList& rects, const Rect& area) {
    std::vector<bool> covered(size_t(area.width() * area.height()), false);
    for (const Rect& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                EXPECT_FALSE(covered[size_t(y * area.width() + x)]) << "overlap at " << x << "," << y;
                covered[size_t(y * area.width() + x)] = true;
            }
    return covered;
}

TEST(DirtyRegion, ScreenCellsAndInclusiveEdges) {
    DirtyRegion region(kScreen);
    EXPECT_EQ(region.cell_width(), 8);
    EXPECT_EQ(region.cell_height(), 10);
    EXPECT_TRUE(region.is_clear());

    region.add_rect({0, 0, 8, 10});
    for (int row = 0; row < 32; ++row)
        for (int column = 0; column < 32; ++column)
            EXPECT_EQ(region.is_marked(column, row), column < 2 && row < 2) << column << "," << row;
    EXPECT_EQ(region.area(), 4u * 80u);
}

TEST(DirtyRegion, MarksNothingOutsideOrForEmptyRects) {
    DirtyRegion region(kScreen);
    region.add_rect({300, 0, 400, 50});
    region.add_rect({-50, -50, -1, -1});
    region.add_rect({0, 400, 10, 500});
    region.add_rect({20, 20, 20, 40});  // zero width
    EXPECT_TRUE(region.is_clear());

    // Partly outside: clipped to the grid, last column and row included.
    region.add_rect({250, 300, 1000, 1000});
    EXPECT_TRUE(region.is_marked(31, 31));
    EXPECT_TRUE(region.is_marked(31, 30));
    EXPECT_FALSE(region.is_marked(30, 31));

    // A change on the last row or column of the grid is never lost.
    region.clear();
    region.add_rect({100, 319, 101, 320});
    EXPECT_TRUE(region.is_marked(12, 31));
    region.add_rect({255, 0, 256, 1});
    EXPECT_TRUE(region.is_marked(31, 0));
}

TEST(DirtyRegion, AddAreaMarksExactlyTheCoveredCells) {
    DirtyRegion region(kScreen);
    region.add_area({8, 10, 24, 30});  // cells 1..2 x 1..2, far edges outside
    EXPECT_EQ(region.area(), 4u * 80u);
    EXPECT_TRUE(region.is_marked(1, 1));
    EXPECT_TRUE(region.is_marked(2, 2));
    EXPECT_FALSE(region.is_marked(3, 3));
    region.add_area({100, 319, 101, 320});  // one pixel on the last row
    EXPECT_TRUE(region.is_marked(12, 31));
    region.add_area({5, 5, 5, 9});  // empty
    EXPECT_EQ(region.area(), 5u * 80u);
}

TEST(DirtyRegion, AreaCountsCells) {
    DirtyRegion region(kScreen);
    region.add_rect({0, 0, 7, 9});
    region.add_rect({100, 100, 101, 101});
    region.add_rect({200, 200, 201, 201});
    EXPECT_EQ(region.area(), 240u);
    region.mark_all();
    EXPECT_EQ(region.area(), 256u * 320u);
    region.clear();
    EXPECT_EQ(region.area(), 0u);
}

TEST(DirtyRegion, MarkAllGivesOneScreenRect) {
    DirtyRegion region(kScreen);
    region.mark_all();
    RectList rects;
    region.to_rects(kScreen, rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], kScreen);
}

TEST(DirtyRegion, TwoRunsInOneRowGiveTwoRects) {
    DirtyRegion region(kScreen);
    region.add_rect({0, 0, 7, 9});      // cell (0, 0)
    region.add_rect({40, 0, 55, 9});    // cells (5, 0) and (6, 0)
    RectList rects;
    region.to_rects(kScreen, rects);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (Rect{0, 0, 8, 10}));
    EXPECT_EQ(rects[1], (Rect{40, 0, 56, 10}));
}

TEST(DirtyRegion, EqualRowsMergeIntoBands) {
    DirtyRegion region(kScreen);
    region.add_rect({16, 30, 30, 75});  // columns 2-3, rows 3-7
    RectList rects;
    region.to_rects(kScreen, rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (Rect{16, 30, 32, 80}));
}

TEST(DirtyRegion, RunsBeyondTheClipComeOutEmpty) {
    DirtyRegion region(kScreen);
    region.add_rect({245, 0, 250, 5});  // column 30 lies at x 240..247
    RectList rects;
    region.to_rects(kScreen, rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(rects[0].empty());
}

TEST(DirtyRegion, EmptySurfaceStillHasUsableCells) {
    DirtyRegion region(Rect{});
    EXPECT_EQ(region.cell_width(), 1);
    EXPECT_EQ(region.cell_height(), 1);
    region.add_rect({0, 0, 4, 4});
    EXPECT_EQ(region.area(), 25u);
}

TEST(DirtyRegion, RectsCoverExactlyTheMarkedCellsOnRandomGrids) {
    std::mt19937 rng(1234);
    const Rect grid{0, 0, 256, 320};
    for (int round = 0; round < 200; ++round) {
        DirtyRegion region(kScreen);
        const int marks = int(rng() % 12);
        for (int i = 0; i < marks; ++i) {
            const int x = int(rng() % 260) - 10, y = int(rng() % 340) - 10;
            region.add_rect({x, y, x + int(rng() % 80), y + int(rng() % 80)});
        }
        if (round % 7 == 0) region.add_rect({0, 100, 256, 140});  // full rows
        RectList rects;
        region.to_rects(grid, rects);
        const std::vector<bool> covered = coverage(rects, grid);
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 256; ++x)
                ASSERT_EQ(covered[size_t(y * 256 + x)], region.is_marked(x / 8, y / 10))
                    << "round " << round << " pixel " << x << "," << y;
    }
}

}  // namespace
