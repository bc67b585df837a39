// Every fast blitter against the reference model on random frames, clips,
// anchors, alphas, zooms and angles: equal pixel for pixel over the whole
// target (so nothing is written outside the view), with source and target in
// buffers of their exact size (so AddressSanitizer sees any stray access).
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "blit_test_support.h"
#include "engine/blit/key_spans.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"

namespace {

struct RandomCase {
    TestPicture picture{1, 1};
    BlitSource source;
    BlitView view;
};

uint16_t random_pixel(std::mt19937& rng) {
    switch (rng() % 6) {
        case 0: return kColorKey;
        case 1: return 0x0000;
        case 2: return 0xFFFF;
        default: return uint16_t(rng());
    }
}

int32_t random_zoom(std::mt19937& rng) {
    switch (rng() % 5) {
        case 0: return 1024;
        case 1: return int32_t(512 * (1 + rng() % 4));
        case 2: return int32_t(1 + rng() % 64);  // tiny: mostly empty
        default: return int32_t(1 + rng() % 8192);
    }
}

RandomCase random_case(std::mt19937& rng, BlitKind kind, int32_t target_w, int32_t target_h) {
    int32_t w = int32_t(1 + rng() % 24), fh = int32_t(1 + rng() % 20), frames = int32_t(1 + rng() % 3);
    RandomCase c;
    c.picture = TestPicture(w, fh * frames);
    for (uint16_t& p : c.picture.pixels) p = random_pixel(rng);
    if (rng() % 3 != 0) {
        c.picture.alpha.resize(c.picture.pixels.size());
        for (uint8_t& a : c.picture.alpha) a = uint8_t(rng() % 3 == 0 ? 32 : rng() % 33);
    }
    static const uint32_t kModeBits[] = {ALPHA_LAYER, ALPHA_PIXEL, TRANS_COLOR, BLT_LIGHTEN, BLT_DARKEN};
    // Mostly modes the blitter draws, sometimes any combination.
    uint32_t flags = 0;
    for (int attempt = 0; attempt < (rng() % 4 == 0 ? 1 : 50); ++attempt) {
        flags = 0;
        for (uint32_t bit : kModeBits)
            if (rng() % 3 == 0) flags |= bit;
        if (reference_supports(kind, flags)) break;
    }
    if (rng() % (kind == BlitKind::plain ? 4 : 40) == 0) flags = (flags & ~(BLT_LIGHTEN | BLT_DARKEN)) | BLT_DYNAMIC;
    if (rng() % 20 == 0) flags |= ALPHA_SEMI;
    flags |= uint32_t(rng() % 16) << 24;  // any anchor combination
    c.source = c.picture.source(int32_t(rng() % (target_w + 40)) - 20, int32_t(rng() % (target_h + 40)) - 20, flags);
    c.source.frame_height = fh;
    c.source.frame_offset = w * fh * int32_t(rng() % frames);
    c.source.alpha_value = rng() % 4 == 0 ? 32 : int32_t(rng() % 33);
    if (rng() % 10 == 0) c.source.alpha_value = int32_t(rng() % 80) - 20;  // out of range: compared as numbers
    c.source.zoom = random_zoom(rng);
    c.source.rotation = rng() % 4 == 0 ? int32_t(rng() % 4) * 0x5A0000 : int32_t(rng() % 0x3000000) - 0x1800000;
    int32_t l = int32_t(rng() % target_w), t = int32_t(rng() % target_h);
    c.view.clip = {l, t, l + int32_t(rng() % (target_w - l + 1)), t + int32_t(rng() % (target_h - t + 1))};
    if (rng() % 2 == 0) c.view.clip = {0, 0, target_w, target_h};
    c.view.shift = {int32_t(rng() % 21) - 10, int32_t(rng() % 21) - 10};
    return c;
}

void compare_with_reference(BlitKind kind, uint32_t seed, int rounds) {
    std::mt19937 rng(seed);
    const int32_t w = 40, h = 36;
    int drawn_cases = 0;
    for (int i = 0; i < rounds; ++i) {
        RandomCase c = random_case(rng, kind, w, h);
        TestSurface fast(w, h, 0, int32_t(rng() % 3)), expected(w, h, 0, fast.pitch - w);
        for (size_t p = 0; p < fast.pixels.size(); ++p) fast.pixels[p] = expected.pixels[p] = uint16_t(rng());
        std::vector<uint16_t> before = fast.pixels;
        fast_blitter(kind)(fast.target(), c.source, c.view);
        reference_blit(kind, expected.target(), c.source, c.view);
        ASSERT_EQ(fast.pixels, expected.pixels)
            << "case " << i << " flags " << std::hex << c.source.flags << std::dec << " zoom " << c.source.zoom
            << " rotation " << c.source.rotation << " frame " << c.picture.width << "x" << c.source.frame_height;
        drawn_cases += fast.pixels != before;
    }
    // The random cases must actually exercise drawing, not only rejection.
    EXPECT_GT(drawn_cases, rounds / 20);
}

}  // namespace

TEST(BlitterDifferential, PlainMatchesReference) {
    for (int32_t lanes : supported_lane_widths()) {
        SCOPED_TRACE(testing::Message() << lanes << " lanes");
        LaneWidthScope scope(lanes);
        compare_with_reference(BlitKind::plain, 1, 3000);
    }
}

// Rows long enough for every size class of every lane width and for the
// loop beyond them, in every mode the plain blitter draws, with and without
// key spans, at every width this processor runs.
TEST(BlitterDifferential, PlainWideRowsMatchReferenceAtEveryLaneWidth) {
    static const uint32_t kModes[] = {0, 1, 2, 3, 16, 17, 18, 19, 4096, 4097, 4098, 4099, 4112, 4113,
                                      8192, 8193, 8194, 8195, 8208, 8209};
    const int32_t w = 300, h = 6;
    for (int32_t lanes : supported_lane_widths()) {
        LaneWidthScope scope(lanes);
        std::mt19937 rng{uint32_t(lanes)};
        for (int i = 0; i < 800; ++i) {
            TestPicture picture(int32_t(1 + rng() % 300), int32_t(1 + rng() % 4));
            const uint16_t base = random_pixel(rng);  // runs of one colour (or of the key) between others
            for (uint16_t& p : picture.pixels) p = rng() % 3 == 0 ? random_pixel(rng) : base;
            if (rng() % 2) {
                picture.alpha.resize(picture.pixels.size());
                for (uint8_t& a : picture.alpha) a = uint8_t(rng() % 33);
            }
            const uint32_t mode = kModes[rng() % std::size(kModes)];
            BlitSource src = picture.source(int32_t(rng() % (w + 40)) - 20, int32_t(rng() % h), mode);
            src.alpha_value = rng() % 8 == 0 ? int32_t(rng() % 80) - 20 : int32_t(rng() % 33);
            const KeySpans spans = KeySpans::of(picture.pixels.data(), picture.width, picture.height);
            if (rng() % 2) src.key_spans = &spans;
            TestSurface fast(w, h), expected(w, h);
            for (size_t p = 0; p < fast.pixels.size(); ++p) fast.pixels[p] = expected.pixels[p] = uint16_t(rng());
            blit_plain(fast.target(), src, fast.whole());
            reference_blit(BlitKind::plain, expected.target(), src, expected.whole());
            ASSERT_EQ(fast.pixels, expected.pixels) << lanes << " lanes, case " << i << " mode " << mode << " width "
                                                    << picture.width << " alpha " << src.alpha_value;
        }
    }
}
// Bytes that end where an unreadable page begins: touching one past them
// ends the test with a fault, even in a vector load or store.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t bytes) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        span_ = (bytes + page - 1) / page * page + page;
        base_ = static_cast<uint8_t*>(mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (base_ == MAP_FAILED) base_ = nullptr;
        if (base_) mprotect(base_ + span_ - page, page, PROT_NONE);
        data_ = base_ ? base_ + span_ - page - bytes : nullptr;
    }
    ~GuardedBytes() {
        if (base_) munmap(base_, span_);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    uint8_t* data() const { return data_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t span_ = 0;
};

TEST(BlitterDifferential, PlainRowsTouchNothingPastTheirLastPixel) {
    static const uint32_t kModes[] = {0, 1, 2, 3, 16, 17, 18, 19, 4096, 4097, 4098, 4099, 4112, 4113,
                                      8192, 8193, 8194, 8195, 8208, 8209};
    std::mt19937 rng(77);
    for (int32_t lanes : supported_lane_widths()) {
        LaneWidthScope scope(lanes);
        for (int32_t w = 1; w <= 70; ++w) {
            for (uint32_t mode : kModes) {
                TestPicture picture(w, 1);
                for (uint16_t& p : picture.pixels) p = random_pixel(rng);
                picture.alpha.resize(size_t(w));
                for (uint8_t& a : picture.alpha) a = uint8_t(rng() % 33);
                TestSurface expected(w, 1);
                for (uint16_t& p : expected.pixels) p = uint16_t(rng());
                const KeySpans spans = KeySpans::of(picture.pixels.data(), w, 1);

                // The picture, its alpha plane and the target row, each
                // against an unreadable page.
                GuardedBytes pixels{size_t(w) * 2}, alpha{size_t(w)}, target{size_t(w) * 2};
                ASSERT_TRUE(pixels.data() && alpha.data() && target.data());
                std::memcpy(pixels.data(), picture.pixels.data(), size_t(w) * 2);
                std::memcpy(alpha.data(), picture.alpha.data(), size_t(w));
                std::memcpy(target.data(), expected.pixels.data(), size_t(w) * 2);

                BlitSource src = picture.source(0, 0, mode);
                src.alpha_value = int32_t(rng() % 33);
                src.key_spans = (mode & TRANS_COLOR) && rng() % 2 ? &spans : nullptr;
                reference_blit(BlitKind::plain, expected.target(), src, expected.whole());
                src.pixels = reinterpret_cast<const uint16_t*>(pixels.data());
                src.alpha = alpha.data();
                blit_plain(BlitTarget{target.data(), 0, w * 2}, src, expected.whole());
                ASSERT_EQ(std::memcmp(target.data(), expected.pixels.data(), size_t(w) * 2), 0)
                    << lanes << " lanes, width " << w << " mode " << mode;
            }
        }
    }
}

TEST(BlitterDifferential, ZoomedMatchesReference) { compare_with_reference(BlitKind::zoomed, 2, 3000); }
TEST(BlitterDifferential, FilteredZoomMatchesReference) { compare_with_reference(BlitKind::hq_zoomed, 3, 3000); }
TEST(BlitterDifferential, RotozoomMatchesReference) { compare_with_reference(BlitKind::rotozoomed, 4, 3000); }

TEST(BlitterDifferential, RotozoomBoxHoldsEveryDrawnPixel) {
    // Draw into a surface far larger than the box and check that nothing
    // lands outside the half extent the sprite bounds rely on.
    std::mt19937 rng(5);
    for (int i = 0; i < 400; ++i) {
        int32_t fw = int32_t(1 + rng() % 40), fh = int32_t(1 + rng() % 40);
        TestPicture picture(fw, fh, 0x1234);
        TestSurface surface(200, 200, 0);
        BlitSource src = picture.source(100, 100, 0);
        src.zoom = int32_t(256 + rng() % 3000);
        src.rotation = int32_t(rng() % 0x2D00000) - 0x1680000;
        blit_rotozoomed(surface.target(), src, surface.whole());
        Size half = rotozoom_half_extent(fw, fh, src.zoom, src.rotation);
        for (int32_t y = 0; y < 200; ++y)
            for (int32_t x = 0; x < 200; ++x)
                if (surface.at(x, y) != 0) {
                    ASSERT_LE(std::abs(x - 100), half.width) << i;
                    ASSERT_LE(std::abs(y - 100), half.height) << i;
                }
    }
}
