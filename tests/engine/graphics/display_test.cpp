#include "engine/graphics/display.h"

#include <gtest/gtest.h>

#include "tests/engine/graphics/graphics_test_support.h"

namespace {

const Size kScreen{240, 320};
const Rect kScreenRect{0, 0, 240, 320};

// Marks exactly cell (column, row) of a 240 x 320 region.
void mark_cell(DirtyRegion& region, int column, int row) {
    region.add_rect({column * 8 + 1, row * 10 + 1, column * 8 + 2, row * 10 + 2});
}

TEST(PresentPlan, OverAThirdOfTheScreenGoesWhole) {
    DirtyRegion region(kScreenRect);
    for (int i = 0; i < 321; ++i) mark_cell(region, i % 30, i / 30);
    EXPECT_EQ(region.area(), 25680u);
    PresentPlan plan = plan_present(region, kScreen, 1);
    ASSERT_EQ(plan.rects.size(), 1u);
    EXPECT_EQ(plan.rects[0], kScreenRect);
    EXPECT_TRUE(plan.whole);
    EXPECT_TRUE(region.is_clear());

    region.add_rect({0, 0, 127, 199});  // 16 x 20 = 320 cells: exactly a third
    EXPECT_EQ(region.area(), 25600u);
    plan = plan_present(region, kScreen, 1);
    ASSERT_EQ(plan.rects.size(), 1u);
    EXPECT_EQ(plan.rects[0], (Rect{0, 0, 128, 200}));
    EXPECT_FALSE(plan.whole);
    EXPECT_TRUE(region.is_clear());
}

TEST(PresentPlan, TurnedScreensAllowTwoThirds) {
    DirtyRegion region(kScreenRect);
    for (int i = 0; i < 400; ++i) mark_cell(region, i % 30, i / 30);
    PresentPlan plan = plan_present(region, kScreen, 2);
    EXPECT_FALSE(plan.whole);
    EXPECT_GT(plan.rects.size(), 1u);
}

TEST(PresentPlan, MoreThanThirtyRectanglesBecomeOne) {
    DirtyRegion region(kScreenRect);
    // Alternating columns keep neighbouring rows apart: one rectangle a row.
    for (int row = 0; row < 30; ++row) mark_cell(region, row % 2 ? 4 : 0, row);
    PresentPlan plan = plan_present(region, kScreen, 1);
    EXPECT_EQ(plan.rects.size(), 30u);
    EXPECT_FALSE(plan.whole);

    for (int row = 0; row < 31; ++row) mark_cell(region, row % 2 ? 4 : 0, row);
    plan = plan_present(region, kScreen, 1);
    ASSERT_EQ(plan.rects.size(), 1u);
    EXPECT_TRUE(plan.whole);
    EXPECT_TRUE(region.is_clear());
}

TEST(PresentPlan, CellsBeyondTheScreenAreDropped) {
    DirtyRegion region(kScreenRect);
    mark_cell(region, 31, 3);
    mark_cell(region, 30, 9);
    PresentPlan plan = plan_present(region, kScreen, 1);
    EXPECT_TRUE(plan.rects.empty());
    EXPECT_FALSE(plan.whole);
}

TEST(Display, PresentsDirtyPartsToTheSink) {
    MemorySink sink;
    Display display;
    ASSERT_TRUE(display.open(&sink, 1, 240, 320));
    EXPECT_EQ(display.pitch(), 480);
    DirtyRegion region(kScreenRect);

    display.present(region);
    EXPECT_TRUE(sink.calls.empty()) << "nothing dirty, nothing presented";

    for (size_t i = 0; i < 240 * 320; ++i) display.pixels()[i] = uint16_t(i);
    region.add_rect({8, 10, 15, 19});
    display.present(region);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].rects, (std::vector<Rect>{{8, 10, 16, 20}}));
    EXPECT_FALSE(sink.calls[0].whole);
    EXPECT_EQ(sink.front()[10 * 240 + 8], display.pixels()[10 * 240 + 8]);
    EXPECT_EQ(sink.front()[9 * 240 + 8], 0) << "outside the rectangle";

    display.invalidate_all(region);
    display.present(region);
    EXPECT_TRUE(sink.calls.back().whole);
    const std::vector<uint16_t> shown = sink.front();
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), display.pixels()));
    EXPECT_EQ(display.stats().frames, 2u);
    EXPECT_EQ(display.stats().whole_frames, 1u);
    EXPECT_EQ(display.stats().pixels, 80u + 76800u);
}

TEST(Display, FailedOpenIsReported) {
    MemorySink sink;
    sink.fail_open = true;
    Display display;
    EXPECT_FALSE(display.open(&sink, 1, 240, 320));
    EXPECT_FALSE(display.open(nullptr, 1, 240, 320));
}

}  // namespace
