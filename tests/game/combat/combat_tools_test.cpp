// The quick-item list of a fight: grouping the hero's stacks of one item,
// the order of the groups, wrapped lookups and what happens when an entry
// runs out.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/combat/combat_tools.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"

namespace {

class CombatToolsTest : public ::testing::Test {
protected:
    HeroActor hero{nullptr};
    std::vector<std::unique_ptr<ItemRecord>> items;

    ItemRecord* item(uint32_t id, const std::string& name, int32_t kind, uint16_t value) {
        auto record = std::make_unique<ItemRecord>();
        record->id = id;
        record->name = name;
        record->kind = kind;
        record->value = value;
        items.push_back(std::move(record));
        return items.back().get();
    }
    std::vector<std::string> names(const CombatToolList& list) const {
        std::vector<std::string> out;
        for (int32_t i = 0; i < list.size(); ++i) out.push_back(list.group_at(i)->item()->name);
        return out;
    }
};

TEST_F(CombatToolsTest, EachPageListsItsKindByValueThenByName) {
    ItemRecord* knife = item(1, "Knife", kItemWeapon, 2);
    ItemRecord* spear = item(2, "Spear", kItemWeapon, 4);
    ItemRecord* twig = item(3, "Twig", kItemWand, 3);
    ItemRecord* banana = item(4, "Banana", kItemUsable, 20);
    ItemRecord* apple = item(5, "Apple", kItemUsable, 20);
    ItemRecord* coat = item(6, "Coat", kItemArmour, 9);
    for (ItemRecord* i : {knife, banana, twig, spear, apple, coat}) hero.add_entry(i, 1);

    struct Case {
        int32_t page;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {kWeaponPage, {"Spear", "Knife"}},
        {kMagicPage, {"Twig"}},
        {kUsablePage, {"Apple", "Banana"}},  // equal values: Apple before Banana
        {kNoQuickPage, {}},
        {7, {}},
    };
    CombatToolList list;
    for (const Case& c : cases) {
        list.build(hero, c.page);
        EXPECT_EQ(names(list), c.expected) << "page " << c.page;
    }
}

TEST_F(CombatToolsTest, TwoStacksOfOnePotionFormOneGroupWithTheirSum) {
    ItemRecord* tonic = item(1, "Tonic", kItemUsable, 20);
    InventoryEntry* first = hero.add_entry(tonic, 3);
    hero.add_entry(item(2, "Draught", kItemUsable, 2), 1);
    InventoryEntry* second = hero.add_entry(tonic, 2);
    CombatToolList list;
    list.build(hero, kUsablePage);
    ASSERT_EQ(list.size(), 2);
    const CombatToolGroup* group = list.find(1);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->entries, (std::vector<InventoryEntry*>{first, second}));
    EXPECT_EQ(group->count(), 5);
    EXPECT_EQ(group->rest(), 2);  // the caption's "3+2"
    // The count follows the entries as they are used.
    first->uses = 1;
    EXPECT_EQ(group->count(), 3);
}

TEST_F(CombatToolsTest, LookupsWrapBothWaysAndAnEmptyListHasNoEntry) {
    ItemRecord* a = item(1, "A", kItemWeapon, 3);
    ItemRecord* b = item(2, "B", kItemWeapon, 2);
    ItemRecord* c = item(3, "C", kItemWeapon, 1);
    for (ItemRecord* i : {a, b, c}) hero.add_entry(i, 1);
    CombatToolList list;
    EXPECT_EQ(list.entry_at(0), nullptr);
    EXPECT_EQ(list.entry_at(-7), nullptr);
    EXPECT_EQ(list.group_at(5), nullptr);
    list.build(hero, kWeaponPage);
    struct Case {
        int32_t index;
        int32_t wrapped;
    };
    // -7 is below -count: a stored selection the plain (count + i) % count
    // would leave negative.
    for (const Case& k : std::vector<Case>{{0, 0}, {2, 2}, {3, 0}, {-1, 2}, {-3, 0}, {-7, 2}, {100, 1}}) {
        EXPECT_EQ(list.wrap(k.index), k.wrapped) << k.index;
        EXPECT_EQ(list.entry_at(k.index), list.group_at(k.wrapped)->entries.front()) << k.index;
    }
}

TEST_F(CombatToolsTest, AnEntryThatRanOutLeavesItsGroupAndAnEmptyGroupLeavesTheList) {
    ItemRecord* tonic = item(1, "Tonic", kItemUsable, 20);
    ItemRecord* draught = item(2, "Draught", kItemUsable, 2);
    InventoryEntry* first = hero.add_entry(tonic, 1);
    InventoryEntry* second = hero.add_entry(tonic, 4);
    InventoryEntry* last = hero.add_entry(draught, 1);
    CombatToolList list;
    list.build(hero, kUsablePage);
    // The hero frees a spent entry: the list must let go of it at once.
    hero.current_item = first;
    ASSERT_TRUE(hero.use_up_item(first));
    EXPECT_TRUE(list.drop_entry(first));
    EXPECT_EQ(list.find(1)->entries, std::vector<InventoryEntry*>{second});
    EXPECT_EQ(list.entry_at(list.index_of(1)), second);
    EXPECT_FALSE(list.drop_entry(first));
    EXPECT_TRUE(list.drop_entry(last));
    EXPECT_EQ(list.find(2), nullptr);
    EXPECT_EQ(list.size(), 1);
}

}  // namespace
