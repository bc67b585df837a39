// The hero's rules: hit points, profile, level-up, items, potions, prices.
#include <gtest/gtest.h>

#include "game_world_support.h"

namespace {

using namespace test_world;

TEST(HeroStats, HitPointsProfileAndZeroAttributes) {
    Built b;
    HeroActor& hero = b.hero();
    hero.init_named(5, 10, 5, 5, 0, 0, u"Aldric the Exceedingly Long-Named Wanderer of the Northern Marches and Beyond, "
                                       u"Keeper of Many Keys and Titles");
    EXPECT_EQ(hero.hit_points, 100);
    EXPECT_EQ(hero.max_hit_points, 100);
    EXPECT_EQ(hero.damage_threshold, 200);
    EXPECT_EQ(hero.name.size(), HeroActor::kMaxNameLength);
    EXPECT_NE(hero.profile, 1);  // d = 50 is not above 50
    hero.init_named(10, 20, 5, 5, 0, 0, u"A");
    EXPECT_EQ(hero.profile, 1);
    EXPECT_EQ(hero.profile_resistance, 2);
    hero.init_named(1, 0, 0, 0, 0, 0, u"Nobody");
    EXPECT_EQ(hero.profile, 0);
    EXPECT_EQ(hero.profile_defence, 0);
}

TEST(HeroStats, LevelUpGrowthSkipsEveryFifthLevel) {
    Built b;
    HeroActor& hero = b.hero();
    hero.init_named(4, 5, 5, 0, 3, 10, u"H");
    hero.experience = 150;
    hero.physical_damage = 1000;
    hero.level_up(1);
    EXPECT_EQ(hero.level_number, 5);
    EXPECT_EQ(hero.dexterity_, 6);
    EXPECT_EQ(hero.defence_, 3);  // level 5: no growth by damage
    EXPECT_EQ(hero.physical_damage, 1000);
    EXPECT_EQ(hero.experience, 50);
    EXPECT_EQ(hero.experience_step, 200);
    EXPECT_EQ(hero.hit_points, 100);
    hero.level_up(2);
    EXPECT_EQ(hero.defence_, 4);
    EXPECT_EQ(hero.physical_damage, 0);
    EXPECT_EQ(hero.damage_threshold, 2 * 115);
    EXPECT_EQ(hero.strength_, 6);
    // Resistance grows while below 3/4 of knowledge + 5.
    hero.resistance_ = 0;
    hero.level_up(4);
    EXPECT_EQ(hero.resistance_, 1);
    EXPECT_EQ(hero.knowledge_, 1);
}

TEST(HeroItems, UsesRunOutButEndlessItemsNever) {
    Built b;
    HeroActor& hero = b.hero();
    ASSERT_TRUE(hero.add_item(kSword));
    ASSERT_TRUE(hero.add_item(kPotion));
    InventoryEntry* sword = hero.inventory[0].get();
    InventoryEntry* potion = hero.inventory[1].get();
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(hero.use_up_item(sword));
    EXPECT_EQ(sword->uses, 1000);
    potion->uses = 1;
    hero.current_item = potion;
    EXPECT_TRUE(hero.use_up_item(potion));
    EXPECT_EQ(hero.inventory.size(), 1u);
    EXPECT_EQ(hero.current_item, nullptr);
    EXPECT_EQ(hero.last_used_up_item, kPotion);
    EXPECT_FALSE(hero.add_item(0x9999));
    while (hero.inventory.size() < HeroActor::kMaxItems) ASSERT_TRUE(hero.add_item(kSword));
    EXPECT_FALSE(hero.add_item(kSword));
}

TEST(HeroItems, PriceUsesSixtyFourBits) {
    Built b;
    HeroActor& hero = b.hero();
    ItemRecord& potion = *b.world.get_item(kPotion);
    potion.price = 100;
    hero.add_entry(&potion, 5);
    EXPECT_EQ(item_price(hero, 0), 50);
    EXPECT_EQ(item_price(hero, 1), -1);
    EXPECT_EQ(item_price(hero, -1), -1);
    ItemRecord& relic = *b.world.get_item(kRelic);
    hero.add_entry(&relic, 1);
    EXPECT_EQ(item_price(hero, 1), 30);
    potion.count = 1;
    potion.price = 10000;
    hero.inventory[0]->uses = 1000;
    EXPECT_EQ(item_price(hero, 0), 10000000);
}

TEST(HeroItems, PotionsGearAndAttacks) {
    Built b;
    HeroActor& hero = b.hero();
    hero.init_named(1, 5, 5, 2, 0, 0, u"H");
    hero.hit_points = 10;
    EXPECT_EQ(hero.best_potion(), nullptr);
    hero.add_item(kPotion);
    hero.inventory[0]->uses = 2;
    hero.drink_potions();
    EXPECT_EQ(hero.hit_points, 40);  // 10 + 20 + 20 capped at 40
    EXPECT_TRUE(hero.inventory.empty());

    hero.add_item(kArmour);
    hero.add_item(kShield);
    hero.armour_lost = true;
    hero.auto_equip();
    EXPECT_EQ(hero.armour, hero.inventory[0].get());
    EXPECT_EQ(hero.shield, nullptr);
    hero.shield = hero.inventory[1].get();
    hero.begin_combat();
    EXPECT_EQ(hero.defence(), 3);

    EXPECT_EQ(hero.can_attack(), 1);
    hero.add_item(kWand);
    hero.current_item = hero.inventory[2].get();
    EXPECT_EQ(hero.can_attack(), 3);  // aim 5 > knowledge 2
    hero.bonus_knowledge = 3;
    EXPECT_EQ(hero.can_attack(), 0);
    EXPECT_EQ(hero.attack_kind(), 0);
    hero.remove_entry(hero.inventory[0].get());
    EXPECT_EQ(hero.armour, nullptr);
}

TEST(HeroItems, FitsTheHerosLevel) {
    Built b;
    HeroActor& hero = b.hero();
    hero.init_named(1, 5, 5, 2, 0, 0, u"H");
    ItemRecord weapon;
    weapon.kind = kItemWeapon;
    for (uint16_t value : {1, 2}) {
        weapon.value = value;
        EXPECT_TRUE(hero.item_fits_level(weapon)) << value;
    }
    weapon.value = 3;
    EXPECT_FALSE(hero.item_fits_level(weapon));
    weapon.value = 0;
    EXPECT_FALSE(hero.item_fits_level(weapon));
    weapon.value = 1;
    weapon.priceless = 1;
    EXPECT_FALSE(hero.item_fits_level(weapon));
    ItemRecord tonic;
    tonic.kind = kItemUsable;
    tonic.value = 20;
    tonic.count = 5;  // M = 40: 13..48
    EXPECT_TRUE(hero.item_fits_level(tonic));
    tonic.value = 50;
    EXPECT_FALSE(hero.item_fits_level(tonic));
}

TEST(HeroQuests, AddOnceAndComplete) {
    Built b;
    HeroActor& hero = b.hero();
    hero.add_quest(kQuest);
    hero.add_quest(kQuest);
    hero.add_quest(0x9999);
    ASSERT_EQ(hero.quests.size(), 1u);
    hero.complete_quest(kQuest);
    EXPECT_EQ(hero.quests[0].done, 1);
}

}  // namespace
