// The item grid shared by the inventory and the shop: the orders of its
// items, the tabs, the cells a pen picks, the selection's moves between
// cells and pages, and the checks of "layout.ini".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/shell.h"
#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform.h"
#include "game/screens/item_grid.h"
#include "game/story/item_record.h"
#include "tests/support/fatal_report_host.h"
#include "tests/support/scratch_folder.h"

namespace {

struct ItemSpec {
    const char* name;
    int32_t kind;
    uint16_t sub_kind;
    uint16_t value;
};

class ItemGridOrderTest : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<ItemRecord>> items;
    Inventory inventory;

    void carry(const std::vector<ItemSpec>& specs) {
        for (const ItemSpec& s : specs) {
            auto item = std::make_unique<ItemRecord>();
            item->name = s.name;
            item->kind = s.kind;
            item->sub_kind = s.sub_kind;
            item->value = s.value;
            inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{item.get(), 1}));
            items.push_back(std::move(item));
        }
    }
    static std::vector<std::string> names(const std::vector<InventoryEntry*>& entries) {
        std::vector<std::string> out;
        for (const InventoryEntry* e : entries) out.push_back(e->item->name);
        return out;
    }
};

TEST_F(ItemGridOrderTest, InventoryAndSellingOrderTheSameItemsDifferentlyAndKeepTiesAndQuestItemsAsCarried) {
    carry({{"quest b", kItemQuest, 0, 9},
           {"knife", kItemWeapon, 0, 2},
           {"club", kItemWeapon, 2, 1},
           {"spear", kItemWeapon, 1, 4},
           {"quest a", kItemQuest, 3, 1},
           {"tonic 1", kItemUsable, 0, 20},
           {"tonic 2", kItemUsable, 0, 20},
           {"draught", kItemUsable, 2, 2}});
    inventory.push_back(std::make_unique<InventoryEntry>());  // an entry without its item is never listed
    // Sub-kind up, then value down; equal keys keep the carried order.
    EXPECT_EQ(names(inventory_order(inventory)),
              (std::vector<std::string>{"tonic 1", "tonic 2", "knife", "spear", "draught", "club", "quest b", "quest a"}));
    // Value down, then sub-kind down.
    EXPECT_EQ(names(sell_order(inventory)),
              (std::vector<std::string>{"tonic 1", "tonic 2", "spear", "draught", "knife", "club", "quest b", "quest a"}));
}

TEST_F(ItemGridOrderTest, TheBuyListGoesBySubKindThenByValueFromTheHighest) {
    carry({{"b", kItemArmour, 1, 1}, {"a", kItemArmour, 0, 1}, {"c", kItemShield, 0, 3}, {"d", kItemShield, 1, 2}});
    std::vector<ItemRecord*> list;
    for (auto& item : items) list.push_back(item.get());
    sort_buy_list(list);
    std::vector<std::string> got;
    for (const ItemRecord* item : list) got.push_back(item->name);
    EXPECT_EQ(got, (std::vector<std::string>{"c", "a", "d", "b"}));
}

TEST(ItemGridTabs, EachTabHoldsItsKindsAndShopCategoriesMapOntoTabs) {
    struct Case {
        int32_t tab;
        std::vector<int32_t> kinds;
    };
    const Case cases[] = {{kTabUsable, {kItemUsable}},
                          {kTabArmour, {kItemArmour, kItemShield}},
                          {kTabWeapons, {kItemWeapon}},
                          {kTabWands, {kItemWand}},
                          {kTabQuest, {kItemQuest}}};
    for (const Case& c : cases)
        for (int32_t kind = 0; kind <= 7; ++kind) {
            const bool held = std::find(c.kinds.begin(), c.kinds.end(), kind) != c.kinds.end();
            EXPECT_EQ(tab_holds(c.tab, kind), held) << "tab " << c.tab << " kind " << kind;
            EXPECT_TRUE(tab_holds(kTabAll, kind));
        }
    const int32_t tabs[][2] = {{1, kTabWeapons}, {2, kTabWands}, {3, kTabUsable}, {4, kTabArmour},
                               {5, kTabArmour},  {6, kTabQuest}, {0, 0},          {9, 9}};
    for (const auto& [category, tab] : tabs) EXPECT_EQ(tab_of_category(category), tab) << category;
    EXPECT_EQ(inventory_tab_title(kTabWands), "Inventory - Magic Wands");
    const std::pair<std::u16string_view, int32_t> commands[] = {
        {u"*TABWEAPON", kTabWeapons}, {u"*TABWAND", kTabWands}, {u"*TABITEM", kTabUsable},
        {u"*TABARMOR", kTabArmour},   {u"*TABQUEST", kTabQuest}, {u"*TAB", kNoTab}, {u"*USE", kNoTab}};
    for (const auto& [command, tab] : commands) EXPECT_EQ(tab_of_command(command), tab);
    EXPECT_EQ(inventory_tab_title(kTabAll), "Inventory - All");
}

TEST(ItemGridLayoutTest, APenRightOfTheLastColumnPicksNoCellOfTheNextRow) {
    ItemGridLayout layout;
    layout.cell = {32, 34};
    layout.per_row = 7;
    struct Case {
        Point at;
        int32_t cell;
    };
    const Case cases[] = {{{0, 0}, 0},   {{31, 33}, 0},   {{32, 0}, 1},   {{223, 0}, 6}, {{224, 0}, -1},
                          {{228, 40}, -1}, {{0, 34}, 7}, {{100, 110}, 24}, {{-1, 5}, -1}};
    for (const Case& c : cases) EXPECT_EQ(layout.cell_at(c.at), c.cell) << c.at.x << "," << c.at.y;
    EXPECT_EQ(layout.cells_per_page(), 26);
    layout.per_row = 6;
    EXPECT_EQ(layout.cells_per_page(), 18);
}

TEST(ItemGridCursor, KeysMoveBetweenCellsAndTurnPagesAtTheEnds) {
    struct Case {
        const char* what;
        int32_t selected, cells, page_start, items_seen;
        uint32_t key;
        int32_t want_selected, want_page_start;
        CursorMove want;
    };
    // Seven cells a row, 26 a page.
    const Case cases[] = {
        {"next", 3, 26, 0, 27, 1, 4, 0, CursorMove::kCell},
        {"the last cell turns to page 2", 25, 26, 0, 27, 1, 0, 26, CursorMove::kPage},
        {"no page after the last", 25, 26, 0, 26, 1, 25, 0, CursorMove::kNone},
        {"previous", 4, 26, 0, 27, 0, 3, 0, CursorMove::kCell},
        {"cell 0 of page 2 goes to page 1's last cell", 0, 1, 26, 27, 0, 25, 0, CursorMove::kPage},
        {"cell 0 of page 1 stays", 0, 26, 0, 27, 0, 0, 0, CursorMove::kNone},
        {"row down", 2, 26, 0, 26, 3, 9, 0, CursorMove::kCell},
        {"row down to the last cell of a lower row", 20, 23, 0, 23, 3, 22, 0, CursorMove::kCell},
        {"row down on the last row", 22, 26, 0, 26, 3, 22, 0, CursorMove::kNone},
        {"row up", 9, 26, 0, 26, 2, 2, 0, CursorMove::kCell},
        {"row up on the first row", 5, 26, 0, 26, 2, 5, 0, CursorMove::kNone},
        {"no cells", 0, 0, 0, 0, 1, 0, 0, CursorMove::kNone},
        {"other keys", 3, 26, 0, 26, 7, 3, 0, CursorMove::kNone},
    };
    for (const Case& c : cases) {
        GridCursor cursor{c.selected, c.cells, c.page_start, c.items_seen, 26, 7};
        EXPECT_EQ(move_cursor(cursor, c.key), c.want) << c.what;
        EXPECT_EQ(cursor.selected, c.want_selected) << c.what;
        EXPECT_EQ(cursor.page_start, c.want_page_start) << c.what;
    }
}

TEST(ItemGridLayoutTest, AMissingOrZeroCellSizeEndsWithAReportNamingFileSectionAndKey) {
    struct Case {
        const char* text;
        const char* key;  // null: the layout is complete
    };
    const Case cases[] = {
        {"[inv]\nitemx = 8, 32\nitemy = 58, 34\nitemperrow = 7\n", nullptr},
        {"[inv]\nitemx = 8\nitemy = 96\nitemperrow = 6\n", "itemx"},  // no cell sizes at all
        {"[inv]\nitemx = 8, 32\nitemy = 58, 0\nitemperrow = 7\n", "itemy"},
        {"[inv]\nitemx = 8, 32\nitemy = 58, 34\n", "itemperrow"},
        {"[inv]\nitemx = 8, 32\nitemy = 58, 34\nitemperrow = \"seven\"\n", "itemperrow"},
        {"[shop]\nitemx = 8, 32\nitemy = 58, 34\nitemperrow = 7\n", "itemx"},  // another section's values
    };
    for (const Case& c : cases) {
        IniFile file;
        file.parse(c.text);
        const char* missing = missing_grid_size(file, "inv");
        EXPECT_EQ(missing ? std::string(missing) : std::string("none"), c.key ? c.key : "none") << c.text;
    }

    // The report instead of a division by zero.
    const std::string state = make_scratch_folder("item_grid") + "/";
    FatalReportHost host(utf8_to_utf16(state));
    IniFile file;
    file.parse("[inv]\nitemx = 8\nitemy = 96\nitemperrow = 6\n");
    EXPECT_EQ(exit_code_of([&] { read_item_grid_layout(file, "inv"); }), 1);
    ASSERT_EQ(host.message_boxes().size(), 1u);
    const std::string& text = host.message_boxes()[0].text;
    EXPECT_NE(text.find("layout.ini"), std::string::npos) << text;
    EXPECT_NE(text.find("[inv]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"itemx\""), std::string::npos) << text;
    std::filesystem::remove_all(state);
}

}  // namespace
