#include "game/effects/motion_path.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kWhole = 65536;  // f of the path's end
constexpr int64_t kCube = 256 * 256 * 256;

Point lerp(Point a, Point b, int32_t f) {
    return {a.x + int32_t(int64_t(b.x - a.x) * f / kWhole), a.y + int32_t(int64_t(b.y - a.y) * f / kWhole)};
}

}  // namespace

MotionPath::MotionPath(std::vector<Point> points) : points_(std::move(points)) {
    const int32_t n = point_count();
    if (n < 3) return;
    // Tangent of point j from its neighbours; the ends borrow the tangent of
    // the point next to them. The first and last segments lean on the inner
    // tangents only: P0, P1 - t1, P1 - t1, P1 and Pn-2, Pn-2 + t, Pn-1 - t, Pn-1.
    auto tangent = [&](int32_t j) {
        j = std::clamp(j, 1, n - 2);
        return Point{(points_[size_t(j + 1)].x - points_[size_t(j - 1)].x) / 4,
                     (points_[size_t(j + 1)].y - points_[size_t(j - 1)].y) / 4};
    };
    auto minus = [](Point a, Point b) { return Point{a.x - b.x, a.y - b.y}; };
    auto plus = [](Point a, Point b) { return Point{a.x + b.x, a.y + b.y}; };
    controls_.reserve(size_t(3 * n - 2));
    controls_.push_back(points_[0]);
    controls_.push_back(minus(points_[1], tangent(1)));
    for (int32_t j = 1; j <= n - 2; ++j) {
        const Point t = tangent(j);
        controls_.push_back(minus(points_[size_t(j)], t));
        controls_.push_back(points_[size_t(j)]);
        controls_.push_back(plus(points_[size_t(j)], t));
    }
    controls_.push_back(minus(points_[size_t(n - 1)], tangent(n - 2)));
    controls_.push_back(points_[size_t(n - 1)]);
}

Point MotionPath::at(int32_t f) const {
    const int32_t n = point_count();
    if (n == 0) return {0, 0};
    if (f <= 0 || n == 1) return points_.front();
    if (f >= kWhole) return points_.back();
    if (n == 2) return lerp(points_[0], points_[1], f);
    const int64_t scaled = int64_t(f) * (n - 1);
    const int32_t segment = std::min(int32_t(scaled / kWhole), n - 2);
    const int32_t t = int32_t((scaled - int64_t(segment) * kWhole) >> 8);  // 0 .. 255
    return bezier(segment, std::min(t, 255));
}

Point MotionPath::bezier(int32_t segment, int32_t t) const {
    const Point* c = &controls_[size_t(3 * segment)];
    const int64_t u = 256 - t;
    const int64_t w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, int64_t(t) * t * t};
    int64_t x = 0, y = 0;
    for (int i = 0; i < 4; ++i) {
        x += w[i] * c[i].x;
        y += w[i] * c[i].y;
    }
    return {int32_t(x / kCube), int32_t(y / kCube)};
}

PathWalk::PathWalk(MotionPath path, int32_t steps, int32_t delay)
    : path_(std::move(path)), steps_(std::max(steps, 0)), delay_(std::max(delay, 0)) {}

Point PathWalk::point_of(int32_t step) const {
    if (steps_ <= 0) return path_.at(0);
    step = std::clamp(step, 0, steps_ - 1);
    return path_.at(int32_t(int64_t(step) * kWhole / steps_));
}

bool PathWalk::next(Point& point, bool* waiting) {
    if (waiting) *waiting = false;
    if (done()) return false;
    if (wait_ > 0) {
        --wait_;
        if (waiting) *waiting = true;
        return false;
    }
    wait_ = delay_;
    point = point_of(step_++);
    return true;
}
