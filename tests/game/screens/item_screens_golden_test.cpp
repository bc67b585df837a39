// The item screens as the player sees them: the inventory's three pages,
// the drop question, the shop buying and selling, and an item notice over
// the village, each compared with its golden picture.
#include <gtest/gtest.h>

#include "engine/app/frame_loop.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/inventory_state.h"
#include "game/screens/shop_state.h"
#include "tests/game/screens/golden_screen.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

class ItemScreensGoldenTest : public ItemScreenTest {
protected:
    // The demo hero with one of each kind of item, the jerkin worn and the
    // lantern quest open, on the village's map.
    void set_up_hero() {
        start_game();
        g_app->game()->switch_state("Walking", 0);
        for (int i = 0; i < 40; ++i) {
            g_app->game()->update();
            g_app->game()->animate();
        }
        carry_nothing();
        HeroActor& h = hero();
        h.armour = carry("Padded Jerkin");
        for (const char* name : {"Ash Cudgel", "Hunting Knife", "Minor Tonic", "Greater Tonic", "Draught of Vigour",
                                 "Wicker Buckler", "Boiled Leather Coat", "Letter from Hesk"})
            carry(name);
        h.gold = 35;
        h.hit_points = 31;
        h.bonus_strength = 1;
        h.clear_quests();
        h.add_quest(0x6001);
    }
    void shot(const std::string& name) {
        render_frame();
        expect_golden_screen(host.front_buffer(), "items_" + name);
    }
};

TEST_F(ItemScreensGoldenTest, TheInventoryPagesAndTheDropQuestion) {
    set_up_hero();
    g_app->game()->switch_state("Inventory", InventoryState::kOpenStats);
    tick(40);
    shot("stats");
    key(kKeyButton2);
    tick(40);
    shot("items");
    key(kKeyButton2);  // drop the selected tonic?
    tick(2);
    ASSERT_NE(static_cast<InventoryState*>(current())->dialog(), nullptr);
    shot("drop_question");
    key(kKeyButton4);
    tick();
    key(kKeyButton4);
    // (Ticks on the map would start the demo game's story.)
    for (int i = 0; i < 40 && current_name() == "Inventory"; ++i) tick();
    ASSERT_EQ(current_name(), "Walking");
    g_app->game()->switch_state("Inventory", InventoryState::kOpenStats);
    tick(40);
    key(kKeyButton1);
    tick(40);
    shot("quests");
}

TEST_F(ItemScreensGoldenTest, TheShopBuyingAndSelling) {
    set_up_hero();
    ShopRequest& request = g_app->game()->screen_subjects.shop;
    request = {world().get_or_load_npc(0x2002), kItemWeapon, 0, 1};
    g_app->game()->switch_state("Shop", &request);
    tick(40);
    shot("shop_buying");
    key(kKeyButton2);
    tick(40);
    ASSERT_FALSE(static_cast<ShopState*>(current())->buying());
    shot("shop_selling");
}

TEST_F(ItemScreensGoldenTest, AnItemNoticeOverTheMap) {
    set_up_hero();
    ItemNotice& notice = g_app->game()->screen_subjects.item_notice;
    notice = {"Walking", item("Minor Tonic").id, 1};
    g_app->game()->switch_state("Item", &notice);
    tick(20);
    shot("notice");
}

}  // namespace
