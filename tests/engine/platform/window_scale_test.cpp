// The window's scale against the part of the monitor windows may use.
#include <gtest/gtest.h>

#include "engine/platform/window_scale.h"

namespace {

TEST(WindowScale, TheLargestScaleUpToTheAskedOneThatFits) {
    struct Row {
        int asked;
        Size usable;
        int scale;
    };
    const Row rows[] = {
        {8, {1280, 1024}, 3},  // 4 would be 1280 high: past the screen, title bar and all
        {4, {1280, 1024}, 3},
        {3, {1280, 1024}, 3},
        {2, {1280, 1024}, 2},  // never larger than asked
        {4, {1280, 1000}, 3},  // a panel takes 24 pixels
        {8, {3840, 2160}, 6},
        {8, {1920, 2560}, 8},  // exactly the window at 8
        {3, {719, 2000}, 2},   // the width limits too
        {2, {480, 640}, 2},
        {2, {479, 640}, 1},
        {5, {200, 300}, 1},  // smaller than the screen itself: the smallest window
        {5, {0, 0}, 5},      // the host could not say
        {5, {-1, 768}, 5},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(fit_window_scale(row.asked, kScreenSize, row.usable), row.scale)
            << row.asked << " in " << row.usable.width << "x" << row.usable.height;
    }
}

}  // namespace
