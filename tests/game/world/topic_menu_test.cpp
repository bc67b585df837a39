#include "game/world/topic_menu.h"

#include <gtest/gtest.h>

#include "game/world/world.h"

namespace {

TEST(TopicKey, SplitsGroupKeyLabelAndPriority) {
    TopicKey k = split_topic_key("[main]:shop:Trade#2*");
    EXPECT_EQ(k.group, "[main]");
    EXPECT_EQ(k.key, "shop");
    EXPECT_EQ(k.label, "Trade");
    EXPECT_EQ(k.priority, 2);

    k = split_topic_key("[main]:Good day to you");
    EXPECT_EQ(k.group, "[main]");
    EXPECT_EQ(k.key, "");
    EXPECT_EQ(k.label, "Good day to you");
    EXPECT_EQ(k.priority, 0);

    k = split_topic_key("Bye*");
    EXPECT_EQ(k.group, "");
    EXPECT_EQ(k.label, "Bye");

    // The third part is one word, as the format reads it.
    EXPECT_EQ(split_topic_key("[g]:k:two words").label, "two");
}

TEST(TopicRequest, UpToFourWords) {
    EXPECT_EQ(split_topic_request("[main],bye"), (std::vector<std::string>{"[main]", "bye"}));
    EXPECT_EQ(split_topic_request("a,b,c,d,e"), (std::vector<std::string>{"a", "b", "c", "d,e"}));
    EXPECT_EQ(split_topic_request("a,,c"), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(split_topic_request("").empty());
}

struct MenuFixture {
    World world;
    NpcRecord npc;
    FlagRecord flag;

    MenuFixture() { world.register_object(&flag, 0x70); }

    void add(const std::string& key, uint32_t hide_flag = 0) {
        NpcTopic t;
        t.key = key;
        t.hide_flag = hide_flag;
        npc.topics.push_back(t);
    }

    std::vector<TopicMenuEntry> menu(const std::string& request, int pick = 0) {
        return build_topic_menu(npc, world, request, nullptr, [pick] { return pick; });
    }
};

std::vector<std::string> labels(const std::vector<TopicMenuEntry>& menu) {
    std::vector<std::string> out;
    for (const auto& e : menu) out.push_back(e.label);
    return out;
}

TEST(TopicMenu, SameKeyTopicsShareOneEntry) {
    MenuFixture f;
    f.add("[main]:greet:Hello");
    f.add("[main]:greet:Hi");
    f.add("[other]:greet:Yo");
    auto first = f.menu("[main]", 0);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(first[0].topics.size(), 1u);
    EXPECT_EQ(first[0].topics[0], &f.npc.topics[0]);
    auto second = f.menu("[main]", 1);
    EXPECT_EQ(second[0].topics[0], &f.npc.topics[1]);
}

TEST(TopicMenu, LabelWordsMatchWithoutCase) {
    MenuFixture f;
    f.add("Bye");
    f.add("[main]:Welcome");
    EXPECT_EQ(labels(f.menu("bye")), (std::vector<std::string>{"Bye"}));
    EXPECT_EQ(labels(f.menu("[MAIN],bye")), (std::vector<std::string>{"Bye", "Welcome"}));
    EXPECT_TRUE(f.menu("").empty());
}

TEST(TopicMenu, BestPriorityOfAGroupWins) {
    MenuFixture f;
    f.add("[main]:Later#3");
    f.add("[main]:First#1");
    f.add("[main]:Middle#2");
    EXPECT_EQ(labels(f.menu("[main]")), (std::vector<std::string>{"First"}));
}

TEST(TopicMenu, HiddenTopicsAndFailingExpressionsAreLeftOut) {
    MenuFixture f;
    f.add("[main]:Ask about the well", 0x70);
    f.add("[main]:Farewell");
    f.flag.value = 0;
    EXPECT_EQ(f.menu("[main]").size(), 2u);
    f.flag.value = 1;
    EXPECT_EQ(labels(f.menu("[main]")), (std::vector<std::string>{"Farewell"}));

    f.npc.topics[1].expression.conditions.push_back(Condition{7, 0, 0, 0});
    auto none = build_topic_menu(f.npc, f.world, "[main]", [](const Expression& e) { return e.empty(); }, nullptr);
    EXPECT_TRUE(none.empty());
}

TEST(TopicMenu, SortedByLabelBytes) {
    MenuFixture f;
    f.add("[main]:b");
    f.add("[main]:B");
    f.add("[main]:a");
    EXPECT_EQ(labels(f.menu("[main]")), (std::vector<std::string>{"B", "a", "b"}));
}

}  // namespace
