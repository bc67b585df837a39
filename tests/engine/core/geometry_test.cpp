#include "engine/core/geometry.h"

#include <gtest/gtest.h>

TEST(Rect, IntersectionOfDisjointRectanglesIsEmpty) {
    Rect a{0, 0, 10, 10};
    EXPECT_EQ(a.intersect({10, 0, 20, 10}), Rect{});
    EXPECT_FALSE(a.intersects({10, 0, 20, 10}));
    EXPECT_EQ(a.intersect({5, -5, 15, 5}), (Rect{5, 0, 10, 5}));
}

TEST(Rect, UnionIgnoresEmptySides) {
    Rect a{2, 3, 4, 5};
    EXPECT_EQ(a.unite(Rect{}), a);
    EXPECT_EQ(Rect{}.unite(a), a);
    EXPECT_EQ(a.unite({-1, 4, 3, 9}), (Rect{-1, 3, 4, 9}));
}

TEST(Rect, ContainsIsHalfOpen) {
    Rect r = Rect::from({10, 20}, {5, 6});
    EXPECT_TRUE(r.contains({10, 20}));
    EXPECT_TRUE(r.contains({14, 25}));
    EXPECT_FALSE(r.contains({15, 25}));
    EXPECT_FALSE(r.contains({14, 26}));
    EXPECT_EQ(r.size(), (Size{5, 6}));
    EXPECT_EQ(r.offset({-10, -20}), (Rect{0, 0, 5, 6}));
}
