// The shop: what a level-1 hero is offered, the prices paid, buying with
// too little gold or a full pack, selling down to the last item, switching
// between buying and selling, and paging.
#include "game/screens/shop_state.h"

#include <algorithm>

#include "engine/graphics/sprite_group.h"
#include "game/screens/story_state.h"
#include "game/story/npc_record.h"
#include "tests/game/screens/item_screen_support.h"
#include "tests/game/sound/recorded_sounds.h"

namespace {

constexpr uint32_t kDunstan = 0x2002;

class ShopTest : public ItemScreenTest {
protected:
    ShopState& shop() { return *static_cast<ShopState*>(current()); }

    // The shop as Dunstan's topics open it: category, buy flag.
    void open(uint16_t category, uint32_t buy) {
        ShopRequest& request = g_app->game()->screen_subjects.shop;
        request = {world().get_or_load_npc(kDunstan), category, 7, buy};
        ASSERT_NE(request.keeper, nullptr);
        g_app->game()->switch_state("Shop", &request);
        tick(33);
    }
    std::vector<std::string> offered() {
        std::vector<std::string> names;
        for (const ItemRecord* item : shop().buy_cells()) names.push_back(item->name);
        return names;
    }
    std::vector<std::string> for_sale() {
        std::vector<std::string> names;
        for (const InventoryEntry* entry : shop().sell_cells()) names.push_back(entry->item->name);
        return names;
    }
    // The named item tapped in the grid.
    void select(const std::string& name) {
        const std::vector<std::string> names = shop().buying() ? offered() : for_sale();
        const auto found = std::find(names.begin(), names.end(), name);
        ASSERT_NE(found, names.end()) << name;
        const Point cell = shop().view().layout().cell_origin(int32_t(found - names.begin()));
        const Point grid = shop().view().grid()->position();
        tap({grid.x + cell.x + 16, grid.y + cell.y + 16});
        tick();
        ASSERT_EQ(shop().cursor().selected, int32_t(found - names.begin()));
    }
};

TEST_F(ShopTest, ALevelOneHeroIsOfferedWhatSuitsHimAndArmourShopsSellShields) {
    start_game();
    hero().level_number = 1;
    world().difficulty = 1;
    hero().gold = 120000;
    struct Case {
        uint16_t category;
        std::vector<std::string> offered;
        std::string title;
    };
    const Case cases[] = {
        {kItemWeapon, {"Ash Cudgel", "Hunting Knife"}, "Buy Weapons"},
        {kItemArmour, {"Boiled Leather Coat", "Oak Roundshield", "Padded Jerkin", "Wicker Buckler"}, "Buy Armor"},
        {kItemShield, {"Boiled Leather Coat", "Oak Roundshield", "Padded Jerkin", "Wicker Buckler"}, "Buy Armor"},
    };
    for (const Case& c : cases) {
        open(c.category, 1);
        ASSERT_EQ(current_name(), "Shop");
        EXPECT_TRUE(shop().buying());
        EXPECT_EQ(hero().gold, ShopState::kMaxGold);
        std::vector<std::string> got = offered();
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.offered) << c.category;
        EXPECT_EQ(text(shop().menu(), u"TITLE"), c.title);
        key(kKeyButton4);
        tick(40);
        EXPECT_EQ(current_name(), "Walking");
    }
}

TEST_F(ShopTest, BuyingTakesTheGoldAndGivesTheItemUnlessGoldOrRoomRunsOut) {
    start_game();
    carry_nothing();
    const int32_t price = item("Hunting Knife").price;
    ASSERT_GT(price, 0);
    hero().gold = price - 1;
    open(kItemWeapon, 1);
    select("Hunting Knife");
    EXPECT_EQ(text(shop().menu(), u"NAME"), "Hunting Knife - " + std::to_string(price) + " gold");
    press(kKeyButton1);
    EXPECT_EQ(shop().message(), "Sorry.\n You can't afford it.");
    EXPECT_EQ(hero().gold, price - 1);
    EXPECT_TRUE(hero().inventory.empty());

    hero().gold = price + 5;
    press(kKeyButton1);
    EXPECT_EQ(shop().message(), "You bought\nHunting Knife.");
    EXPECT_EQ(hero().gold, 5);
    EXPECT_EQ(count_of("Hunting Knife"), 1u);

    // A full pack: the gold is kept and nothing is given.
    hero().gold = 1000;
    while (hero().inventory.size() < HeroActor::kMaxItems) carry("Minor Tonic");
    select("Hunting Knife");
    press(kKeyButton1);
    EXPECT_EQ(shop().message(), "You can't carry more.");
    EXPECT_EQ(hero().gold, 1000);
    EXPECT_EQ(count_of("Hunting Knife"), 1u);
}

TEST_F(ShopTest, TheShopPaysSixtyPercentInItsCategoryFortyOtherwiseAndQuestItemsInFull) {
    start_game();
    carry_nothing();
    // Priced items with a price of their own, so that the shares show.
    item("Boiled Leather Coat").price = 100;
    item("Oak Roundshield").price = 50;
    item("Letter from Hesk").price = 30;
    item("Letter from Hesk").flag2 = 0;
    carry("Boiled Leather Coat");
    carry("Oak Roundshield");
    InventoryEntry* letter = carry("Letter from Hesk");
    carry("Marta's Lantern");  // price 0: never listed
    InventoryEntry* tagged = carry("Hunting Knife");
    tagged->item->flag2 = 1;  // flag 2: never listed
    open(kItemArmour, 0);
    ASSERT_EQ(current_name(), "Shop");
    EXPECT_FALSE(shop().buying());
    EXPECT_EQ(shop().tab(), kTabArmour);
    EXPECT_EQ(for_sale(), (std::vector<std::string>{"Boiled Leather Coat", "Oak Roundshield"}));
    select("Boiled Leather Coat");
    EXPECT_EQ(shop().selected_price(), 60);
    select("Oak Roundshield");
    EXPECT_EQ(shop().selected_price(), 20);
    EXPECT_EQ(shop().sale_price(*letter), 30);
    // The weapons' tab has only the tagged knife: nothing listed.
    press(kKeyButton3);
    EXPECT_EQ(shop().tab(), kTabWeapons);
    EXPECT_TRUE(for_sale().empty());
    EXPECT_EQ(text(shop().menu(), u"TITLE"), "Inventory - Weapons");
    press(kKeyButton3);
    EXPECT_EQ(shop().tab(), kTabWands);
    press(kKeyButton3);
    EXPECT_EQ(for_sale(), (std::vector<std::string>{"Letter from Hesk"}));
}

// Selling the last item of a page: on a later page the list turns back to
// the page before; with nothing else to sell the empty page stays up and
// selling again does nothing. The worn jerkin is the first carried.
TEST_F(ShopTest, SellingThePagesLastItemTurnsBackOrLeavesTheEmptyPageUp) {
    start_game();
    struct Case {
        int carried;
        int32_t page_start, cells;
        bool name_blank;
    };
    const Case cases[] = {{1, 0, 0, true}, {27, 0, 26, false}};
    for (const Case& c : cases) {
        carry_nothing();
        hero().armour = carry("Padded Jerkin");
        for (int i = 1; i < c.carried; ++i) carry("Padded Jerkin");
        const int32_t gold = hero().gold;
        open(kItemArmour, 0);
        ASSERT_EQ(current_name(), "Shop") << c.carried;
        if (shop().cursor().has_next_page()) {
            tick(2);
            tap_control(*shop().menu(), u"rightbutton");
            ASSERT_EQ(shop().cursor().cells, 1) << c.carried;
        }
        const int32_t price = shop().selected_price();
        press(kKeyButton1);
        EXPECT_EQ(current_name(), "Shop");
        EXPECT_EQ(shop().message(), "You sold\nPadded Jerkin");
        EXPECT_EQ(hero().gold, gold + price);
        EXPECT_EQ(count_of("Padded Jerkin"), size_t(c.carried - 1));
        EXPECT_EQ(hero().armour != nullptr, c.carried > 1) << c.carried;
        EXPECT_EQ(shop().cursor().page_start, c.page_start) << c.carried;
        EXPECT_EQ(shop().cursor().cells, c.cells) << c.carried;
        EXPECT_EQ(text(shop().menu(), u"NAME") == " ", c.name_blank) << c.carried;
        if (c.cells == 0) {
            press(kKeyButton1);
            EXPECT_EQ(hero().gold, gold + price);
        }
        // The shop fades out as usual.
        key(kKeyButton4);
        tick(40);
        EXPECT_EQ(current_name(), "Walking") << c.carried;
    }
}

// Every key press and every pen down clicks before anything else, while
// the shop fades out too.
TEST_F(ShopTest, EveryKeyPressAndPenDownClicksTheFadeOutToo) {
    start_game();
    carry_nothing();
    hero().gold = 1000;
    open(kItemWeapon, 1);
    ASSERT_EQ(current_name(), "Shop");
    RecordedSounds sounds;
    expect_sounds(sounds, {
        {"a key", [&] { press(kKeyRight); }, {kClick}},
        {"the pen on a cell", [&] { select(offered().front()); }, {kClick}},
        {"the buying key", [&] { press(kKeyButton1); }, {kClick, "sfx\\coins.wav"}},
        {"a key released alone", [&] { current()->on_key(kKeyRelease, kKeyRight, 0); }, {}},
        {"the fourth button fades out", [&] { press(kKeyButton4); }, {kClick}},
        {"a key during the fade-out", [&] { key(kKeyRight); }, {kClick}},
        {"the pen during the fade-out", [&] { tap({10, 10}); }, {kClick}},
    });
    EXPECT_FALSE(hero().inventory.empty());
    EXPECT_TRUE(shop().leaving());
}

TEST_F(ShopTest, BuySellAlternatesBetweenBuyingAndSellingFromEveryStoryFlag) {
    start_game();
    carry_nothing();
    carry("Ash Cudgel");
    struct Case {
        uint32_t flag;
        bool buying_after;
        uint32_t flag_after;
    };
    const Case cases[] = {{1, false, ShopState::kSelling}, {2, false, ShopState::kSelling},
                          {0, true, ShopState::kBuyingAgain}, {7, false, ShopState::kSelling}};
    for (const Case& c : cases) {
        open(kItemWeapon, c.flag);
        ASSERT_EQ(current_name(), "Shop");
        press(kKeyButton2);
        ASSERT_EQ(current_name(), "Shop") << c.flag;
        EXPECT_EQ(shop().buying(), c.buying_after) << c.flag;
        EXPECT_EQ(shop().request().third, c.flag_after) << c.flag;
        EXPECT_EQ(shop().request().second, 7) << "the extra value is handed on";
        EXPECT_EQ(text(shop().menu(), u"TITLE"), c.buying_after ? "Buy Weapons" : "Inventory - Weapons");
        // Both pages light the weapons' tab, and only it.
        for (const char16_t* flag : {u"TabWeapon", u"TabWand", u"TabItem", u"TabArmor", u"TabQuest"})
            EXPECT_EQ(shop().menu()->get_var(flag), flag == std::u16string_view(u"TabWeapon") ? 1 : 0) << c.flag;
    }
}

TEST_F(ShopTest, NothingToSellIsToldByTheShopsCategoryAndLeavesToTheMap) {
    start_game();
    carry_nothing();
    struct Case {
        uint16_t category;
        std::string text;
    };
    const Case cases[] = {{kItemWeapon, "You have no weapons to sell."}, {kItemWand, "You have no wand to sell."},
                          {kItemUsable, "You have no magic items to sell."}, {kItemArmour, "You have no armor to sell."},
                          {kItemShield, "You have no shield to sell."}, {kItemQuest, "You have no items to sell."},
                          {kItemQuest + 3, "You have nothing to sell."}};
    for (const Case& c : cases) {
        EXPECT_EQ(nothing_to_sell_text(c.category), c.text);
        open(c.category, 0);
        EXPECT_EQ(g_app->game()->screen_subjects.story_text, c.text);
        // Told on a story page, which leaves to the map.
        ASSERT_EQ(current_name(), "Story") << c.category;
        EXPECT_EQ(static_cast<StoryState*>(current())->text(), c.text);
        key(kKeyAction);
        for (int i = 0; i < 40 && current_name() == "Story"; ++i) current()->animate();
        EXPECT_EQ(current_name(), "Walking") << c.category;
    }
    // Buying with an empty pack is fine.
    open(kItemWeapon, 1);
    EXPECT_EQ(current_name(), "Shop");
}

TEST_F(ShopTest, TheBuyListPagesWithNothingCarriedAndKeepsItsTitle) {
    start_game();
    carry_nothing();
    // Thirty cheap knives of the weapons' group.
    ItemGroup* weapons = world().item_group_of(item("Hunting Knife").id);
    ASSERT_NE(weapons, nullptr);
    for (int i = 0; i < 30; ++i) {
        const ItemRecord& knife = item("Hunting Knife");
        auto extra = std::make_unique<ItemRecord>();
        extra->id = knife.id;
        extra->kind = knife.kind;
        extra->value = knife.value;
        extra->price = knife.price;
        extra->name = "Knife " + std::to_string(i);
        weapons->items.push_back(std::move(extra));
    }
    open(kItemWeapon, 1);
    EXPECT_EQ(shop().cursor().items_seen, 32);
    EXPECT_EQ(shop().cursor().cells, 26);
    tick(2);
    tap_control(*shop().menu(), u"rightbutton");
    EXPECT_EQ(shop().cursor().page_start, 26);
    EXPECT_EQ(shop().cursor().cells, 6);
    EXPECT_EQ(text(shop().menu(), u"TITLE"), "Buy Weapons");
    EXPECT_EQ(shop().menu()->get_var(u"TabWeapon"), 1);
    tick(2);
    tap_control(*shop().menu(), u"leftbutton");
    EXPECT_EQ(shop().cursor().page_start, 0);
    weapons->items.resize(weapons->items.size() - 30);
}

}  // namespace
