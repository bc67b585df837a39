#include "engine/graphics/layer.h"

#include <gtest/gtest.h>

#include "tests/engine/graphics/graphics_test_support.h"

namespace {

constexpr uint16_t kCanary = 0xC0DE;

// A 240 x 320 buffer with a canary border of 16 pixels all round, and a
// target whose (0, 0) is the first pixel inside the border.
struct Screen {
    static constexpr int32_t kBorder = 16;
    static constexpr int32_t kStride = 240 + 2 * kBorder;
    std::vector<uint16_t> memory = std::vector<uint16_t>(size_t(kStride) * (320 + 2 * kBorder), kCanary);

    DrawTarget target() {
        DrawTarget t;
        t.row_pitch = kStride * 2;
        t.buffer = reinterpret_cast<uint8_t*>(memory.data());
        t.surface = {240, 320};
        t.origin = t.offset_of(kBorder, kBorder);
        t.clip = {0, 0, 240, 320};
        return t;
    }
    uint16_t at(int32_t x, int32_t y) const {
        return memory[size_t(y + kBorder) * kStride + size_t(x + kBorder)];
    }
    int canaries_lost() const {
        int lost = 0;
        for (int32_t y = -kBorder; y < 320 + kBorder; ++y)
            for (int32_t x = -kBorder; x < 240 + kBorder; ++x)
                if ((x < 0 || y < 0 || x >= 240 || y >= 320) && at(x, y) != kCanary) ++lost;
        return lost;
    }
};

TEST(Drawable, SettersReportOldAndNewRectangles) {
    Layer layer;
    layer.set_size(240, 320);
    auto* box = new Box;
    layer.add_at(box, 16, 20, 8, 10, 0);
    EXPECT_EQ(box->size(), (Size{0, 0})) << "add_at sizes only drawables that follow the layer";
    box->set_size(8, 10);
    EXPECT_FALSE(layer.region().is_clear());
    layer.clear_dirty();
    box->set_size(8, 10);
    box->set_position(16, 20);
    EXPECT_TRUE(layer.region().is_clear()) << "unchanged values report nothing";

    box->set_position(100, 200);
    EXPECT_TRUE(layer.region().is_marked(2, 2)) << "old rectangle";
    EXPECT_TRUE(layer.region().is_marked(12, 20)) << "new rectangle";
    EXPECT_TRUE(box->is_dirty());
}

TEST(Drawable, OffsetReportsOnlyWithItsFlag) {
    Layer layer;
    layer.set_size(240, 320);
    auto* quiet = new Box(1, 0);
    auto* loud = new Box(2, Drawable::kInvalidateOnOffset);
    layer.add_at(quiet, 0, 0, 0, 0, 0);
    layer.add_at(loud, 0, 0, 0, 0, 0);
    quiet->set_size(40, 40);
    loud->set_size(40, 40);
    layer.clear_dirty();
    quiet->set_offset(3, 4);
    EXPECT_EQ(quiet->offset(), (Point{3, 4}));
    EXPECT_TRUE(layer.region().is_clear());
    loud->set_offset(3, 4);
    EXPECT_EQ(layer.region().area(), 6u * 5u * 80u);
}

TEST(Drawable, WithoutLayerNothingIsReported) {
    Box box;
    box.set_position(5, 6);
    box.set_size(7, 8);
    box.set_visible(false);
    box.invalidate();
    EXPECT_EQ(box.bounds(), (Rect{5, 6, 12, 14}));
    EXPECT_EQ(box.layer(), nullptr);
}

TEST(Layer, FollowersTakeTheLayersSizeAndOffset) {
    Layer layer;
    layer.set_size(100, 50);
    layer.set_offset(7, 9);
    auto* follower = new Box(1, Drawable::kFollowLayerSize | Drawable::kFollowLayerOffset);
    auto* other = new Box(2, 0);
    layer.add(follower, 0);
    layer.add_at(other, 3, 4, 10, 10, 0);
    EXPECT_EQ(follower->size(), (Size{100, 50}));
    EXPECT_EQ(follower->offset(), (Point{7, 9}));
    EXPECT_EQ(other->size(), (Size{0, 0}));
    EXPECT_EQ(other->offset(), (Point{0, 0}));
    layer.set_size(60, 30);
    layer.set_offset(1, 2);
    EXPECT_EQ(follower->size(), (Size{60, 30}));
    EXPECT_EQ(follower->offset(), (Point{1, 2}));
    EXPECT_EQ(other->size(), (Size{0, 0}));
}

TEST(Layer, ChangesReachTheScreenRegionMoved) {
    DirtyRegion screen({0, 0, 240, 320});
    Layer layer;
    layer.set_position(80, 100);
    layer.set_size(100, 100);
    layer.set_screen_region(&screen);
    layer.invalidate_rect({0, 0, 1, 1});
    EXPECT_TRUE(layer.region().is_marked(0, 0));
    EXPECT_TRUE(screen.is_marked(10, 10));
    EXPECT_FALSE(screen.is_marked(0, 0));
}

TEST(Layer, EqualDepthsDrawInInsertionOrder) {
    Screen screen;
    Layer layer;
    layer.set_size(240, 320);
    auto* first = new Box(0x1111);
    auto* second = new Box(0x2222);
    auto* below = new Box(0x3333);
    layer.add_at(first, 0, 0, 0, 0, 5);
    layer.add_at(second, 0, 0, 0, 0, 5);
    layer.add_at(below, 0, 0, 0, 0, 1);
    for (Box* b : {first, second, below}) b->set_size(20, 20);
    layer.draw(screen.target());
    EXPECT_EQ(screen.at(10, 10), second->shade(10, 10));
    EXPECT_EQ(layer.drawables()[0], below);
    EXPECT_EQ(layer.drawables()[2], second);
}

TEST(Layer, RemoveDeletesOnlyItsOwn) {
    Layer layer;
    layer.set_size(240, 320);
    bool deleted = false;
    Box stranger;
    EXPECT_EQ(layer.remove(&stranger), 0);

    auto* box = new Box;
    box->watch_deletion(&deleted);
    layer.add(box, 0);
    layer.clear_dirty();
    EXPECT_EQ(layer.remove(box), 1);
    EXPECT_TRUE(deleted);
    // The whole layer: columns 0..30 (x 0..240) and every row.
    EXPECT_EQ(layer.region().area(), 31u * 32u * 80u);
}

TEST(Layer, UnlinkAndDestructionLeaveQuietly) {
    Layer layer;
    layer.set_size(240, 320);
    auto* box = new Box;
    layer.add(box, 0);
    layer.clear_dirty();
    EXPECT_EQ(layer.unlink(box), 1);
    EXPECT_EQ(box->layer(), nullptr);
    EXPECT_EQ(layer.unlink(box), 0);
    layer.add(box, 0);
    layer.clear_dirty();
    delete box;  // detaches itself
    EXPECT_EQ(layer.drawables().count(), 0);
    EXPECT_TRUE(layer.region().is_clear());

    bool deleted = false;
    {
        Layer owner;
        auto* owned = new Box;
        owned->watch_deletion(&deleted);
        owner.add(owned, 0);
    }
    EXPECT_TRUE(deleted);
}

TEST(Layer, NothingDirtyFlushesButDoesNotDraw) {
    Screen screen;
    Layer layer;
    layer.set_size(240, 320);
    auto* shown = new Box;
    auto* hidden = new Box;
    layer.add_at(shown, 0, 0, 0, 0, 0);
    layer.add_at(hidden, 0, 0, 0, 0, 0);
    shown->set_size(50, 50);
    hidden->set_size(50, 50);
    hidden->set_visible(false);
    layer.clear_dirty();
    layer.draw(screen.target());
    EXPECT_EQ(shown->flushes, 1);
    EXPECT_TRUE(shown->clips.empty());
    EXPECT_EQ(hidden->flushes, 0);

    layer.invalidate_all();
    layer.draw(screen.target());
    EXPECT_FALSE(shown->clips.empty());
    EXPECT_TRUE(hidden->clips.empty()) << "invisible: neither flushed nor drawn";
    EXPECT_EQ(hidden->flushes, 0);
}

TEST(Layer, DrawsOnlyInsideLayerAndBuffer) {
    // Layers hanging off every side of the buffer, each fully dirty.
    for (Point at : {Point{-30, -40}, Point{200, 300}, Point{-500, 0}, Point{100, -10}}) {
        Screen screen;
        Layer layer;
        layer.set_position(at.x, at.y);
        layer.set_size(120, 90);
        auto* box = new Box(0x0F0F, Drawable::kFollowLayerSize);
        layer.add(box, 0);
        layer.draw(screen.target());
        EXPECT_EQ(screen.canaries_lost(), 0) << at.x << "," << at.y;
        for (const Rect& clip : box->clips) {
            EXPECT_TRUE(clip.intersect({0, 0, 120, 90}) == clip);
            EXPECT_TRUE(clip.offset(at).intersect({0, 0, 240, 320}) == clip.offset(at));
        }
        const Rect on_screen = Rect{at.x, at.y, at.x + 120, at.y + 90}.intersect({0, 0, 240, 320});
        if (!on_screen.empty()) {
            EXPECT_EQ(screen.at(on_screen.left, on_screen.top),
                      box->shade(on_screen.left - at.x, on_screen.top - at.y));
        }
    }
}

TEST(Layer, ClipsStayInsideTheDrawable) {
    Screen screen;
    Layer layer;
    layer.set_size(240, 320);
    auto* box = new Box;
    layer.add_at(box, 0, 0, 0, 0, 0);
    box->set_position(13, 17);
    box->set_size(5, 3);
    layer.invalidate_all();
    layer.draw(screen.target());
    ASSERT_FALSE(box->clips.empty());
    for (const Rect& clip : box->clips) EXPECT_EQ(clip.intersect(box->bounds()), clip);
    EXPECT_EQ(screen.at(12, 17), kCanary);
    EXPECT_EQ(screen.at(18, 17), kCanary);
    EXPECT_EQ(screen.at(17, 19), box->shade(17, 19));
}

}  // namespace
