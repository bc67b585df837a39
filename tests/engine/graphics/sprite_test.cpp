// Sprites: loading, setters and their reports, frames and animations,
// bounds, hit points and compositing.
#include "engine/graphics/sprite.h"

#include <gtest/gtest.h>

#include "engine/blit/sprite_blitters.h"
#include "engine/core/crt_random.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "tests/engine/pictures/graphics_files.h"

class SpriteTest : public GraphicsFilesTest {
protected:
    SpriteTest() {
        write("pics/walk.bmp", plain_bmp(10, 40));
        write("walk.spr",
              "Stripes = 10\nbmp = \"pics/walk.bmp\"\n"
              "Animation = \"walk\", 2, \"\", \"ABC\"\n"
              "Animation = \"wave\", 0, \"D\", \"BC\", \"A\"\n"
              "Animation = \"hop\", 0, \"\", \"D\"\n");
    }

    // Frames shown by n calls of animate.
    static std::string play(Sprite& s, int n) {
        std::string shown;
        for (int i = 0; i < n; ++i) {
            s.animate();
            shown += char('A' + s.phase);
        }
        return shown;
    }
};

TEST_F(SpriteTest, LoadsDefinitionsAndSharesThem) {
    Sprite a;
    ASSERT_EQ(a.load(u"walk.spr", 1), 1);
    EXPECT_EQ(a.frame_width, 10);
    EXPECT_EQ(a.frame_height, 10);
    EXPECT_EQ(a.phase, 0);
    Sprite b(a);
    EXPECT_EQ(b.def, a.def);
    EXPECT_EQ(g_sprite_def_cache->use_count(a.def), 2);
    EXPECT_EQ(b.load(u"none.spr", 0), 0);
    EXPECT_EQ(b.def, nullptr);
    EXPECT_EQ(g_sprite_def_cache->use_count(a.def), 1);
    EXPECT_TRUE(FailureLog::names().empty());

    Sprite c;
    ASSERT_EQ(c.load_bitmap(u"pics/walk.bmp", 1), 1);
    EXPECT_EQ(c.frame_height, 40);
    EXPECT_EQ(c.load_bitmap(u"pics/none.bmp", 0), 0);
    EXPECT_EQ(c.def, nullptr);
}

TEST_F(SpriteTest, BlankPicturesAreZeroAndAtLeastOnePixel) {
    Sprite s;
    s.create_blank(0, -4);
    ASSERT_NE(s.bitmap(), nullptr);
    EXPECT_EQ(s.frame_width, 1);
    EXPECT_EQ(s.frame_height, 1);
    Sprite t;
    t.create_blank(3, 2);
    EXPECT_EQ(t.bitmap()->pixels, std::vector<uint16_t>(6, 0));
    EXPECT_EQ(g_bitmap_cache->use_count(t.bitmap()), 1);
    // Making it private keeps the only holder's objects.
    Bitmap* before = t.bitmap();
    t.make_private();
    EXPECT_EQ(t.bitmap(), before);
}

TEST_F(SpriteTest, MakePrivateSeparatesSharedPictures) {
    Sprite a, b;
    a.load(u"walk.spr", 1);
    b.load(u"walk.spr", 1);
    b.make_private();
    EXPECT_NE(b.def, a.def);
    EXPECT_NE(b.bitmap(), a.bitmap());
    b.bitmap()->pixels[0] = 0x1234;
    EXPECT_NE(a.bitmap()->pixels[0], 0x1234);
}

TEST_F(SpriteTest, SettersKeepOrChangeExactlyWhatTheyAreGiven) {
    Sprite s;
    s.set_position(10, 20, 30);
    s.changed = 0;
    s.set_position(Sprite::KEEP, 50, Sprite::KEEP);
    EXPECT_EQ(s.x, 10);
    EXPECT_EQ(s.y, 50);
    EXPECT_EQ(s.depth, 30);
    EXPECT_EQ(s.changed, 1);
    s.changed = 0;
    s.set_position(10, 50, 30);
    s.move_by(0, 0);
    s.set_alpha(32);
    s.set_flags(0);
    s.clear_flags(TRANS_COLOR);
    EXPECT_EQ(s.changed, 0);  // nothing changed, nothing reported

    s.alpha = 20;
    EXPECT_EQ(s.add_alpha(-40), 1);
    EXPECT_EQ(s.alpha, 0);
    EXPECT_EQ(s.add_alpha(-1), 0);
    EXPECT_EQ(s.add_alpha(100), 1);
    EXPECT_EQ(s.alpha, 32);
    s.set_alpha(70);
    EXPECT_EQ(s.alpha, 32);
    s.set_visible(0);
    EXPECT_TRUE(s.flags & INVISIBLE);
    s.set_visible(5);
    EXPECT_FALSE(s.flags & INVISIBLE);
}

TEST_F(SpriteTest, PhasesStayWithinTheFrames) {
    Sprite s;
    s.load(u"walk.spr", 1);
    s.set_phase(3);
    EXPECT_EQ(s.phase, 3);
    EXPECT_EQ(s.frame_offset, 10 * 10 * 3);
    s.set_phase(4);
    s.set_phase(-2);
    EXPECT_EQ(s.phase, 3);
    // Random frames are frames, and repeat with the seed.
    std::string first, second;
    crt_srand(42);
    for (int i = 0; i < 50; ++i) {
        s.set_phase(-1);
        ASSERT_GE(s.phase, 0);
        ASSERT_LT(s.phase, 4);
        first += char('0' + s.phase);
    }
    crt_srand(42);
    for (int i = 0; i < 50; ++i) {
        s.set_phase(-1);
        second += char('0' + s.phase);
    }
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find_first_not_of(first[0]), std::string::npos);
    // A one-frame sprite has no phases.
    Sprite one;
    one.load_bitmap(u"pics/walk.bmp", 1);
    one.set_phase(1);
    one.set_phase(-1);
    EXPECT_EQ(one.phase, 0);
}

TEST_F(SpriteTest, AnimationsStepHoldAndChain) {
    Sprite s;
    s.load(u"walk.spr", 1);
    EXPECT_EQ(s.set_animation("WALK"), -1);
    EXPECT_EQ(play(s, 10), "AAABBBCCCA");
    // Queued behind a running loop: it takes over at the end of the pass.
    EXPECT_EQ(s.set_animation("hop"), 0);
    EXPECT_EQ(play(s, 8), "AABBBCDD");  // the last frame of the pass hands over at once
    // Start letters once, loop, then end letters before the next one.
    Sprite t;
    t.load(u"walk.spr", 1);
    t.set_animation("wave");
    EXPECT_EQ(play(t, 6), "DBCBCB");
    t.set_animation("hop");
    EXPECT_EQ(play(t, 4), "CADD");
    // An unknown name keeps the running one and drops the queued one.
    t.set_animation("walk");
    EXPECT_EQ(t.set_animation("fly"), -1);
    EXPECT_EQ(t.next_animation, -1);
    EXPECT_EQ(play(t, 3), "DDD");
}

TEST_F(SpriteTest, BoundsFollowAnchorsAndZoom) {
    Sprite s;
    s.load_bitmap(u"pics/walk.bmp", 1);
    s.frame_height = 10;
    s.x = 100;
    s.y = 100;
    s.flags = GRAB_CENTER;
    EXPECT_EQ(s.bounds(0, 0), (Rect{95, 95, 106, 106}));
    s.flags = GRAB_RIGHT | GRAB_BOTTOM;
    EXPECT_EQ(s.bounds(10, 20), (Rect{80, 70, 90, 80}));
    s.flags = RZ_ZOOMED;
    s.zoom = 2048;
    EXPECT_EQ(s.bounds(0, 0), (Rect{100, 100, 122, 122}));
    s.zoom = 0;
    EXPECT_EQ(s.bounds(0, 0).width(), 2);
    s.zoom = -500;
    EXPECT_EQ(s.bounds(0, 0).width(), 2);
}

TEST_F(SpriteTest, OpaquePointsSkipTheColourKey) {
    write("pics/dot.bmp", bmp_file(2, 1, {0xFF00FF, 0x00FF00}));
    Sprite s;
    s.load_bitmap(u"pics/dot.bmp", 1);
    s.x = 10;
    s.y = 10;
    EXPECT_FALSE(s.contains_opaque_point(10, 10, 0, 0));
    EXPECT_TRUE(s.contains_opaque_point(11, 10, 0, 0));
    EXPECT_TRUE(s.contains_point(10, 10, 0, 0));
    EXPECT_FALSE(s.contains_point(12, 10, 0, 0));
    s.flags = RZ_ZOOMED;  // scaled: the rectangle alone decides
    EXPECT_TRUE(s.contains_opaque_point(10, 10, 0, 0));
}

TEST_F(SpriteTest, CompositeBlendsOpacities) {
    Sprite under, over;
    // Under: opaque blue, transparent, half blue, transparent.
    write("pics/a.bmp", bmp_file(4, 1, {0xFF0000FF, 0x000000FF, 0x800000FF, 0x00000000}, 32));
    // Over (two rows; only the common one blends): half red, opaque red,
    // half red, half red; then a fully transparent row.
    write("pics/b.bmp", bmp_file(4, 2, {0x80FF0000, 0xFFFF0000, 0x80FF0000, 0x80FF0000, 0, 0, 0, 0}, 32));
    under.load_bitmap(u"pics/a.bmp", 1);
    over.load_bitmap(u"pics/b.bmp", 1);
    under.make_private();
    under.composite(over);
    const Bitmap& b = *under.bitmap();
    // Half red over opaque blue: each channel halfway, still opaque.
    EXPECT_EQ(b.alpha[0], 32);
    EXPECT_EQ(b.pixels[0], 0x780F);
    // An opaque source and a transparent destination both copy the source.
    EXPECT_EQ(b.alpha[1], 32);
    EXPECT_EQ(b.pixels[1], 0xF800);
    EXPECT_EQ(b.alpha[3], 16);
    EXPECT_EQ(b.pixels[3], 0xF800);
    // Half over half: opacity 16 + 16 - 8, colour weighted toward the source.
    EXPECT_EQ(b.alpha[2], 24);
    EXPECT_EQ(b.pixels[2], 0xA00A);
    // Mismatched pictures are left alone.
    Sprite plain;
    plain.load_bitmap(u"pics/walk.bmp", 1);
    plain.make_private();
    std::vector<uint16_t> before = plain.bitmap()->pixels;
    plain.composite(over);
    EXPECT_EQ(plain.bitmap()->pixels, before);
}

TEST_F(SpriteTest, BlittingKeepsFlagsButDropsPixelAlphaWithoutAPlane) {
    Sprite s;
    s.load_bitmap(u"pics/walk.bmp", 1);  // 24 bits: no alpha plane
    std::vector<uint16_t> screen(20 * 20, 0xFFFF);
    BlitTarget target{reinterpret_cast<uint8_t*>(screen.data()), 0, 40};
    BlitView view{Rect{0, 0, 20, 20}, Point{}};
    s.flags = BLT_DYNAMIC | ALPHA_LAYER | ALPHA_PIXEL;
    s.alpha = 32;
    blit_sprite(target, s, view);
    // Dynamic blending and the opaque layer alpha last one call only; the
    // missing alpha plane is remembered.
    EXPECT_EQ(s.flags, BLT_DYNAMIC | ALPHA_LAYER);
    EXPECT_NE(screen[0], 0xFFFF);
}
