// A smooth path through a list of points: a chain of cubic Bezier segments,
// one between each two neighbouring points, with tangents from the points on
// either side, evaluated in 8-bit fixed point so that every platform gives
// the same positions. A position is asked for with a 16-bit fraction f of the
// whole path (0 the first point, 65536 and above the last).
//
// Short lists are defined too: no points stays at 0, 0; one point stays on
// it; two points give a straight line.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"

class MotionPath {
public:
    MotionPath() = default;
    explicit MotionPath(std::vector<Point> points);

    Point at(int32_t f) const;
    int32_t point_count() const { return int32_t(points_.size()); }

private:
    Point bezier(int32_t segment, int32_t t) const;

    std::vector<Point> points_;
    std::vector<Point> controls_;  // 3n - 2 control points for n >= 3
};

// Walks a path one step a frame: step s of `steps` asks for
// f = s x 65536 / steps, s = 0 .. steps - 1. With `delay` > 0 every step
// waits that many frames first. No steps (0 or less) means the walk is over
// before it starts.
class PathWalk {
public:
    PathWalk() = default;
    PathWalk(MotionPath path, int32_t steps, int32_t delay);

    // The next point; false once every step has been taken (or while
    // waiting, with `waiting` set).
    bool next(Point& point, bool* waiting = nullptr);
    // The point of step s (clamped to the walk), without moving.
    Point point_of(int32_t step) const;
    bool done() const { return step_ >= steps_; }
    int32_t step() const { return step_; }
    int32_t steps() const { return steps_; }

private:
    MotionPath path_;
    int32_t steps_ = 0;
    int32_t step_ = 0;
    int32_t delay_ = 0;
    int32_t wait_ = 0;
};
