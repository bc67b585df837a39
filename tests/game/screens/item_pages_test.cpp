// What the inventory's item page and the shop's selling page share: tabs
// that stand on the screen in the order the third button (F3) walks them
// (usable items, armour, weapons, wands, quest items, then round to the
// first), and a message box that hides the page's texts under it while it
// shows.
#include <gtest/gtest.h>

#include <functional>

#include "engine/ui/ui_bitmap.h"
#include "game/screens/inventory_state.h"
#include "game/screens/item_grid.h"
#include "game/screens/shop_state.h"
#include "game/story/npc_record.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

constexpr uint32_t kDunstan = 0x2002;

class ItemPagesTest : public ItemScreenTest {
protected:
    struct ItemPage {
        const char* what;
        std::function<void()> open;
        std::function<const UiMenu*()> page;
        std::function<int32_t()> tab;
        std::function<std::string()> message;
    };

    // Both pages opened on the usable items.
    std::vector<ItemPage> item_pages() {
        return {
            {"the item page",
             [&] {
                 g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
                 tick(33);
             },
             [&] { return static_cast<InventoryState*>(current())->menu(); },
             [&] { return static_cast<InventoryState*>(current())->tab(); },
             [&] { return static_cast<InventoryState*>(current())->message(); }},
            {"the shop's selling page",
             [&] {
                 ShopRequest& request = g_app->game()->screen_subjects.shop;
                 request = {world().get_or_load_npc(kDunstan), kItemUsable, 7, 0};
                 g_app->game()->switch_state("Shop", &request);
                 tick(33);
             },
             [&] { return static_cast<ShopState*>(current())->menu(); },
             [&] { return static_cast<ShopState*>(current())->tab(); },
             [&] { return static_cast<ShopState*>(current())->message(); }},
        };
    }

    // The left edge of the tab picture that is lit (its variable is 1);
    // -1 when none or more than one is.
    static int32_t lit_tab_x(const UiMenu* page) {
        int32_t x = -1, lit = 0;
        for (const auto& control : page->current()->controls()) {
            const auto* picture = dynamic_cast<const UiBitmap*>(control.get());
            if (!picture || !picture->phase_cell || cell_value(picture->phase_cell) != 1) continue;
            x = picture->screen_rect().left;
            ++lit;
        }
        return lit == 1 ? x : -1;
    }
};

TEST_F(ItemPagesTest, TheTabsStandLeftToRightInTheOrderKey10WalksThem) {
    start_game();
    const int32_t walk[] = {kTabUsable, kTabArmour, kTabWeapons, kTabWands, kTabQuest};
    for (const ItemPage& screen : item_pages()) {
        SCOPED_TRACE(screen.what);
        screen.open();
        ASSERT_EQ(screen.tab(), kTabUsable);
        int32_t previous_x = -1;
        for (const int32_t expected : walk) {
            EXPECT_EQ(screen.tab(), expected);
            const int32_t x = lit_tab_x(screen.page());
            EXPECT_GT(x, previous_x) << "tab " << expected;
            previous_x = x;
            press(kKeyButton3);
        }
        EXPECT_EQ(screen.tab(), kTabUsable);  // round to the first, the leftmost
    }
}

// A message's box stands over the chosen item's stat line and text: they
// are hidden while it shows (fading, the box would let them through under
// its own text) and shown again once it has gone; the item's name above
// the box stays.
TEST_F(ItemPagesTest, AMessageHidesTheTextsUnderItsBoxTillItHasGone) {
    start_game();
    carry_nothing();
    carry("Minor Tonic");
    hero().hit_points = hero().max_hit_points;
    const struct {
        uint32_t key;
        const char* message;
    } answers[] = {{8, "You are at full Health!"}, {8, "You sold\nMinor Tonic"}};
    const std::vector<ItemPage> pages = item_pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        const ItemPage& screen = pages[i];
        SCOPED_TRACE(screen.what);
        screen.open();
        const UiMenu* page = screen.page();
        const auto shown = [&](std::u16string_view name) {
            const UiControl* control = find_menu_control(page, name);
            return control && control->visible != 0;
        };
        const std::string stat_line = text(page, u"DATA1"), description = text(page, u"DESC");
        EXPECT_NE(description, " ");
        press(answers[i].key);
        ASSERT_EQ(screen.message(), answers[i].message);
        EXPECT_TRUE(shown(u"NAME"));
        EXPECT_FALSE(shown(u"DATA1"));
        EXPECT_FALSE(shown(u"DESC"));
        tick(ItemGridView::kMessageTicks);
        EXPECT_EQ(screen.message(), "");
        EXPECT_TRUE(shown(u"DATA1"));
        EXPECT_TRUE(shown(u"DESC"));
    }
}

}  // namespace
