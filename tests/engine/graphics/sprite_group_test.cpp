// Sprite groups on a layer: draw order and blitter choice, change reports,
// bulk changes, drawing into pictures, hit tests, and dirty-region redraws
// that must equal full redraws.
#include "engine/graphics/sprite_group.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

constexpr int32_t kW = 96, kH = 80;

// A background that paints a fixed pattern wherever it is asked to.
class Pattern : public Drawable {
public:
    Pattern() { flags_ = kFollowLayerSize; }
    void draw(const DrawTarget& t) override {
        for (int32_t y = t.clip.top; y < t.clip.bottom; ++y)
            for (int32_t x = t.clip.left; x < t.clip.right; ++x) *t.pixel16(x, y) = uint16_t(x * 37 + y * 1021);
    }
};

struct Screen {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(size_t(kW) * kH, 0);
    DrawTarget target() {
        return whole_surface_target(pixels.data(), {kW, kH});
    }
    uint16_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * kW + size_t(x)]; }
};

}  // namespace

class SpriteGroupTest : public GraphicsFilesTest {
protected:
    SpriteGroupTest() {
        write("pics/red.bmp", plain_bmp(8, 8, 0xFF0000));
        write("pics/blue.bmp", plain_bmp(8, 8, 0x0000FF));
        write("pics/frames.bmp", plain_bmp(8, 32, 0x00FF00));
        write("red.spr", "bmp = \"pics/red.bmp\"\n");
        write("blue.spr", "bmp = \"pics/blue.bmp\"\n");
        write("frames.spr", "Stripes = 8\nbmp = \"pics/frames.bmp\"\n");
        layer_.set_size(kW, kH);
        layer_.add(new Pattern, 0);
        group_ = new SpriteGroup;
        layer_.add(group_, 1);
        render();
    }

    // One frame: the layer redraws what changed, then forgets it.
    void render() {
        layer_.draw(screen_.target());
        layer_.clear_dirty();
    }

    Layer layer_;
    SpriteGroup* group_ = nullptr;
    Screen screen_;
};

TEST_F(SpriteGroupTest, DrawsByDepthUnsigned) {
    Sprite* red = group_->create_sprite(u"red.spr", 10, 10, -1, 0, 0, 0);
    group_->create_sprite(u"blue.spr", 12, 12, 1000, 0, 0, 0);
    Sprite* first = group_->create_sprite(u"red.spr", 40, 40, 5, 0, 0, 0);
    group_->create_sprite(u"blue.spr", 42, 42, 5, 0, 0, 0);
    render();
    EXPECT_EQ(screen_.at(13, 13), 0xF800);  // depth -1 sorts above 1000
    EXPECT_EQ(screen_.at(43, 43), 0x001F);  // equal depths: later added on top
    // A depth change re-sorts after the sprites of equal depth.
    first->set_position(Sprite::KEEP, Sprite::KEEP, 6);
    first->set_position(Sprite::KEEP, Sprite::KEEP, 5);
    red->set_position(Sprite::KEEP, Sprite::KEEP, 7);
    render();
    EXPECT_EQ(screen_.at(13, 13), 0x001F);
    EXPECT_EQ(screen_.at(43, 43), 0xF800);
}

TEST_F(SpriteGroupTest, SkipsWhatMustNotDraw) {
    Sprite* faded = group_->create_sprite(u"red.spr", 0, 0, 0, 0, ALPHA_LAYER, 0);
    faded->alpha = 0;
    Sprite* zero = group_->create_sprite(u"red.spr", 20, 0, 0, 0, 0, 0);
    zero->alpha = 0;  // no ALPHA_LAYER: opaque all the same
    group_->create_sprite(u"red.spr", 40, 0, 0, 0, RZ_ZOOMED | RZ_HQZOOMED, 0);
    group_->create_sprite(u"red.spr", 60, 0, 0, 0, INVISIBLE, 0);
    render();
    EXPECT_NE(screen_.at(1, 1), 0xF800);
    EXPECT_EQ(screen_.at(21, 1), 0xF800);
    EXPECT_NE(screen_.at(41, 1), 0xF800);
    EXPECT_NE(screen_.at(61, 1), 0xF800);
}

TEST_F(SpriteGroupTest, UnscaledCentredSpritesTakeThePlainBlitter) {
    // The filtered zoom draws only colour-keyed modes; through the plain
    // blitter an unkeyed sprite shows.
    group_->create_sprite(u"red.spr", 20, 20, 0, 0, RZ_HQZOOMED | GRAB_CENTER, 0);
    group_->create_sprite(u"red.spr", 60, 20, 0, 0, RZ_HQZOOMED, 0);
    render();
    EXPECT_EQ(screen_.at(20, 20), 0xF800);
    EXPECT_NE(screen_.at(61, 21), 0xF800);
}

TEST_F(SpriteGroupTest, ReportsOldAndNewRectanglesOnly) {
    Sprite* s = group_->create_sprite(u"red.spr", 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(layer_.region().area(), 0u);  // reported at the flush, not now
    render();
    s->move_by(40, 0);
    EXPECT_GT(layer_.region().area(), 0u);  // the old rectangle
    render();
    EXPECT_EQ(screen_.at(41, 1), 0xF800);
    EXPECT_NE(screen_.at(1, 1), 0xF800);  // the old place was repaired
    // Once the whole group is reported, sprites add nothing more.
    group_->invalidate();
    uint32_t whole = layer_.region().area();
    s->move_by(1, 1);
    EXPECT_EQ(layer_.region().area(), whole);
}

TEST_F(SpriteGroupTest, ClearReportsEachSpriteOrTheWholeGroup) {
    for (int i = 0; i < 19; ++i) group_->create_sprite(u"red.spr", 0, 0, i, 0, 0, 0);
    render();
    group_->clear();
    EXPECT_GT(layer_.region().area(), 0u);
    EXPECT_LT(layer_.region().area(), uint32_t(kW * kH));
    EXPECT_EQ(group_->sprites().count(), 0);
    render();
    for (int i = 0; i < 20; ++i) group_->create_sprite(u"red.spr", 0, 0, i, 0, 0, 0);
    render();
    group_->clear();
    EXPECT_GE(layer_.region().area(), uint32_t(kW * kH));
}

TEST_F(SpriteGroupTest, BulkAlphaFollowsOnlyAutoSprites) {
    Sprite* follows = group_->create_sprite(u"red.spr", 0, 0, 0, 0, ALPHA_AUTO | ALPHA_LAYER, 0);
    Sprite* own = group_->create_sprite(u"red.spr", 0, 0, 0, 0, ALPHA_LAYER, 0);
    group_->set_alpha(30);
    EXPECT_EQ(follows->alpha, 30);
    EXPECT_EQ(own->alpha, 32);
    EXPECT_EQ(group_->add_alpha(8), 1);
    EXPECT_EQ(group_->group_alpha(), 32);
    EXPECT_EQ(follows->alpha, 32);
    EXPECT_EQ(group_->add_alpha(8), 0);
    group_->set_all_flags(TRANS_COLOR);
    EXPECT_TRUE(own->flags & TRANS_COLOR);
    Sprite* framed = group_->create_sprite(u"frames.spr", 0, 0, 0, 2, 0, 0);
    EXPECT_EQ(framed->phase, 2);
    group_->set_sprite_phase(framed, 3);
    EXPECT_EQ(framed->phase, 3);
}

TEST_F(SpriteGroupTest, DrawsIntoPicturesWithinThem) {
    Sprite canvas;
    canvas.create_blank(10, 6);
    group_->create_sprite(u"red.spr", 6, 3, 0, 0, INVISIBLE, 0);  // drawn all the same
    // A rectangle beyond the picture is cut to it (AddressSanitizer checks).
    group_->draw_into_sprite(&canvas, -5, -5, 100, 100);
    const Bitmap& b = *canvas.bitmap();
    EXPECT_EQ(b.pixel(5, 2), 0);
    EXPECT_EQ(b.pixel(6, 3), 0xF800);
    EXPECT_EQ(b.pixel(9, 5), 0xF800);
    Sprite one;
    one.create_blank(4, 4);
    Sprite* blue = group_->create_sprite(u"blue.spr", -2, -2, 0, 0, 0, 0);
    draw_sprite_into_sprite(&one, blue);
    EXPECT_EQ(one.bitmap()->pixel(0, 0), 0x001F);
    EXPECT_EQ(one.bitmap()->pixel(3, 3), 0x001F);
}

TEST_F(SpriteGroupTest, HitTestsFindTheTopmostHit) {
    write("pics/ring.bmp", bmp_file(4, 4, {0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0x00FF00, 0x00FF00, 0xFF00FF,
                                           0xFF00FF, 0x00FF00, 0x00FF00, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF}));
    Sprite* tile = group_->create_bitmap_sprite(u"pics/red.bmp", 100, 100, 0);
    tile->frame_width = 20;
    tile->frame_height = 10;
    tile->flags |= HIT_DIAMOND;
    Sprite* box = group_->create_bitmap_sprite(u"pics/red.bmp", 10, 10, 0);
    box->flags |= HIT_RECT;
    Sprite* ring = group_->create_bitmap_sprite(u"pics/ring.bmp", 10, 10, 0);
    ring->flags |= HIT_RECT | HIT_OPAQUE;
    Sprite* mute = group_->create_bitmap_sprite(u"pics/red.bmp", 10, 10, 0);

    SpriteList list;
    list.add(tile);
    list.add(box);
    list.add(ring);
    list.add(mute);
    EXPECT_EQ(list.hit_test(110, 105, nullptr), tile);
    EXPECT_EQ(list.hit_test(100, 100, nullptr), nullptr);  // corner of the frame, outside the diamond
    EXPECT_EQ(list.hit_test(11, 11, nullptr), ring);       // opaque pixel of the later entry
    EXPECT_EQ(list.hit_test(10, 10, nullptr), box);        // key pixel: falls through
    EXPECT_EQ(list.hit_test(11, 11, ring), box);           // excluded
    EXPECT_EQ(list.hit_test_bounds(11, 11, nullptr), ring);
    EXPECT_EQ(list.hit_test_bounds(10, 10, nullptr), box);
    EXPECT_EQ(list.hit_test_bounds(100, 100, nullptr), tile);  // rectangle only, no diamond
    EXPECT_EQ(list.hit_test(60, 60, nullptr), nullptr);
    list.remove_at(2);
    EXPECT_EQ(list.hit_test(11, 11, nullptr), box);
    group_->remove_list(new SpriteList(list));  // tile, box and mute
    ASSERT_EQ(group_->sprites().count(), 1);
    EXPECT_EQ(group_->sprites()[0], ring);
}

TEST_F(SpriteGroupTest, DirtyRedrawsEqualFullRedraws) {
    write("pics/disc.bmp", bmp_file(9, 27, std::vector<uint32_t>(243, 0x00FF8040)));
    write("disc.spr", "Stripes = 9\nbmp = \"pics/disc.bmp\"\nDefFlags = TRANS_COLOR\n");
    std::mt19937 rng(3);
    std::vector<Sprite*> sprites;
    const uint32_t scalings[] = {0, RZ_ZOOMED, RZ_ROTOZOOMED, RZ_HQZOOMED};
    for (int i = 0; i < 12; ++i) {
        Sprite* s = group_->create_sprite(i % 2 ? u"disc.spr" : u"red.spr", int32_t(rng() % kW), int32_t(rng() % kH),
                                          int32_t(rng() % 5), 0, scalings[i % 4] | (i % 3 ? GRAB_CENTER : 0), 0);
        sprites.push_back(s);
    }
    group_->set_position(3, 4);  // an origin shift, too
    layer_.set_offset(2, 1);
    for (int frame = 0; frame < 120; ++frame) {
        for (int change = 0; change < 4; ++change) {
            Sprite* s = sprites[rng() % sprites.size()];
            switch (rng() % 7) {
                case 0: s->move_by(int32_t(rng() % 21) - 10, int32_t(rng() % 21) - 10); break;
                case 1: s->set_zoom(int32_t(256 + rng() % 3000)); break;
                case 2: s->set_rotation(int32_t(rng() % 0x1680000)); break;
                case 3: s->set_alpha(int32_t(rng() % 33)), s->set_flags(ALPHA_LAYER); break;
                case 4: s->set_phase(int32_t(rng() % 3)); break;
                case 5: s->set_visible(int32_t(rng() % 4)); break;
                case 6: s->set_position(Sprite::KEEP, Sprite::KEEP, int32_t(rng() % 5)); break;
            }
        }
        render();
        Screen full;
        DrawTarget all = full.target();
        layer_.drawables()[0]->draw(all);
        group_->draw(all);
        ASSERT_EQ(screen_.pixels, full.pixels) << "frame " << frame;
    }
}
