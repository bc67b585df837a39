// The item screens played in a row as a player would: buying, wearing,
// drinking, selling and dropping, then a save and a load; many visits
// leaving the caches as they were; low memory taking the map's sprites
// while a screen is up and giving them back; a notice from a conversation
// going back to it.
#include <gtest/gtest.h>

#include <functional>

#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "game/screens/inventory_state.h"
#include "game/screens/shop_state.h"
#include "game/screens/talking_state.h"
#include "game/story/npc_record.h"
#include "game/world/map_level.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

class ItemScreensFlowTest : public ItemScreenTest {
protected:
    void walk() {
        g_app->game()->switch_state("Walking", 0);
        for (int i = 0; i < 40; ++i) {
            g_app->game()->update();
            if (current()) current()->update();
            g_app->game()->animate();
        }
    }
    void open_shop(uint16_t category, uint32_t buy) {
        ShopRequest& request = g_app->game()->screen_subjects.shop;
        request = {world().get_or_load_npc(0x2002), category, 0, buy};
        g_app->game()->switch_state("Shop", &request);
        tick(33);
    }
    void open_inventory(uintptr_t argument) {
        g_app->game()->switch_state("Inventory", argument);
        tick(33);
    }
    void close() {
        key(kKeyButton4);
        tick(40);
        ASSERT_EQ(current_name(), "Walking");
    }
    // The cell of the current screen's grid that holds the item, tapped.
    template <typename Entries>
    void tap_item(const Entries& cells, const ItemGridView& view, const std::string& name) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (item_name(cells[i]) != name) continue;
            const Point cell = view.layout().cell_origin(int32_t(i));
            const Point grid = view.grid()->position();
            tap({grid.x + cell.x + 16, grid.y + cell.y + 16});
            tick();
            return;
        }
        FAIL() << name << " is not in the grid";
    }
    static std::string item_name(const ItemRecord* item) { return item->name; }
    static std::string item_name(const InventoryEntry* entry) { return entry->item->name; }

    // Gold, items as carried and the worn gear, in one line.
    std::string hero_line(const HeroActor& h) {
        std::string line = "gold " + std::to_string(h.gold) + ";";
        for (const auto& e : h.inventory) line += " " + e->item->name + "/" + std::to_string(e->uses);
        line += "; armour " + (h.armour ? h.armour->item->name.str() : std::string("-"));
        line += "; shield " + (h.shield ? h.shield->item->name.str() : std::string("-"));
        return line;
    }
};

TEST_F(ItemScreensFlowTest, BuyWearDrinkSellAndDropThenSaveAndLoad) {
    start_game();
    walk();
    carry_nothing();
    carry("Ash Cudgel");
    carry("Minor Tonic");
    carry("Wicker Buckler");
    hero().gold = 100;
    hero().hit_points = 10;
    const int32_t coat = item("Boiled Leather Coat").price;

    open_shop(kItemArmour, 1);
    tap_item(static_cast<ShopState*>(current())->buy_cells(), static_cast<ShopState*>(current())->view(),
             "Boiled Leather Coat");
    key(kKeyButton1);
    EXPECT_EQ(hero_line(hero()), "gold " + std::to_string(100 - coat) +
                                     "; Ash Cudgel/1000 Minor Tonic/10 Wicker Buckler/1000 Boiled Leather Coat/1000;"
                                     " armour -; shield -");
    close();

    open_inventory(InventoryState::kOpenArmour);
    auto& inv = *static_cast<InventoryState*>(current());
    tap_item(inv.cell_entries(), inv.view(), "Boiled Leather Coat");
    key(kKeyButton1);
    ASSERT_NE(hero().armour, nullptr);
    EXPECT_EQ(hero().armour->item->name, "Boiled Leather Coat");
    key(kKeyButton3);  // weapons
    key(kKeyButton3);  // wands
    key(kKeyButton3);  // quest items
    key(kKeyButton3);  // usable items
    tap_item(inv.cell_entries(), inv.view(), "Minor Tonic");
    key(kKeyButton1);
    EXPECT_EQ(hero().hit_points, 10 + item("Minor Tonic").value);
    close();

    // Selling the buckler, the last item of the armour tab's shields, and
    // then the coat it wears: the last item sold leaves the page empty.
    open_shop(kItemArmour, 0);
    auto& shop = *static_cast<ShopState*>(current());
    const int32_t gold_before_sales = hero().gold;
    int32_t paid = 0;
    for (const char* name : {"Wicker Buckler", "Boiled Leather Coat"}) {
        tap_item(shop.sell_cells(), shop.view(), name);
        paid += shop.selected_price();
        key(kKeyButton1);
    }
    EXPECT_EQ(current_name(), "Shop");
    EXPECT_TRUE(shop.sell_cells().empty());
    EXPECT_EQ(hero().gold, gold_before_sales + paid);
    EXPECT_EQ(hero().armour, nullptr);
    close();

    // Dropping the tonic after the question.
    open_inventory(InventoryState::kOpenItems);
    tap_item(static_cast<InventoryState*>(current())->cell_entries(), static_cast<InventoryState*>(current())->view(),
             "Minor Tonic");
    key(kKeyButton2);
    tap_control(*static_cast<InventoryState*>(current())->dialog(), u"YES");
    close();
    const std::string expected = "gold " + std::to_string(gold_before_sales + paid) +
                                 "; Ash Cudgel/1000; armour -; shield -";
    EXPECT_EQ(hero_line(hero()), expected);

    // Saved and loaded, the hero is the same.
    const std::string path = save_file("items.dat");
    ASSERT_TRUE(world().save_state(path)) << world().last_error();
    carry("Greater Tonic");
    hero().gold = 1;
    ASSERT_TRUE(g_app->game()->load_game(path));
    EXPECT_EQ(hero_line(hero()), expected);

    // The worn gear too.
    hero().armour = carry("Padded Jerkin");
    ASSERT_TRUE(world().save_state(path));
    ASSERT_TRUE(g_app->game()->load_game(path));
    ASSERT_NE(hero().armour, nullptr);
    EXPECT_EQ(hero().armour->item->name, "Padded Jerkin");
}

// Both screens show their message box over the same rows of the screen;
// the inventory's icons stand in the group of its selection frame, the
// shop's 2 px below it.
TEST_F(ItemScreensFlowTest, BothScreensShowTheMessageBoxAtTheSamePlace) {
    start_game();
    walk();
    carry_nothing();
    carry("Ash Cudgel");
    hero().gold = 0;
    struct Case {
        const char* screen;
        std::function<const ItemGridView&()> show_message;
        int32_t grid_below_frame;
    };
    const Case cases[] = {
        {"Inventory",
         [&]() -> const ItemGridView& {
             open_inventory(InventoryState::kOpenArmour);
             auto& inv = *static_cast<InventoryState*>(current());
             key(kKeyButton3);  // weapons
             tap_item(inv.cell_entries(), inv.view(), "Ash Cudgel");
             key(kKeyButton2);  // "You shouldn't drop it!"
             return inv.view();
         },
         0},
        {"Shop",
         [&]() -> const ItemGridView& {
             open_shop(kItemWeapon, 1);
             auto& shop = *static_cast<ShopState*>(current());
             tap_item(shop.buy_cells(), shop.view(), "Hunting Knife");
             key(kKeyButton1);  // "Sorry. You can't afford it."
             return shop.view();
         },
         2},
    };
    constexpr int32_t kMessageBoxTop = 211;
    for (const Case& c : cases) {
        const ItemGridView& view = c.show_message();
        ASSERT_EQ(current_name(), c.screen);
        ASSERT_NE(view.message_box(), nullptr) << c.screen;
        EXPECT_EQ(view.grid()->position().y + view.message_box()->y, kMessageBoxTop) << c.screen;
        EXPECT_EQ(view.grid()->position().y - view.selection()->position().y, c.grid_below_frame) << c.screen;
        close();
    }
}

TEST_F(ItemScreensFlowTest, FiftyVisitsLeaveTheCachesAsTheyWere) {
    start_game();
    walk();
    const auto visit = [this] {
        open_inventory(InventoryState::kOpenItems);
        key(kKeyButton2);  // a drop question, answered no
        key(kKeyButton4);
        close();
        open_shop(kItemWeapon, 1);
        close();
        purge_resource_caches();
    };
    visit();
    const int32_t bitmaps = g_bitmap_cache->size(), definitions = g_sprite_def_cache->size();
    for (int i = 0; i < 49; ++i) visit();
    EXPECT_EQ(g_bitmap_cache->size(), bitmaps);
    EXPECT_EQ(g_sprite_def_cache->size(), definitions);
}

TEST_F(ItemScreensFlowTest, LowMemoryTakesTheMapsSpritesWhileAScreenIsUpAndGivesThemBack) {
    start_game();
    walk();
    const MapLevel* level = hero().level;
    ASSERT_NE(level, nullptr);
    const auto sprites_on_map = [&] {
        size_t n = hero().sprite() ? 1 : 0;
        for (const Actor* actor : level->actors) n += actor->sprite() ? 1 : 0;
        return n;
    };
    const size_t all = sprites_on_map();
    ASSERT_GT(all, 1u);
    struct Case {
        int32_t free_mb;
        bool released;
    };
    for (const Case c : {Case{5, false}, Case{4, false}, Case{3, true}, Case{2, true}}) {
        g_app->game()->free_memory = [mb = c.free_mb] { return mb; };
        open_inventory(InventoryState::kOpenStats);
        EXPECT_EQ(sprites_on_map(), c.released ? 0u : all) << c.free_mb;
        close();
        EXPECT_EQ(sprites_on_map(), all) << c.free_mb;
    }
}

TEST_F(ItemScreensFlowTest, ANoticeFromATopicGoesBackToTheConversation) {
    start_game();
    walk();
    // Old Hesk hands over his letter from the "Lantern" topic.
    const std::shared_ptr<NpcRecord> hesk = world().get_or_load_npc(0x2003);
    ASSERT_NE(hesk, nullptr);
    g_app->game()->screen_subjects.talk_partner = hesk;
    g_app->game()->switch_state("Talking", hesk.get());
    ASSERT_EQ(current_name(), "Talking");
    auto* talk = static_cast<TalkingState*>(current());
    tick(40);
    // The greeting, then the replies: Lantern.
    for (int i = 0; i < 12 && current_name() == "Talking" && talk->speaker() != TalkingState::kHeroChooses; ++i) {
        key(kKeyAction);
        tick(20);
    }
    ASSERT_EQ(talk->speaker(), TalkingState::kHeroChooses);
    // The replies stand in the order Bye, Lantern.
    key(kKeyDown);
    tick(10);
    ASSERT_EQ(talk->selected_reply(), 1);
    key(kKeyAction);
    for (int i = 0; i < 200 && current_name() == "Talking"; ++i) {
        if (talk->speaker() == TalkingState::kPersonSpeaks) key(kKeyAction);
        tick();
    }
    ASSERT_EQ(current_name(), "Item");
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.return_state, "Talking");
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.item_id, 0x4602u);
    tick(20);
    key(kKeyButton1);
    tick(20);
    EXPECT_EQ(current_name(), "Talking");
    EXPECT_TRUE(hero().has_item(0x4602));
}

}  // namespace
