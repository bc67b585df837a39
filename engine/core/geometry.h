// Small value types for positions, sizes and rectangles on the screen and in
// pictures. Rectangles are half-open: right and bottom lie just outside.
#pragma once

#include <algorithm>
#include <cstdint>

struct Point {
    int32_t x = 0;
    int32_t y = 0;

    friend constexpr bool operator==(Point, Point) = default;
    constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;

    friend constexpr bool operator==(Size, Size) = default;
    constexpr bool empty() const { return width <= 0 || height <= 0; }
    constexpr int64_t area() const { return empty() ? 0 : int64_t(width) * height; }
};

// The handheld's portrait screen: the size the program draws for and every
// back end shows.
inline constexpr Size kScreenSize{240, 320};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    static constexpr Rect from(Point origin, Size size) {
        return {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr Point origin() const { return {left, top}; }
    constexpr Size size() const { return {width(), height()}; }
    constexpr bool empty() const { return right <= left || bottom <= top; }

    constexpr bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }

    constexpr Rect offset(Point by) const {
        return {left + by.x, top + by.y, right + by.x, bottom + by.y};
    }

    // The common part of two rectangles; empty (all zero) when they do not meet.
    constexpr Rect intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top),
               std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.empty() ? Rect{} : r;
    }

    constexpr bool intersects(const Rect& o) const { return !intersect(o).empty(); }

    // The smallest rectangle holding both; an empty side is ignored.
    constexpr Rect unite(const Rect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top),
                std::max(right, o.right), std::max(bottom, o.bottom)};
    }
};
