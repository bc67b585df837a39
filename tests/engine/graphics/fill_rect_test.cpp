#include "engine/graphics/fill_rect.h"

#include <gtest/gtest.h>

#include "engine/graphics/layer.h"

namespace {

constexpr uint16_t kOld = 0x5A5A;

// A back buffer wider than the layers drawn into it, so that a fill which
// treats the layer's rows as contiguous shows.
struct Buffer {
    int32_t width, height;
    std::vector<uint16_t> pixels;
    Buffer(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h), kOld) {}

    DrawTarget target(Point layer_origin, Rect clip) {
        DrawTarget t = whole_surface_target(pixels.data(), {width, height});
        t.origin = t.offset_of(layer_origin.x, layer_origin.y);
        t.clip = clip;
        return t;
    }
    uint16_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Checks every pixel: `inside` (screen coordinates) holds `expect(x, y)`, the rest kOld.
    template <typename Expect>
    void check(const Rect& inside, Expect expect) const {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(at(x, y), inside.contains({x, y}) ? expect(x, y) : kOld) << x << "," << y;
    }
};

TEST(FillRect, FollowsItsLayer) {
    Layer layer;
    layer.set_size(240, 320);
    layer.set_offset(4, 5);
    auto* fill = new FillRect;
    layer.add(fill, 0);
    EXPECT_EQ(fill->bounds(), (Rect{0, 0, 240, 320}));
    EXPECT_EQ(fill->offset(), (Point{4, 5}));
    layer.clear_dirty();
    fill->set_color(0x1234);
    EXPECT_TRUE(layer.region().is_clear()) << "the colour alone reports nothing";
}

TEST(FillRect, BlackClearsTheClipOnly) {
    FillRect fill;
    Buffer whole(240, 320);
    fill.draw(whole.target({0, 0}, {0, 0, 240, 320}));
    whole.check({0, 0, 240, 320}, [](int, int) { return uint16_t(0); });

    Buffer part(240, 320);
    fill.draw(part.target({0, 0}, {0, 100, 240, 140}));  // whole rows, one block
    part.check({0, 100, 240, 140}, [](int, int) { return uint16_t(0); });

    // A layer narrower than the buffer and not at x 0: row by row.
    Buffer narrow(240, 100);
    fill.draw(narrow.target({40, 10}, {0, 0, 120, 50}));
    narrow.check({40, 10, 160, 60}, [](int, int) { return uint16_t(0); });
}

TEST(FillRect, ColourFillsTheClipOnly) {
    FillRect fill;
    fill.set_color(0xF00F);
    Buffer buffer(240, 320);
    fill.draw(buffer.target({0, 0}, {17, 23, 91, 200}));
    buffer.check({17, 23, 91, 200}, [](int, int) { return uint16_t(0xF00F); });

    Buffer wide(1200, 4);  // longer rows than any screen
    fill.draw(wide.target({0, 0}, {0, 1, 1200, 3}));
    wide.check({0, 1, 1200, 3}, [](int, int) { return uint16_t(0xF00F); });
}

TEST(FillRect, BitmapIsLaidAtTheLayerOrigin) {
    Bitmap picture(30, 20, false);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint16_t(i + 1);
    auto bitmap_pixel = [&](Point layer_origin) {
        return [&, layer_origin](int x, int y) { return picture.pixel(x - layer_origin.x, y - layer_origin.y); };
    };
    static int releases = 0;
    {
        FillRect fill;
        fill.set_bitmap(&picture, [](const Bitmap*) { ++releases; });

        // Smaller than the clip: drawn where it has pixels, the rest kept.
        Buffer buffer(240, 320);
        fill.draw(buffer.target({0, 0}, {10, 5, 200, 300}));
        buffer.check({10, 5, 30, 20}, bitmap_pixel({0, 0}));

        // Exactly as wide as the rows: one block.
        Buffer fitting(30, 20);
        fill.draw(fitting.target({0, 0}, {0, 0, 30, 20}));
        fitting.check({0, 0, 30, 20}, bitmap_pixel({0, 0}));

        // As wide as the picture, but in a wider buffer and off x 0.
        Buffer offset(100, 40);
        fill.draw(offset.target({50, 10}, {0, 0, 30, 20}));
        offset.check({50, 10, 80, 30}, bitmap_pixel({50, 10}));
        EXPECT_EQ(releases, 0);
    }
    EXPECT_EQ(releases, 1) << "the picture goes back when the fill goes";
}

}  // namespace
