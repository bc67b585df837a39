#include "engine/blit/rect_copy.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint16_t kCanary = 0xCAFE;

// One side of a copy: a buffer just big enough for a w x h frame laid out
// with the given steps (negative ones included), plus a canary margin.
struct Layout {
    std::ptrdiff_t x_step, y_step;
};

struct Frame {
    std::vector<uint16_t> memory;
    std::ptrdiff_t start_bytes = 0;

    Frame(Layout l, int32_t w, int32_t h) {
        const std::ptrdiff_t lowest = std::min<std::ptrdiff_t>(0, (w - 1) * l.x_step) +
                                      std::min<std::ptrdiff_t>(0, (h - 1) * l.y_step);
        const std::ptrdiff_t highest = std::max<std::ptrdiff_t>(0, (w - 1) * l.x_step) +
                                       std::max<std::ptrdiff_t>(0, (h - 1) * l.y_step);
        constexpr std::ptrdiff_t kMargin = 64;
        start_bytes = kMargin - lowest;
        memory.assign(size_t((highest - lowest + 2 * kMargin) / 2 + 1), kCanary);
    }
    uint8_t* start() { return reinterpret_cast<uint8_t*>(memory.data()) + start_bytes; }
};

struct Case {
    const char* name;
    Layout source;
    int32_t width, height;  // of the frame as seen through the source steps
};

// The back buffer seen upright, and turned both ways, as a presenter sees it.
const Case kSources[] = {
    {"portrait", {2, 480}, 240, 320},
    {"turned left", {480, -2}, 320, 240},
    {"turned right", {-480, 2}, 320, 240},
};

std::vector<Layout> destinations(int32_t w, int32_t h) {
    return {{2, 2 * w}, {2, -2 * w}, {2, 2 * w + 480}, {2 * h, -2}, {-2 * h, 2},
            {2 * h, 2}, {-2, 2 * w}, {-2, -2 * w}};
}

std::vector<Rect> rectangles(int32_t w, int32_t h, std::mt19937& rng) {
    std::vector<Rect> rects = {{0, 0, w, h},      {0, 0, 1, 1},    {w - 1, h - 1, w, h},
                               {95, 3, 97, 9},    {94, 0, 193, h}, {0, 5, w, 6},
                               {1, 1, w - 1, h - 1}};
    for (int i = 0; i < 6; ++i) {
        const int32_t l = int32_t(rng() % uint32_t(w)), t = int32_t(rng() % uint32_t(h));
        rects.push_back({l, t, l + 1 + int32_t(rng() % uint32_t(w - l)), t + 1 + int32_t(rng() % uint32_t(h - t))});
    }
    return rects;
}

TEST(CopyRect, EveryPathEqualsThePerPixelRule) {
    std::mt19937 rng(5);
    for (const Case& c : kSources) {
        Frame source(c.source, c.width, c.height);
        for (auto& p : source.memory) p = uint16_t(rng());
        const PixelSource from{source.start(), c.source.x_step, c.source.y_step};
        for (const Layout& d : destinations(c.width, c.height)) {
            for (const Rect& r : rectangles(c.width, c.height, rng)) {
                const bool whole = r == Rect{0, 0, c.width, c.height};
                Frame fast(d, c.width, c.height), slow(d, c.width, c.height);
                copy_rect(from, {fast.start(), d.x_step, d.y_step}, r, whole);
                copy_rect_per_pixel(from, {slow.start(), d.x_step, d.y_step}, r);
                ASSERT_EQ(fast.memory, slow.memory)
                    << c.name << " into (" << d.x_step << ", " << d.y_step << ") rect " << r.left
                    << "," << r.top << "," << r.right << "," << r.bottom;
            }
        }
    }
}

TEST(CopyRect, PortraitIntoLandscapeFrame) {
    // The landscape buffer holds 320-pixel rows, one portrait column each, y
    // running right to left; its address is the last pixel of the first row.
    std::vector<uint16_t> back(240 * 320);
    for (size_t i = 0; i < back.size(); ++i) back[i] = uint16_t(i * 2654435761u >> 16);
    std::vector<uint16_t> landscape(320 * 240, kCanary);
    const PixelSource from{reinterpret_cast<const uint8_t*>(back.data()), 2, 480};
    const PixelDest to{reinterpret_cast<uint8_t*>(&landscape[319]), 640, -2};
    copy_rect(from, to, {0, 0, 240, 320}, true);
    for (int32_t y = 0; y < 320; ++y)
        for (int32_t x = 0; x < 240; ++x)
            ASSERT_EQ(landscape[size_t(x) * 320 + size_t(319 - y)], back[size_t(y) * 240 + size_t(x)])
                << x << "," << y;
}

TEST(CopyRect, EmptyRectangleCopiesNothing) {
    std::vector<uint16_t> a(16, 1), b(16, kCanary);
    const PixelSource from{reinterpret_cast<const uint8_t*>(a.data()), 2, 8};
    const PixelDest to{reinterpret_cast<uint8_t*>(b.data()), 2, 8};
    copy_rect(from, to, {2, 2, 2, 4}, false);
    copy_rect(from, to, {3, 1, 1, 3}, false);
    EXPECT_EQ(b, std::vector<uint16_t>(16, kCanary));
}

}  // namespace
