#include <gtest/gtest.h>

#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/story/npc_record.h"
#include "game/story/quest.h"
#include "game/story/recipe.h"
#include "game/world/world.h"
#include "record_test_support.h"

namespace {

ItemRecord item_of(int32_t kind, uint16_t value, uint16_t sub_kind = 0, uint16_t count = 1) {
    ItemRecord item;
    item.id = 0x300;
    item.kind = kind;
    item.value = value;
    item.sub_kind = sub_kind;
    item.count = count;
    item.price = 77;
    return round_trip(item);
}

TEST(RoundPrice, StepsOfTheTable) {
    const std::pair<int32_t, int32_t> cases[] = {
        {901, 900}, {949, 900}, {951, 950}, {900, 900}, {451, 450}, {459, 450}, {450, 450},
        {94, 90},   {91, 90},   {90, 90},   {89, 88},   {1, 0},     {-3, -2},   {112, 110},
    };
    for (auto [in, out] : cases) EXPECT_EQ(round_price(in), out) << in;
}

TEST(ItemRecord, PriceFollowsKindValueAndCount) {
    EXPECT_EQ(item_of(kItemWeapon, 10).price, 110);  // 112 rounds down to a multiple of 5
    EXPECT_EQ(item_of(kItemWeapon, 100).price, 1100);
    EXPECT_EQ(item_of(kItemUsable, 40, 2).price, 700);      // (40 x 140) >> 3
    EXPECT_EQ(item_of(kItemUsable, 40, 0, 5).price, 10);    // few uses: (40 x 2) >> 3
    EXPECT_EQ(item_of(kItemUsable, 40, 0, 10).price, 44);   // 45 -> 44
    EXPECT_EQ(item_of(kItemArmour, 2000).price, 10000);     // clamped
}

TEST(ItemRecord, ClampsKindSubKindAndCount) {
    const ItemRecord quest = item_of(9, 50);
    EXPECT_EQ(quest.kind, kItemQuest);
    EXPECT_EQ(quest.value, 0);
    EXPECT_EQ(quest.price, 76);  // the stored 77, rounded

    EXPECT_EQ(item_of(kItemArmour, 1, 0).sub_kind, 1);
    EXPECT_EQ(item_of(kItemShield, 1, 2).sub_kind, 0);
    EXPECT_EQ(item_of(kItemWeapon, 1, 3).sub_kind, 0);
    EXPECT_EQ(item_of(kItemUsable, 1, 5).sub_kind, 5);
    EXPECT_EQ(item_of(kItemUsable, 1, 6).sub_kind, 0);

    EXPECT_EQ(item_of(kItemUsable, 1, 0, 3).count, 5);
    EXPECT_EQ(item_of(kItemUsable, 1, 1, 3).count, 3);
    EXPECT_EQ(item_of(kItemUsable, 1, 0, 99).count, 60);
    EXPECT_EQ(item_of(kItemUsable, 1, 0, 0).count, 1);
    EXPECT_EQ(item_of(kItemUsable, 1, 0, 5000).count, 1000);
    EXPECT_EQ(item_of(0, 1).kind, kItemWeapon);
}

TEST(ItemRecord, NullTextsTakeTheirDefaults) {
    // An item record written by hand with null texts.
    Archive nulls;
    nulls.open_write_memory();
    nulls.write_begin("M_ITEM", 1);
    for (int i = 0; i < 3; ++i) nulls.write_u32("n", 0);
    nulls.write_string("Name", "Gem");
    nulls.write_string("Text2", nullptr);
    for (int i = 0; i < 3; ++i) nulls.write_u32("n", 0);
    nulls.write_string("Text3", nullptr);
    for (int i = 0; i < 8; ++i) nulls.write_u16("n", 0);
    nulls.write_u32("Kind", 1);
    nulls.write_string("Text4", nullptr);
    nulls.write_u16("Priceless", 0);
    ItemRecord read;
    read_back(nulls.written(), read);
    EXPECT_EQ(read.name, "Gem");
    EXPECT_EQ(read.text2, " ");
    EXPECT_EQ(read.text3, "<");
    EXPECT_EQ(read.text4, "");
}

TEST(ItemGroup, PricelessGroupZeroesEveryPrice) {
    ItemGroup group;
    group.id = 0x200;
    group.name = "Relics";
    group.priceless = 1;
    for (uint16_t v : {10, 100}) {
        auto item = std::make_unique<ItemRecord>();
        item->id = 0x201 + v;
        item->kind = kItemWeapon;
        item->value = v;
        group.items.push_back(std::move(item));
    }
    const ItemGroup read = round_trip(group);
    ASSERT_EQ(read.items.size(), 2u);
    for (const auto& item : read.items) {
        EXPECT_EQ(item->price, 0);
        EXPECT_EQ(item->priceless, 1);
    }
    group.priceless = 0;
    EXPECT_EQ(round_trip(group).items[1]->price, 1100);
}

TEST(ItemStatText, LinesByGroupKind) {
    ItemRecord sword = item_of(kItemWeapon, 12, 1, 30);
    EXPECT_EQ(item_stat_text(sword, kItemWeapon, 0), "Att: 12   Type: Prcg   Usg: 30");
    EXPECT_EQ(item_stat_text(sword, kItemWeapon, 7), "Att: 12   Type: Prcg   Usg: 7");
    ItemRecord wand = item_of(kItemWand, 5, 2, 10);
    wand.aim = 4;
    EXPECT_EQ(item_stat_text(wand, kItemWand, 0), "Eff: 5   Type: Water   Aim: 4   Usg: 10");
    EXPECT_EQ(item_stat_text(item_of(kItemUsable, 8, 0, 10), kItemUsable, 0), "Eff: +8   Usg: 10");
    EXPECT_EQ(item_stat_text(item_of(kItemShield, 2), kItemShield, 0), "Def: +2   Usg: 1");
    EXPECT_EQ(item_stat_text(item_of(kItemQuest, 2), kItemQuest, 0), " ");
    // A usable item's sub-kind 5 shown in a weapon group has no name.
    EXPECT_EQ(item_stat_text(item_of(kItemUsable, 3, 5, 10), kItemWeapon, 0), "Att: 3   Type: ?   Usg: 10");
}

MonsterRecord sample_monster() {
    MonsterRecord m;
    m.id = 0x400;
    m.name = "Bog Lurker";
    m.stance = 1;
    m.body = {1, 2, 3, 4};
    m.map_params = {-1, 200, 3, 4, 250, 6, 7, 8, -9};
    auto reward = std::make_shared<Action>();
    reward->code = 1028;
    reward->a = 5;
    reward->b = 6;
    m.reward_actions.insert(reward, 0);
    m.dexterity = 5;
    m.strength = 6;
    m.knowledge = 7;
    m.defence = 8;
    m.resistance = 9;
    m.hit_points = 40;
    m.level = 3;
    m.attack_kind = 2;
    m.spare_value = 50;
    m.combat_sprite = "cbog.spr";
    m.item_ids = {0x301, 0x302};
    m.item_values = {"a", "b"};
    m.appear_action = "rise";
    m.combat_music = "music/fight.xm";
    m.music_order = 2;
    m.combat_value2 = 30;
    m.fixed_stats = 1;
    m.rank = 3;
    m.monster_class = 2;
    m.physical_weakness = 1;
    m.magic_weakness = 2;
    m.cannot_flee = 1;
    return m;
}

TEST(MonsterRecord, RoundTripKeepsEveryField) {
    const MonsterRecord m = sample_monster();
    const MonsterRecord r = round_trip(m);
    EXPECT_EQ(r.id, m.id);
    EXPECT_EQ(r.name, m.name);
    EXPECT_EQ(r.body, m.body);
    EXPECT_EQ(r.map_params, m.map_params);
    ASSERT_EQ(r.reward_actions.size(), 1u);
    EXPECT_EQ(r.reward_actions.entries()[0].action->code, 1028);
    EXPECT_EQ(r.reward_actions.entries()[0].action->b, 6u);
    EXPECT_EQ(std::tie(r.dexterity, r.strength, r.knowledge, r.defence, r.resistance, r.hit_points, r.level),
              std::tie(m.dexterity, m.strength, m.knowledge, m.defence, m.resistance, m.hit_points, m.level));
    EXPECT_EQ(r.combat_sprite, "combat/monsters/cbog.spr");
    EXPECT_EQ(r.item_ids, m.item_ids);
    EXPECT_EQ(r.item_values, m.item_values);
    EXPECT_EQ(std::tie(r.appear_action, r.combat_music, r.music_order, r.combat_value2),
              std::tie(m.appear_action, m.combat_music, m.music_order, m.combat_value2));
    EXPECT_EQ(std::tie(r.fixed_stats, r.rank, r.monster_class, r.physical_weakness, r.magic_weakness, r.cannot_flee),
              std::tie(m.fixed_stats, m.rank, m.monster_class, m.physical_weakness, m.magic_weakness, m.cannot_flee));
}

TEST(MonsterRecord, ClampsAfterReading) {
    MonsterRecord m = sample_monster();
    m.hit_points = 20000;
    m.level = 0;
    m.knowledge = 20000;
    m.strength = -5;
    m.rank = 9;
    m.monster_class = 6;
    m.magic_weakness = 7;
    m.spare_value = 100001;
    MonsterRecord r = round_trip(m);
    EXPECT_EQ(r.hit_points, 100);
    EXPECT_EQ(r.level, 1);
    EXPECT_EQ(r.knowledge, 0);
    EXPECT_EQ(r.strength, 1);
    EXPECT_EQ(r.rank, 2);
    EXPECT_EQ(r.monster_class, 0);
    EXPECT_EQ(r.magic_weakness, 1);
    EXPECT_EQ(r.spare_value, 1000);
    m.monster_class = 5;
    EXPECT_EQ(round_trip(m).monster_class, 3);
}

TEST(MonsterRecord, CombatSpriteNameDefaultsAndFolders) {
    MonsterRecord m = sample_monster();
    m.combat_sprite = "";
    EXPECT_EQ(round_trip(m).combat_sprite, "combat\\monsters\\barbar.spr");
    m.combat_sprite = "wolf.spr";  // not a combat sprite name
    EXPECT_EQ(round_trip(m).combat_sprite, "combat\\monsters\\barbar.spr");
    m.combat_sprite = "combat/x/cwolf.spr";
    EXPECT_EQ(round_trip(m).combat_sprite, "combat/x/cwolf.spr");
}

TEST(MonsterRecord, ItemValuesMatchTheItems) {
    MonsterRecord m = sample_monster();
    m.item_values = {"only one"};
    EXPECT_EQ(round_trip(m).item_values, (std::vector<std::string>{"", ""}));
    m.item_values = {"a", "b", "c"};
    EXPECT_EQ(round_trip(m).item_values, (std::vector<std::string>{"a", "b"}));
}

TEST(NpcRecord, RoundTripWithTopics) {
    NpcRecord npc;
    npc.id = 0x500;
    npc.name = "Orla Fenwick";
    npc.stance = 6;
    npc.body = {0, 3, 2, 1};
    npc.face = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    NpcTopic topic;
    topic.key = "[main]:shop:Trade#2*";
    topic.reply = "Have a look.";
    topic.chosen_reply = "";
    topic.request = "[main],bye";
    topic.expression.conditions.push_back(Condition{0x83, 0, 0x700, 0});
    auto action = std::make_shared<Action>();
    action->code = 513;
    action->a = 1;
    action->b = 2;
    action->text = "Welcome";
    topic.actions.insert(action, 3);
    topic.hide_flag = 0x701;
    npc.topics.push_back(topic);
    npc.topics.push_back(NpcTopic{});

    const NpcRecord r = round_trip(npc);
    EXPECT_EQ(r.id, npc.id);
    EXPECT_EQ(r.name, npc.name);
    EXPECT_EQ(r.stance, 6);
    EXPECT_EQ(r.body, npc.body);
    EXPECT_EQ(r.face, npc.face);
    ASSERT_EQ(r.topics.size(), 2u);
    const NpcTopic& t = r.topics[0];
    EXPECT_EQ(t.key, topic.key);
    EXPECT_EQ(t.reply, topic.reply);
    EXPECT_EQ(t.request, topic.request);
    EXPECT_EQ(t.expression, topic.expression);
    ASSERT_EQ(t.actions.size(), 1u);
    EXPECT_EQ(t.actions.entries()[0].position, 3);
    EXPECT_EQ(t.actions.entries()[0].action->text, "Welcome");
    EXPECT_EQ(t.hide_flag, 0x701u);
}

TEST(ActionList, EqualPositionsKeepTheirOrder) {
    ActionList list;
    const uint16_t positions[] = {5, 1, 5, 0};
    for (int i = 0; i < 4; ++i) {
        auto a = std::make_shared<Action>();
        a->code = 518;
        a->a = uint32_t(i);
        action_list_insert(list, a, positions[i]);
    }
    ASSERT_EQ(list.size(), 4u);
    const uint32_t order[] = {3, 1, 0, 2};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.entries()[i].action->a, order[i]) << i;
}

TEST(Action, EveryFormRoundTrips) {
    for (uint16_t code : {257, 513, 516, 518, 769, 520, 1541}) {
        Action a;
        a.code = code;
        a.a = 11;
        a.b = 22;
        a.c = 33;
        a.text = "t";
        a.expression.conditions.push_back(Condition{6, 1, 3, 0x00070004});
        const Action r = round_trip(a);
        const ActionForm form = action_form(code);
        EXPECT_EQ(r.a, form == ActionForm::None ? 0u : 11u) << code;
        EXPECT_EQ(r.b, form == ActionForm::None || form == ActionForm::OneNumber ? 0u : 22u) << code;
        EXPECT_EQ(r.c, form == ActionForm::ThreeNumbers ? 33u : 0u) << code;
        EXPECT_EQ(r.text, form == ActionForm::TwoNumbersText ? "t" : "") << code;
        EXPECT_EQ(r.expression.conditions.size(), form == ActionForm::TwoNumbersExpression ? 1u : 0u) << code;
    }
}

TEST(QuestAndRecipes, RoundTrip) {
    Quest q;
    q.id = 0x600;
    q.name = "The Lost Lantern";
    q.text1 = "Find it.";
    q.text2 = "Found.";
    const Quest rq = round_trip(q);
    EXPECT_EQ(std::tie(rq.id, rq.name, rq.text1, rq.text2), std::tie(q.id, q.name, q.text1, q.text2));

    RecipeCategory c;
    c.name = "Brews";
    c.value = 3;
    c.items.push_back(RecipeItem{"Tea", "hot", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -11}});
    const RecipeCategory rc = round_trip(c);
    ASSERT_EQ(rc.items.size(), 1u);
    EXPECT_EQ(rc.items[0].values, c.items[0].values);
    EXPECT_EQ(rc.items[0].text2, "hot");
}

}  // namespace
