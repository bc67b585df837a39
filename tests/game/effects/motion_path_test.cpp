// Motion paths: the ends of the fraction, the middle point of three, the
// lists too short for tangents, and the walk of a given step count.
#include "game/effects/motion_path.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/effects/effect_file.h"

namespace {

bool operator_eq(Point a, Point b) { return a.x == b.x && a.y == b.y; }

TEST(MotionPathTest, FractionsGiveTheListedPoints) {
    const std::vector<Point> three = {{0, 0}, {40, -20}, {100, 10}};
    struct Case {
        std::vector<Point> points;
        int32_t f;
        Point expected;
    };
    const Case cases[] = {
        {three, 0, {0, 0}},          {three, -5, {0, 0}},          {three, 32768, {40, -20}},
        {three, 65536, {100, 10}},   {three, 70000, {100, 10}},    {three, INT32_MIN, {0, 0}},
        {{}, 30000, {0, 0}},         {{{7, 9}}, 30000, {7, 9}},    {{{7, 9}}, 90000, {7, 9}},
        {{{0, 0}, {100, -50}}, 16384, {25, -12}},                   {{{0, 0}, {100, -50}}, 65535, {99, -49}},
        {{{10, 10}, {10, 10}, {10, 10}, {10, 10}}, 40000, {10, 10}},
    };
    for (const Case& c : cases) {
        const Point p = MotionPath(c.points).at(c.f);
        EXPECT_TRUE(operator_eq(p, c.expected))
            << c.points.size() << " points, f " << c.f << ": " << p.x << "," << p.y;
    }
}

TEST(MotionPathTest, TheCurveRunsSmoothlyBetweenItsPoints) {
    // Four points on a line: the curve stays on it and only moves forward.
    const MotionPath path({{0, 0}, {30, 0}, {60, 0}, {90, 0}});
    int32_t last = -1;
    for (int32_t f = 0; f <= 65536; f += 1024) {
        const Point p = path.at(f);
        EXPECT_EQ(p.y, 0) << f;
        EXPECT_GE(p.x, last) << f;
        last = p.x;
    }
    EXPECT_EQ(path.at(65536 / 3 + 1).x, 30);
}

TEST(MotionPathTest, AWalkTakesItsStepsOneAFrame) {
    struct Case {
        int32_t steps;
        int32_t delay;
        int32_t frames_to_end;  // frames until done() holds
        Point middle;           // the point of step steps / 2
    };
    const Case cases[] = {{4, 0, 4, {40, -20}}, {10, 0, 10, {40, -20}}, {4, 2, 10, {40, -20}}, {0, 0, 0, {0, 0}},
                          {-3, 0, 0, {0, 0}}};
    for (const Case& c : cases) {
        PathWalk walk(MotionPath({{0, 0}, {40, -20}, {100, 10}}), c.steps, c.delay);
        int32_t frames = 0;
        Point first{-1, -1}, point;
        while (!walk.done() && frames < 100) {
            if (walk.next(point) && walk.step() == 1) first = point;
            ++frames;
        }
        EXPECT_EQ(frames, c.frames_to_end) << c.steps << " steps";
        if (c.steps > 0) {
            EXPECT_TRUE(operator_eq(first, {0, 0})) << c.steps;
            EXPECT_TRUE(operator_eq(walk.point_of(c.steps / 2), c.middle)) << c.steps;
        }
    }
}

TEST(MotionPathTest, ColoursPackIntoOneWord) {
    EXPECT_EQ(pack_channels565(5, 16, 18), 0x2A12);
    EXPECT_EQ(pack_channels565(31, 63, 31), 0xFFFF);
    EXPECT_EQ(pack_channels565(0, 64, 32), 0x0000);  // out-of-range channels lose their high bits
}

}  // namespace
