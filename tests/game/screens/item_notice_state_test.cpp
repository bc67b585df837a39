// The item notice: its text and icon, the keys that close it, and the
// screen it goes back to.
#include "game/screens/item_notice_state.h"

#include "engine/graphics/sprite_group.h"
#include "tests/game/screens/item_screen_support.h"
#include "tests/game/sound/recorded_sounds.h"

namespace {

class ItemNoticeTest : public ItemScreenTest {
protected:
    ItemNoticeState& notice() { return *static_cast<ItemNoticeState*>(current()); }
    void show(const std::string& back_to, uint32_t item, int32_t amount) {
        ItemNotice& request = g_app->game()->screen_subjects.item_notice;
        request = {back_to, item, amount};
        g_app->game()->switch_state("Item", &request);
    }
};

TEST_F(ItemNoticeTest, TheTextAndIconTellWhatWasTakenOrGiven) {
    start_game();
    const ItemRecord& tonic = item("Minor Tonic");
    struct Case {
        uint32_t item;
        int32_t amount;
        std::string text;
        int32_t icon;
    };
    const Case cases[] = {{0, -150, "You gave 150 gold", ItemNoticeState::kGoldIcon},
                          {0, 25, "You took 25 gold", ItemNoticeState::kGoldIcon},
                          {0, 0, "You gave 0 gold", ItemNoticeState::kGoldIcon},
                          {0, INT32_MIN, "You gave 2147483648 gold", ItemNoticeState::kGoldIcon},
                          {tonic.id, 1, "You took Minor Tonic", tonic.param1},
                          {tonic.id, -1, "You gave Minor Tonic", tonic.param1},
                          {0x7777777, 1, "", 0}};
    for (const Case& c : cases) {
        const ItemNotice n{"Walking", c.item, c.amount};
        EXPECT_EQ(item_notice_text(world(), n), c.text) << c.amount;
        EXPECT_EQ(item_notice_icon(world(), n), c.icon) << c.amount;
    }
}

TEST_F(ItemNoticeTest, OnlyTheActionKeyKey8AndKey11CloseItAndItFadesBackToItsCaller) {
    start_game();
    for (uint32_t closing : {6u, 8u, 11u}) {
        show("Walking", 0, -150);
        ASSERT_EQ(current_name(), "Item");
        ASSERT_NE(notice().group(), nullptr);
        tick(16);
        EXPECT_EQ(notice().group()->group_alpha(), 32);
        for (uint32_t other : {0u, 1u, 2u, 3u, 5u, 9u, 10u}) {
            key(other);
            EXPECT_FALSE(notice().leaving()) << other;
        }
        key(closing);
        EXPECT_TRUE(notice().leaving());
        tick(15);
        EXPECT_EQ(current_name(), "Item");
        tick(2);
        EXPECT_EQ(current_name(), "Walking") << closing;
    }
    // The caller's screen, whichever it was; a tap closes it too.
    show("Menu", item("Minor Tonic").id, 1);
    tap({120, 300});
    tick(20);
    EXPECT_EQ(current_name(), "Menu");
}

// The notice plays no click: neither the keys that close it nor the others,
// nor the pen.
TEST_F(ItemNoticeTest, ClosingItPlaysNoClick) {
    start_game();
    RecordedSounds sounds;
    expect_sounds(sounds, {
        {"the notice shown", [&] { show("Walking", 0, 25); tick(16); }, {}},
        {"a key that does not close it", [&] { key(kKeyDown); }, {}},
        {"the first button closes it", [&] { key(kKeyButton1); }, {}},
        {"the notice shown again", [&] { tick(20); show("Walking", 0, 25); tick(16); }, {}},
        {"the pen closes it", [&] { tap({120, 300}); }, {}},
    });
    EXPECT_TRUE(notice().leaving());
}

// The box stands at the bottom of the map above the HUD's strip, unless a
// talk bubble is there; then above the bubble, where it fits.
TEST(ItemNoticeArea, TheBoxKeepsClearOfATalkBubble) {
    const Size layer{240, 320}, box{220, 52};
    const Rect map{0, 0, 240, 286};
    struct Row {
        const char* what;
        Rect bubble;
        Rect area;
    };
    const Row rows[] = {
        {"no bubble", {}, map},
        {"a bubble at the top", {10, 0, 230, 170}, map},
        {"a bubble low on the map", {10, 145, 230, 300}, {0, 0, 240, 141}},
        {"a bubble just low enough for the box above", {10, 56, 230, 240}, {0, 0, 240, 52}},
        {"a bubble too tall for the box above", {10, 55, 230, 240}, map},
    };
    for (const Row& row : rows) {
        const Rect area = item_notice_area(layer, box, row.bubble);
        EXPECT_EQ(area, row.area) << row.what;
        const Rect box_at{area.left + (area.width() - box.width) / 2, area.bottom - box.height,
                          area.left + (area.width() - box.width) / 2 + box.width, area.bottom};
        if (area != map) {
            EXPECT_FALSE(box_at.intersects(row.bubble)) << row.what;
        }
    }
}

TEST_F(ItemNoticeTest, AnItemNoStoryHasReturnsAtOnceWithoutABox) {
    start_game();
    show("Menu", 0x7777777, 1);
    EXPECT_EQ(current_name(), "Menu");
}

}  // namespace
