// The inventory: its three pages, the item grid with its tabs and pages,
// using, wearing and dropping items, and the quest log.
#include "game/screens/inventory_state.h"

#include <algorithm>

#include "engine/graphics/sprite_group.h"
#include "game/story/quest.h"
#include "tests/game/screens/item_screen_support.h"
#include "tests/game/sound/recorded_sounds.h"

namespace {

class InventoryTest : public ItemScreenTest {
protected:
    InventoryState& inv() { return *static_cast<InventoryState*>(current()); }

    // Opened as the walk HUD opens it, and faded in.
    void open(uintptr_t argument) {
        g_app->game()->switch_state("Inventory", argument);
        ASSERT_EQ(current_name(), "Inventory");
        tick(33);
    }
    // The item page's tab, and the named item tapped in the grid.
    void select(const std::string& name, int32_t tab) {
        for (int32_t i = 0; i < 6 && inv().tab() != tab; ++i) press(kKeyButton3);
        ASSERT_EQ(inv().tab(), tab);
        const std::vector<InventoryEntry*>& cells = inv().cell_entries();
        const auto found = std::find_if(cells.begin(), cells.end(), [&](auto* e) { return e->item->name == name; });
        ASSERT_NE(found, cells.end()) << name;
        const Point cell = inv().view().layout().cell_origin(int32_t(found - cells.begin()));
        const Point grid = inv().view().grid()->position();
        tap({grid.x + cell.x + 16, grid.y + cell.y + 16});
        tick();
        ASSERT_NE(inv().selected_entry(), nullptr);
        ASSERT_EQ(inv().selected_entry()->item->name, name);
    }
    std::string info(std::u16string_view control) { return text(inv().menu(), control); }
};

TEST_F(InventoryTest, EachOpeningShowsItsPageAndTabAndGoldIsCappedOnEntry) {
    start_game();
    hero().gold = 120000;
    struct Case {
        uintptr_t argument;
        int32_t page, tab;
        std::string title;
    };
    const Case cases[] = {{InventoryState::kOpenStats, InventoryState::kStatsPage, kTabWeapons, "Inventory"},
                          {InventoryState::kOpenItems, InventoryState::kItemPage, kTabUsable, "Inventory - Magic Items"},
                          {InventoryState::kOpenArmour, InventoryState::kItemPage, kTabArmour, "Inventory - Armor"}};
    for (const Case& c : cases) {
        open(c.argument);
        EXPECT_EQ(inv().page(), c.page) << c.argument;
        EXPECT_EQ(inv().tab(), c.tab) << c.argument;
        EXPECT_EQ(text(inv().menu(), u"TITLE"), c.title) << c.argument;
        EXPECT_EQ(hero().gold, InventoryState::kMaxGold);
        // The fourth button fades out to the map.
        press(kKeyButton4);
        EXPECT_TRUE(inv().leaving());
        tick(40);
        EXPECT_EQ(current_name(), "Walking") << c.argument;
    }
}

TEST_F(InventoryTest, TheStatsPageShowsBaseAttributesWithBoostsAndTheWornGear) {
    start_game();
    HeroActor& h = hero();
    h.dexterity_ = 6;
    h.bonus_dexterity = 0;
    h.strength_ = 7;
    h.bonus_strength = 3;
    h.defence_ = 5;
    h.bonus_defence = 0;
    h.hit_points = 12;
    h.max_hit_points = 40;
    h.gold = 35;
    carry_nothing();
    h.armour = carry("Boiled Leather Coat");
    h.shield = carry("Wicker Buckler");
    open(InventoryState::kOpenStats);
    struct Case {
        std::u16string_view control;
        std::string want;
    };
    const Case cases[] = {{u"HTH", "12:40"}, {u"DEX", "6"},        {u"STR", "7+3"},       {u"DEF", "5+2+1"},
                          {u"GOLD", "35"},   {u"ARMORIDX", "1000"}, {u"SHIELDIDX", "1000"}};
    for (const Case& c : cases) EXPECT_EQ(text(inv().menu(), c.control), c.want) << utf16_to_utf8(c.control);
    // The second button turns to the items, the armour tap to the armour tab.
    press(kKeyButton2);
    EXPECT_EQ(inv().page(), InventoryState::kItemPage);
    EXPECT_EQ(inv().tab(), kTabUsable);
}

TEST_F(InventoryTest, UsingItemsHealsDrinksBoostsAndRefusesWhatTheRulesForbid) {
    start_game();
    carry_nothing();
    HeroActor& h = hero();
    h.max_hit_points = 40;
    h.knowledge_ = 4;
    h.combat_knowledge = 0;  // a new game's combat copy
    h.bonus_strength = h.bonus_knowledge = 0;
    carry("Minor Tonic");
    carry("Draught of Vigour");
    carry("Draught of Vigour");
    open(InventoryState::kOpenItems);

    // At full health the tonic is not used up.
    h.hit_points = 40;
    select("Minor Tonic", kTabUsable);
    press(kKeyButton1);
    EXPECT_EQ(inv().message(), "You are at full Health!");
    EXPECT_EQ(h.inventory.front()->uses, 10);
    // Wounded, it heals by its value and loses a use.
    h.hit_points = 10;
    press(kKeyButton1);
    EXPECT_EQ(h.hit_points, 18);
    EXPECT_EQ(inv().message(), "Your Health is now\n18 : 40");
    EXPECT_EQ(count_of("Minor Tonic"), 1u);
    EXPECT_EQ(h.inventory.front()->uses, 9);

    // The first strength draught boosts and is used up; the second is refused and kept.
    select("Draught of Vigour", kTabUsable);
    press(kKeyButton1);
    EXPECT_EQ(h.bonus_strength, 1);
    EXPECT_EQ(inv().message(), "You got +1 Strength\ntill the end of\nnext combat.");
    EXPECT_EQ(count_of("Draught of Vigour"), 1u);
    select("Draught of Vigour", kTabUsable);
    press(kKeyButton1);
    EXPECT_EQ(inv().message(), "You have already used\nsuch potion!");
    EXPECT_EQ(count_of("Draught of Vigour"), 1u);

    // An aim above the hero's own knowledge is refused, whatever the combat copy says.
    item("Minor Tonic").aim = 5;
    h.combat_knowledge = 9;
    select("Minor Tonic", kTabUsable);
    press(kKeyButton1);
    EXPECT_EQ(inv().message(), "You don't know\nhow to use it...");
    EXPECT_EQ(h.inventory.front()->uses, 9);
}

TEST_F(InventoryTest, ArmourGoesOnAndOffAndWeaponsCannotBeUsed) {
    start_game();
    carry_nothing();
    carry("Padded Jerkin");
    carry("Wicker Buckler");
    carry("Ash Cudgel");
    open(InventoryState::kOpenArmour);
    struct Step {
        std::string item;
        int32_t tab;
        std::string message;
        bool armour_worn, shield_held;
    };
    const Step steps[] = {{"Padded Jerkin", kTabArmour, "You put on\nPadded Jerkin.", true, false},
                          {"Wicker Buckler", kTabArmour, "You grabbed\nWicker Buckler.", true, true},
                          {"Padded Jerkin", kTabArmour, "You took off\nPadded Jerkin.", false, true},
                          {"Wicker Buckler", kTabArmour, "You put down\nWicker Buckler.", false, false},
                          {"Ash Cudgel", kTabWeapons, "You cannot use it\nright now!", false, false}};
    for (const Step& s : steps) {
        select(s.item, s.tab);
        tick(ItemGridView::kMessageTicks);  // no message left to block the next use
        press(kKeyButton1);
        EXPECT_EQ(inv().message(), s.message) << s.item;
        EXPECT_EQ(hero().armour != nullptr, s.armour_worn) << s.item;
        EXPECT_EQ(hero().shield != nullptr, s.shield_held) << s.item;
    }
}

TEST_F(InventoryTest, DroppingAsksFirstAndSparesWornAndEndlessItems) {
    start_game();
    carry_nothing();
    item("Padded Jerkin").count = 40;  // armour that wears out: droppable
    hero().armour = carry("Padded Jerkin");
    carry("Ash Cudgel");
    carry("Minor Tonic");
    carry("Greater Tonic");
    open(InventoryState::kOpenItems);

    // Worn armour is only taken off; an endless weapon is never dropped.
    select("Padded Jerkin", kTabArmour);
    press(kKeyButton2);
    EXPECT_EQ(inv().message(), "You took off\nPadded Jerkin.");
    EXPECT_EQ(hero().armour, nullptr);
    EXPECT_EQ(count_of("Padded Jerkin"), 1u);
    EXPECT_EQ(inv().dialog(), nullptr);
    select("Ash Cudgel", kTabWeapons);
    press(kKeyButton2);
    EXPECT_EQ(inv().message(), "You shouldn't drop it!");
    EXPECT_EQ(inv().dialog(), nullptr);

    // "No" keeps the tonic, "Yes" drops it.
    select("Minor Tonic", kTabUsable);
    press(kKeyButton2);
    ASSERT_NE(inv().dialog(), nullptr);
    EXPECT_EQ(text(inv().dialog(), u"question"), "Do you want to drop\nMinor Tonic?");
    tap_control(*inv().dialog(), u"NO");
    EXPECT_EQ(inv().dialog(), nullptr);
    EXPECT_EQ(count_of("Minor Tonic"), 1u);
    select("Minor Tonic", kTabUsable);
    press(kKeyButton2);
    ASSERT_NE(inv().dialog(), nullptr);
    tap_control(*inv().dialog(), u"YES");
    EXPECT_EQ(inv().dialog(), nullptr);
    EXPECT_EQ(count_of("Minor Tonic"), 0u);
    ASSERT_EQ(inv().cell_entries().size(), 1u);
    EXPECT_EQ(inv().cell_entries()[0]->item->name, "Greater Tonic");
    // The fourth button closes the question too, keeping the item.
    press(kKeyButton2);
    ASSERT_NE(inv().dialog(), nullptr);
    key(kKeyButton4);
    EXPECT_EQ(inv().dialog(), nullptr);
    EXPECT_EQ(count_of("Greater Tonic"), 1u);
    EXPECT_EQ(current_name(), "Inventory");
}

// Every key press and every pen down clicks before anything else: over the
// drop question and while the screen fades out too.
TEST_F(InventoryTest, EveryKeyPressAndPenDownClicksOverTheQuestionAndTheFadeOut) {
    start_game();
    carry_nothing();
    carry("Minor Tonic");
    carry("Greater Tonic");
    open(InventoryState::kOpenItems);
    RecordedSounds sounds;
    expect_sounds(sounds, {
        {"a key on the item page", [&] { press(kKeyRight); }, {kClick}},
        {"the pen on a cell", [&] { select("Minor Tonic", kTabUsable); }, {kClick}},
        {"the drop key (the second button)", [&] { press(kKeyButton2); }, {kClick}},
        {"a key over the question", [&] { key(kKeyDown); }, {kClick}},
        {"the pen on \"No\"", [&] { tap_control(*inv().dialog(), u"NO"); }, {kClick}},
        {"the drop key again", [&] { press(kKeyButton2); }, {kClick}},
        {"the pen on \"Yes\" drops it", [&] { tap_control(*inv().dialog(), u"YES"); },
         {kClick, "sfx\\giveitem.wav"}},
        {"a key released alone", [&] { current()->on_key(kKeyRelease, kKeyDown, 0); }, {}},
        {"the fourth button fades out", [&] { press(kKeyButton4); }, {kClick}},
        {"a key during the fade-out", [&] { key(kKeyDown); }, {kClick}},
        {"the pen during the fade-out", [&] { tap({10, 10}); }, {kClick}},
    });
    EXPECT_EQ(count_of("Minor Tonic"), 0u);
    EXPECT_TRUE(inv().leaving());
}

TEST_F(InventoryTest, TwentySevenWeaponsFillTwoPagesAndTheKeysTurnThemAndDroppingTheLastTurnsBack) {
    start_game();
    carry_nothing();
    item("Ash Cudgel").count = 40;  // one that wears out: droppable
    for (int i = 0; i < 27; ++i) carry("Ash Cudgel");
    open(InventoryState::kOpenItems);
    select("Ash Cudgel", kTabWeapons);
    EXPECT_EQ(inv().cursor().cells, 26);
    EXPECT_EQ(inv().cursor().items_seen, 27);
    for (int i = 0; i < 25; ++i) press(kKeyRight);
    EXPECT_EQ(inv().cursor().selected, 25);
    press(kKeyRight);
    EXPECT_EQ(inv().cursor().page_start, 26);
    EXPECT_EQ(inv().cursor().cells, 1);
    EXPECT_EQ(inv().selected_entry(), hero().inventory[26].get());
    press(kKeyLeft);
    EXPECT_EQ(inv().cursor().page_start, 0);
    EXPECT_EQ(inv().cursor().selected, 25);

    // The second page's only weapon dropped: the grid turns back a page.
    press(kKeyRight);
    ASSERT_EQ(inv().cursor().page_start, 26);
    press(kKeyButton2);
    ASSERT_NE(inv().dialog(), nullptr);
    tap_control(*inv().dialog(), u"YES");
    EXPECT_EQ(count_of("Ash Cudgel"), 26u);
    EXPECT_EQ(inv().cursor().page_start, 0);
    EXPECT_EQ(inv().cursor().cells, 26);
}

TEST_F(InventoryTest, AnEmptyTabBlanksEveryInformationTextAndAPenPastTheLastColumnPicksNothing) {
    start_game();
    carry_nothing();
    for (int i = 0; i < 8; ++i) carry("Ash Cudgel");
    open(InventoryState::kOpenItems);
    select("Ash Cudgel", kTabWeapons);
    EXPECT_EQ(info(u"MONEY"), std::to_string(item("Ash Cudgel").price * 6 / 10) + " gold");
    // A pen right of the last column, on the first row, would be cell 7 of
    // the second row by row x 7 + column.
    const SpriteGroup* grid = inv().view().grid();
    const Point origin = grid->position();
    tap({origin.x + 7 * 32 + 2, origin.y + 5});
    EXPECT_EQ(inv().cursor().selected, 0);
    tap({origin.x + 5, origin.y + 34 + 5});
    EXPECT_EQ(inv().cursor().selected, 7);
    tap({origin.x + 32 + 5, origin.y + 34 + 5});  // cell 8: past the items
    EXPECT_EQ(inv().cursor().selected, 7);
    // The wands' tab is empty: name, text, stat line and value all blank.
    press(kKeyButton3);
    ASSERT_EQ(inv().tab(), kTabWands);
    for (const char16_t* control : {u"NAME", u"DESC", u"DATA1", u"MONEY"}) EXPECT_EQ(info(control), " ");
}

TEST_F(InventoryTest, TheQuestPageListsOpenAndDoneQuests) {
    start_game();
    hero().clear_quests();
    hero().add_quest(0x6001);
    open(InventoryState::kOpenStats);
    press(kKeyButton1);
    ASSERT_EQ(inv().page(), InventoryState::kQuestPage);
    ASSERT_EQ(inv().quest_lines().size(), 1u);
    EXPECT_EQ(inv().quest_lines()[0].name, "The Drowned Lantern");
    EXPECT_EQ(text(inv().menu(), u"QUESTDESC"), world().get_quest(0x6001)->text2);
    press(kKeyButton2);  // the done quests: none yet
    EXPECT_TRUE(inv().quest_lines().empty());
    EXPECT_EQ(text(inv().menu(), u"QUESTDESC"), " ");
    hero().complete_quest(0x6001);
    press(kKeyRight);
    EXPECT_EQ(inv().quest_lines().size(), 1u);
    press(kKeyButton4);
    EXPECT_EQ(inv().page(), InventoryState::kStatsPage);
}

}  // namespace
