// Key spans: the table of one row for the shapes that matter, keyed drawing
// through the spans against the reference model on random pictures, frames
// and clips, and pictures changed after their spans were made drawing their
// new pixels, whichever way they were changed.
#include "engine/blit/key_spans.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "blit_test_support.h"
#include "engine/blit/sprite_blitters.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

constexpr uint16_t K = kColorKey, P = 0x1234;

struct SpanCase {
    const char* name;
    std::vector<uint16_t> row;
    std::vector<KeySpan> expected;
};

TEST(KeySpans, RowsBecomeSpans) {
    const std::vector<uint16_t> long_gap = {P, P, K, K, K, K, K, K, K, K, P};
    const std::vector<uint16_t> short_gap = {K, P, K, K, K, K, K, K, K, P, P, K};
    const SpanCase cases[] = {
        {"all transparent", {K, K, K, K}, {}},
        {"all opaque", {P, P, P}, {{0, 3, true}}},
        {"width 1 opaque", {P}, {{0, 1, true}}},
        {"width 1 transparent", {K}, {}},
        {"odd start and end", {K, P, P, K, K}, {{1, 2, true}}},
        {"gap of eight skipped", long_gap, {{0, 2, true}, {10, 1, true}}},
        {"gap of seven kept inside", short_gap, {{1, 10, false}}},
        {"single key pixel inside", {P, K, P}, {{0, 3, false}}},
    };
    for (const SpanCase& c : cases) {
        const KeySpans spans = KeySpans::of(c.row.data(), int32_t(c.row.size()), 1);
        std::vector<KeySpan> got(spans.row_begin(0), spans.row_end(0));
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].start, c.expected[i].start) << c.name;
            EXPECT_EQ(got[i].length, c.expected[i].length) << c.name;
            EXPECT_EQ(got[i].solid, c.expected[i].solid) << c.name;
        }
    }
}

TEST(KeySpans, EveryRowHasItsOwnSpans) {
    const std::vector<uint16_t> picture = {P, K, K, K, K, P, P, P};  // 2 rows of 4
    const KeySpans spans = KeySpans::of(picture.data(), 4, 2);
    ASSERT_EQ(spans.row_end(0) - spans.row_begin(0), 1);
    EXPECT_EQ(spans.row_begin(0)->length, 1);
    ASSERT_EQ(spans.row_end(1) - spans.row_begin(1), 1);
    EXPECT_EQ(spans.row_begin(1)->start, 1);
    EXPECT_EQ(spans.row_begin(1)->length, 3);
}

const uint32_t kKeyedModes[] = {16, 17, 18, 19, 4112, 4113, 8208, 8209};  // every keyed mode drawn

// Runs of key and other pixels of random lengths, so that spans are long,
// short, solid and mixed, and rows may be wholly one or the other.
void fill_runs(std::mt19937& rng, std::vector<uint16_t>& pixels) {
    const int shape = int(rng() % 4);
    bool key = rng() % 2 == 0;
    for (size_t i = 0; i < pixels.size();) {
        size_t run = 1 + rng() % (shape == 0 ? 3 : 20);
        for (; run > 0 && i < pixels.size(); --run, ++i)
            pixels[i] = key || shape == 1 ? K : (rng() % 5 == 0 ? uint16_t(0) : uint16_t(rng() | 1));
        key = !key;
    }
    if (shape == 2) std::fill(pixels.begin(), pixels.end(), uint16_t(0x7BEF));
}

TEST(KeySpans, KeyedDrawingThroughSpansMatchesReference) {
    for (int32_t lanes : supported_lane_widths()) {
        SCOPED_TRACE(testing::Message() << lanes << " lanes");
        LaneWidthScope scope(lanes);
        std::mt19937 rng(17);
        const int32_t tw = 96, th = 40;
        int drawn = 0;
        for (int i = 0; i < 4000; ++i) {
            const int32_t w = int32_t(1 + rng() % 80), h = int32_t(1 + rng() % 30);  // blends use spans above 32
            TestPicture picture(w, h);
            fill_runs(rng, picture.pixels);
            if (rng() % 2) {
                picture.alpha.resize(picture.pixels.size());
                for (uint8_t& a : picture.alpha) a = uint8_t(rng() % 33);
            }
            const KeySpans spans = KeySpans::of(picture.pixels.data(), w, h);
            const uint32_t mode = kKeyedModes[rng() % std::size(kKeyedModes)];
            BlitSource src = picture.source(int32_t(rng() % (tw + 20)) - 10, int32_t(rng() % (th + 20)) - 10,
                                            mode | (uint32_t(rng() % 16) << 24));
            // A frame anywhere in the picture: from any column and row, narrower
            // and lower than the picture.
            const int32_t column = int32_t(rng() % w), row = int32_t(rng() % h);
            src.frame_offset = row * w + column;
            src.frame_width = int32_t(1 + rng() % (w - column));
            src.frame_height = int32_t(1 + rng() % (h - row));
            src.alpha_value = int32_t(rng() % 33);
            src.key_spans = &spans;
            BlitView view{Rect{0, 0, tw, th}, Point{}};
            if (rng() % 2) {
                const int32_t l = int32_t(rng() % tw), t = int32_t(rng() % th);
                view.clip = {l, t, l + int32_t(rng() % (tw - l + 1)), t + int32_t(rng() % (th - t + 1))};
            }
            TestSurface fast(tw, th, 0, int32_t(rng() % 3)), expected(tw, th, 0, fast.pitch - tw);
            for (size_t p = 0; p < fast.pixels.size(); ++p) fast.pixels[p] = expected.pixels[p] = uint16_t(rng());
            const std::vector<uint16_t> before = fast.pixels;
            blit_plain(fast.target(), src, view);
            reference_blit(BlitKind::plain, expected.target(), src, view);
            ASSERT_EQ(fast.pixels, expected.pixels) << "case " << i << " mode " << mode << " picture " << w << "x" << h;
            drawn += fast.pixels != before;
        }
        EXPECT_GT(drawn, 4000 / 8);  // drawing happened, not only rejection
    }
}

// A sprite over a bitmap of its own, drawn keyed onto a screen the way the
// game draws it (spans made and kept by the bitmap).
class ChangedPictureTest : public GraphicsFilesTest {
protected:
    static constexpr int32_t kW = 20, kH = 12;

    ChangedPictureTest() {
        sprite_.create_blank(kW, kH);
        Bitmap& b = picture();
        for (int32_t y = 0; y < kH; ++y)
            for (int32_t x = 0; x < kW; ++x) b.pixels[b.index(x, y)] = (x + y) % 9 < 4 ? K : uint16_t(0x0841 * y + x);
        sprite_.flags = TRANS_COLOR;
    }

    Bitmap& picture() { return *sprite_.bitmap(); }

    // The screen after drawing the sprite keyed, from the same background.
    std::vector<uint16_t> drawn() {
        std::vector<uint16_t> screen(size_t(kW) * kH, 0x3333);
        blit_sprite({reinterpret_cast<uint8_t*>(screen.data()), 0, kW * 2}, sprite_, {Rect{0, 0, kW, kH}, Point{}});
        return screen;
    }

    // What the current pixels must give: the reference model, without spans.
    std::vector<uint16_t> expected() {
        std::vector<uint16_t> screen(size_t(kW) * kH, 0x3333);
        BlitSource src = sprite_.blit_source();
        reference_blit(BlitKind::plain, {reinterpret_cast<uint8_t*>(screen.data()), 0, kW * 2}, src,
                       {Rect{0, 0, kW, kH}, Point{}});
        return screen;
    }

    Sprite sprite_;
};

TEST_F(ChangedPictureTest, DrawsTheNewPixelsWhateverChangedThem) {
    Sprite other;
    other.create_blank(6, 5);
    std::fill(other.bitmap()->pixels.begin(), other.bitmap()->pixels.end(), uint16_t(0x07E0));
    other.x = 3;
    other.y = 2;
    const std::pair<const char*, std::function<void(Bitmap&)>> writers[] = {
        {"one pixel", [](Bitmap& b) { b.pixels[b.index(0, 0)] = 0xFFFF; }},
        {"one pixel to the key", [](Bitmap& b) { b.pixels[b.index(5, 1)] = K; }},
        {"fill through iterators", [](Bitmap& b) { std::fill(b.pixels.begin(), b.pixels.end(), K); }},
        {"through the data pointer", [](Bitmap& b) { b.pixels.data()[b.index(kW - 1, kH - 1)] = 0x8000; }},
        {"assign", [](Bitmap& b) { b.pixels.assign(b.pixels.size(), 0x1111); }},
        {"a new vector", [](Bitmap& b) { b.pixels = std::vector<uint16_t>(b.pixels.size(), 0x2222); }},
        {"another plane", [](Bitmap& b) {
             PixelPlane copy = b.pixels;
             copy[7] = K;
             b.pixels = copy;
         }},
        {"moved in", [](Bitmap& b) {
             std::unique_ptr<Bitmap> twin = b.clone();
             twin->pixels[b.index(2, 2)] = 0x4444;
             b.pixels = std::move(twin->pixels);
         }},
        {"outline", [](Bitmap& b) { b.add_outline(0xF800); }},
        {"a sprite drawn into it", [&](Bitmap&) { draw_sprite_into_sprite(&sprite_, &other); }},
        {"last row through back", [](Bitmap& b) { b.pixels.back() = 0x5555; }},
    };
    for (const auto& [name, write] : writers) {
        // Random pixels, drawn once so that the spans are made.
        std::mt19937 rng(uint32_t(std::hash<std::string>{}(name)));
        for (uint16_t& p : picture().pixels) p = rng() % 3 == 0 ? K : uint16_t(rng());
        ASSERT_EQ(drawn(), expected()) << name << " before";
        const std::vector<uint16_t> old_pixels = picture().pixels;
        write(picture());
        ASSERT_NE(std::vector<uint16_t>(picture().pixels), old_pixels) << name << " changed nothing";
        EXPECT_EQ(drawn(), expected()) << name;
    }
}

TEST_F(ChangedPictureTest, FramesOfAStripUseTheirOwnRows) {
    // Two frames of six rows: the second has no key pixel, the first is all key.
    Bitmap& b = picture();
    for (int32_t i = 0; i < kW * kH; ++i) b.pixels[size_t(i)] = i < kW * kH / 2 ? K : uint16_t(i);
    sprite_.frame_height = kH / 2;
    sprite_.frame_offset = 0;
    const std::vector<uint16_t> blank(size_t(kW) * kH, 0x3333);
    EXPECT_EQ(drawn(), blank);
    sprite_.frame_offset = kW * kH / 2;
    EXPECT_EQ(drawn(), expected());
    EXPECT_NE(drawn(), blank);
}

}  // namespace
