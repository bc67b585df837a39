#include "game/screens/talking_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_page.h"
#include "engine/ui/ui_text.h"
#include "game/screens/item_notice_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/story/npc_record.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"
#include "tests/game/session/demo_game_folder.h"

namespace {

constexpr uint32_t kMira = 0x2F01, kOsk = 0x2F02;
constexpr uint32_t kThistlewood = 0x1102;

std::shared_ptr<Action> action(uint16_t code, uint32_t a = 0, uint32_t b = 0) {
    auto act = std::make_shared<Action>();
    act->code = code;
    act->a = a;
    act->b = b;
    return act;
}

NpcTopic topic(const std::string& key, const std::string& text, const std::string& request = "",
               std::vector<std::shared_ptr<Action>> actions = {}) {
    NpcTopic t;
    t.key = key;
    t.reply = text;
    t.request = request;
    uint16_t position = 0;
    for (auto& act : actions) t.actions.insert(act, position++);
    return t;
}

std::string lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += (i > 1 ? "\n" : "") + std::string("line ") + std::to_string(i);
    return text;
}

// The whole game started headless on the demo data, so that conversations
// run in the game scene with its map layer, queue and screens.
class TalkingTest : public DemoGameFixture {
protected:
    void SetUp() override {
        DemoGameFixture::SetUp();
        ASSERT_EQ(game_startup(), 1);
        for (GameState* state : g_app->game()->states())
            if (state->name() == "Talking") talking = dynamic_cast<TalkingState*>(state);
        ASSERT_NE(talking, nullptr);
        g_app->game()->switch_state("Walking", 0);
        // Stand-ins for the action executor and the portrait composer, doing
        // what those do for the codes these tests use; the real ones come
        // back at the end.
        real_action_runner = TalkingState::action_runner();
        real_portrait_builder = TalkingState::portrait_builder();
        TalkingState::action_runner() = [this](Game& game, const Action& act) {
            ran.push_back(act.code);
            if (act.code == 0x402) game.post_transition(kTransitionFadeOut, kTransitionChangeLevel, act.a, act.b);
            if (act.code == 0x203) game.switch_state("Talking", world().get_npc(act.a));
            if (act.code == 0x207) game.switch_state("Walking", 1);
            if (act.code == 0x103) game.switch_state("Item", 0);
        };
        TalkingState::portrait_builder() = [this](SpriteGroup& group, int32_t x, int32_t y,
                                                  const TalkingState::FaceLayers& face) {
            last_face = face;
            auto* list = new SpriteList;
            Sprite* head = new Sprite;
            head->create_blank(48, 56);
            group.add_sprite(head, x, y, 10, 0, 0, 0);
            list->add(head, 0, 0, 10, 1024);
            return list;
        };
    }
    void TearDown() override {
        TalkingState::action_runner() = real_action_runner;
        TalkingState::portrait_builder() = real_portrait_builder;
        DemoGameFixture::TearDown();
    }

    std::function<void(Game&, const Action&)> real_action_runner;
    TalkingState::PortraitBuilder real_portrait_builder;

    World& world() { return g_app->world; }
    NpcRecord& person(uint32_t id, std::vector<NpcTopic> topics) {
        auto npc = std::make_shared<NpcRecord>();
        npc->name = id == kMira ? "Mira" : "Osk";
        npc->topics = std::move(topics);
        world().register_object(npc.get(), id);
        world().people.push_back(npc);
        return *npc;
    }
    void talk_to(NpcRecord& npc) { g_app->game()->switch_state("Talking", &npc); }
    std::string screen() const { return g_app->game()->current_state() ? g_app->game()->current_state()->name() : ""; }
    // Both ticks of the game scene and of its current screen, as the frame
    // loop runs them.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            g_app->game()->update();
            if (GameState* s = g_app->game()->current_state()) s->update();
            g_app->game()->animate();
            if (GameState* s = g_app->game()->current_state()) s->animate();
        }
    }
    void press(uint32_t key = kKeyAction) { g_app->game()->current_state()->on_key(kKeyPress, key, 0); }
    int bubbles_on_map() const {
        int count = 0;
        const auto& drawables = g_app->game()->first_layer()->drawables();
        for (int32_t i = 0; i < drawables.count(); ++i)
            if (drawables.depth(i) == TalkingState::kBubbleDepth) ++count;
        return count;
    }

    TalkingState* talking = nullptr;
    std::vector<uint16_t> ran;
    TalkingState::FaceLayers last_face{};
};

TEST_F(TalkingTest, SevenLinesMakeOnePageAndEightMakeTwo) {
    NpcRecord& seven = person(kMira, {topic("[main]:Hello", lines(7))});
    talk_to(seven);
    ASSERT_EQ(screen(), "Talking");
    EXPECT_EQ(talking->page_start(), -1);
    ASSERT_NE(talking->page_sprite(), nullptr);
    const int32_t one_page_height = talking->page_sprite()->frame_height;
    g_app->game()->switch_state("Walking", 0);
    EXPECT_EQ(bubbles_on_map(), 0);

    NpcRecord& eight = person(kOsk, {topic("[main]:Hello", lines(8))});
    talk_to(eight);
    const std::string text = lines(8);
    EXPECT_EQ(talking->page_start(), int32_t(text.find("line 8")));
    EXPECT_EQ(talking->page_sprite()->frame_height, one_page_height);
    press();
    EXPECT_EQ(talking->page_start(), -1);
    ASSERT_NE(talking->page_sprite(), nullptr);
    EXPECT_LT(talking->page_sprite()->frame_height, one_page_height);
}

TEST_F(TalkingTest, NoOpeningOrTwoOpeningsReturnToTheMapAtOnce) {
    NpcRecord& silent = person(kMira, {topic("[ask]:Work", "Work.")});
    talk_to(silent);
    EXPECT_EQ(screen(), "Walking");
    NpcRecord& twice = person(kOsk, {topic("[main]:Hello", "Hi."), topic("[main]:Hey", "Hey.")});
    talk_to(twice);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(bubbles_on_map(), 0);
}

TEST_F(TalkingTest, ElevenRepliesKeepTenAndKeysChooseOnceTheHighlightArrived) {
    std::vector<NpcTopic> topics{topic("[main]:Hello", "Ask me.", "[ask]")};
    for (int i = 0; i < 11; ++i) {
        const std::string label = std::string("R") + char('A' + i);
        topics.push_back(topic("[ask]:" + label, "About " + label + "."));
    }
    NpcRecord& npc = person(kMira, topics);
    talk_to(npc);
    press();  // no actions: the replies
    EXPECT_EQ(talking->speaker(), TalkingState::kHeroChooses);
    EXPECT_EQ(talking->reply_count(), TalkingState::kMaxReplies);
    for (int i = 0; i < TalkingState::kMaxReplies; ++i) EXPECT_NE(talking->reply_sprite(i), nullptr);

    // The highlight starts on the first reply, so the first step is taken.
    press(kKeyDown);
    EXPECT_EQ(talking->selected_reply(), 1);
    // It is still sliding: the next step waits.
    press(kKeyDown);
    EXPECT_EQ(talking->selected_reply(), 1);
    tick(40);
    press(kKeyDown);
    EXPECT_EQ(talking->selected_reply(), 2);
    press(kKeyUp);  // sliding again
    EXPECT_EQ(talking->selected_reply(), 2);
    press();
    EXPECT_EQ(talking->speaker(), TalkingState::kPersonSpeaks);
    ASSERT_NE(talking->current_topic(), nullptr);
    EXPECT_EQ(talking->current_topic()->key, "[ask]:RC");
    EXPECT_EQ(talking->reply_count(), 0);
    EXPECT_EQ(talking->highlight()->size(), (Size{0, 0}));
}

TEST_F(TalkingTest, ATopicWithoutActionsOrRepliesFadesOutToTheMap) {
    NpcRecord& npc = person(kMira, {topic("[main]:Bye", "Farewell.")});
    talk_to(npc);
    tick(40);  // faded in
    press();
    EXPECT_TRUE(talking->closing());
    press();  // keys no longer count while the bubble fades
    tick(10);
    EXPECT_EQ(screen(), "Talking");
    // (Ticks on the map would start the demo game's story.)
    for (int i = 0; i < 40 && screen() == "Talking"; ++i) tick();
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(bubbles_on_map(), 0);
}

// A topic whose actions are its last word (no replies after them) closes
// the bubble once they have run, as one without actions does.
TEST_F(TalkingTest, ATopicWithActionsAndNoRepliesFadesOutToTheMapOnceTheyRan) {
    NpcRecord& npc = person(kMira, {topic("[main]:Bye", "Farewell.", "", {action(0x302, 1, 1), action(0x302, 2, 2)})});
    talk_to(npc);
    tick(40);
    press();
    EXPECT_EQ(talking->speaker(), TalkingState::kActionsRun);
    tick(3);
    EXPECT_EQ(ran, (std::vector<uint16_t>{0x302, 0x302}));
    EXPECT_TRUE(talking->closing());
    for (int i = 0; i < 60 && screen() == "Talking"; ++i) tick();
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(bubbles_on_map(), 0);
}

// The bubble overlaps the walk HUD's strip and lets it show through: the
// strip's texts stay empty while the talk lasts, even when an action
// refreshes the status, and come back after it. The name keeps clear of a
// portrait as wide as the demo's faces.
TEST_F(TalkingTest, TheHudTextsGoWhileTheBubbleIsOpenAndTheNameClearsThePortrait) {
    TalkingState::portrait_builder() = [](SpriteGroup& group, int32_t x, int32_t y, const TalkingState::FaceLayers&) {
        auto* list = new SpriteList;
        Sprite* head = new Sprite;
        head->create_blank(64, 64);
        group.add_sprite(head, x, y, 10, 0, 0, 0);
        list->add(head, 0, 0, 10, 1024);
        return list;
    };
    const auto hud_text = [](const char16_t* name) {
        auto* text = dynamic_cast<UiText*>(g_app->game()->hud.menu()->current()->find_control(name));
        return text ? text->title : u"<missing>";
    };
    const std::u16string place = hud_text(u"place"), stats = hud_text(u"stats");
    ASSERT_NE(place, u"");
    ASSERT_NE(stats, u"");
    NpcRecord& npc = person(kMira, {topic("[main]:Bye", "Farewell.")});
    talk_to(npc);
    tick(40);
    g_app->game()->update_hud_status();
    EXPECT_EQ(hud_text(u"place"), u"");
    EXPECT_EQ(hud_text(u"stats"), u"");
    ASSERT_NE(talking->portrait(), nullptr);
    ASSERT_NE(talking->speaker_label(), nullptr);
    EXPECT_GE(talking->speaker_label()->x, talking->portrait()->x + 64 + 7);

    press();
    // (Ticks on the map would start the demo game's story.)
    for (int i = 0; i < 60 && screen() == "Talking"; ++i) tick();
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(hud_text(u"place"), place);
    EXPECT_EQ(hud_text(u"stats"), stats);
}

TEST_F(TalkingTest, ALevelChangeInATopicEndsTheTalkAndItsFadeEndsUnderTheMap) {
    NpcRecord& npc = person(kMira, {topic("[main]:Go", "Off you go.", "",
                                          {action(0x302, 1, 1), action(0x402, kThistlewood, 2 | 3 << 16),
                                           action(0x302, 2, 2)})});
    talk_to(npc);
    tick(40);  // the start's fade in
    press();
    EXPECT_EQ(talking->speaker(), TalkingState::kActionsRun);
    tick();
    tick();
    EXPECT_EQ(ran, (std::vector<uint16_t>{0x302, 0x402}));
    // The conversation ends instead of taking the level change's fade.
    EXPECT_TRUE(talking->closing());
    EXPECT_FALSE(talking->waits_for_screen());
    int ticks = 0;
    while (screen() == "Talking" && ticks < 100) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(bubbles_on_map(), 0);
    tick(40);
    // The fade's end reached the map screen, not lost: it ran the topic's
    // last action and brought the screen back.
    EXPECT_EQ(g_app->game()->main_fade().level(), 0);
    EXPECT_EQ(g_app->game()->transition().pending().type, kTransitionNone);
    EXPECT_FALSE(g_app->game()->transition().has_deferred());
    EXPECT_EQ(g_app->game()->actions().size(), 0u);
}

TEST_F(TalkingTest, AScreenOpenedByATopicComesBackToTheSameBubble) {
    NpcRecord& npc = person(kMira, {topic("[main]:Hello", "Take this.", "[ask]", {action(0x103, 25)}),
                                    topic("[ask]:Thanks", "You are welcome.")});
    talk_to(npc);
    SpriteGroup* bubble = talking->bubble();
    press();
    tick();
    EXPECT_EQ(screen(), "Item");
    EXPECT_TRUE(talking->waits_for_screen());
    EXPECT_EQ(bubbles_on_map(), 1);
    g_app->game()->switch_state("Talking", 0);
    EXPECT_EQ(talking->bubble(), bubble);
    tick();  // the queue is empty: the replies
    EXPECT_EQ(talking->speaker(), TalkingState::kHeroChooses);
    EXPECT_EQ(talking->reply_count(), 1);
}

// The notice of an item a topic gives stands clear of the bubble, low or
// high on the screen, so that the talk's text stays readable under it.
TEST_F(TalkingTest, AnItemNoticeFromATopicCoversNoneOfTheBubble) {
    NpcRecord& npc = person(kMira, {topic("[main]:Hello", "Take this.", "", {action(0x103, 25)})});
    HeroActor& hero = g_app->game()->hero();
    const Point scroll = g_app->game()->ground_group()->offset();
    for (const int32_t screen_y : {60, 150, 250}) {
        SCOPED_TRACE(screen_y);
        hero.x = scroll.x + 100;
        hero.y = scroll.y + screen_y;
        hero.facing = 30;  // down: the bubble's point lies below the hero
        talk_to(npc);
        tick(40);
        press();
        tick();
        ASSERT_EQ(screen(), "Item");
        const auto* notice = static_cast<const ItemNoticeState*>(g_app->game()->current_state());
        const Rect bubble = talking->bubble_area();
        ASSERT_FALSE(bubble.empty());
        EXPECT_FALSE(notice->box_area().empty());
        EXPECT_FALSE(notice->box_area().intersects(bubble));
        // Back to the topic, which ends: the bubble fades out to the map.
        g_app->game()->switch_state("Talking", 0);
        for (int i = 0; i < 200 && screen() == "Talking"; ++i) tick();
        ASSERT_EQ(screen(), "Walking");
    }
}

TEST_F(TalkingTest, ANewConversationFromATopicReplacesTheBubble) {
    NpcRecord& osk = person(kOsk, {topic("[main]:Hello", "I am Osk.")});
    NpcRecord& mira = person(kMira, {topic("[main]:Hello", "Ask Osk.", "", {action(0x203, kOsk)})});
    (void)osk;
    talk_to(mira);
    press();
    tick();
    EXPECT_EQ(screen(), "Talking");
    ASSERT_NE(talking->current_topic(), nullptr);
    EXPECT_EQ(talking->current_topic()->reply, "I am Osk.");
    EXPECT_FALSE(talking->waits_for_screen());
    EXPECT_EQ(bubbles_on_map(), 1);
}

TEST_F(TalkingTest, AWaitInATopicLeavesNoBubbleForTheNextTalk) {
    NpcRecord& mira = person(kMira, {topic("[main]:Hello", "Wait here.", "", {action(0x207, 120)})});
    talk_to(mira);
    press();
    tick();
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(bubbles_on_map(), 0);
    NpcRecord& osk = person(kOsk, {topic("[main]:Hello", "Hello again.")});
    talk_to(osk);
    EXPECT_EQ(talking->current_topic()->reply, "Hello again.");
    EXPECT_EQ(bubbles_on_map(), 1);
}

TEST_F(TalkingTest, ASpeakerNearTheLeftEdgePutsTheBubbleAtTenAndClampsThePointer) {
    HeroActor& hero = g_app->game()->hero();
    hero.x = 0;
    hero.y = 200;
    hero.facing = 0;  // left: the point in front lies off the map's left edge
    NpcRecord& npc = person(kMira, {topic("[main]:Hello", "Hi.")});
    talk_to(npc);
    ASSERT_NE(talking->bubble(), nullptr);
    EXPECT_EQ(talking->bubble()->position().x, 10);
    EXPECT_EQ(talking->pointer_sprite()->x, 25 + 10);
}

TEST_F(TalkingTest, PortraitPartActionsReachTheirLayersAndOthersAreIgnored) {
    // The topic's actions run through the game's own executor, the screen's
    // own choice when no test stands in for it.
    TalkingState::action_runner() = real_action_runner;
    NpcRecord& npc = person(kMira, {topic("[main]:Hello", "Hi.", "",
                                          {action(0x204, TalkingState::kPartHair, 1),
                                           action(0x204, TalkingState::kPartEyes, 2), action(0x204, 0, 3),
                                           action(0x204, 12, 3)})});
    npc.face[kFaceHead] = 3;
    npc.face[kFaceExtra] = 4;
    npc.face[kFaceClothes] = 5;
    talk_to(npc);
    ASSERT_NE(talking->portrait(), nullptr);
    // Composing order: head, tatoo, eyes, eyebrow, mouth, nose, clothes, hair, extra.
    EXPECT_EQ(last_face, (TalkingState::FaceLayers{3, 0, 0, 0, 0, 0, 5, 0, 4}));
    const int32_t sprites = talking->bubble()->sprites().count();
    press();
    ASSERT_EQ(talking->speaker(), TalkingState::kActionsRun);
    tick();
    EXPECT_EQ(last_face, (TalkingState::FaceLayers{3, 0, 0, 0, 0, 0, 5, 1, 4}));
    tick(3);
    EXPECT_EQ(last_face, (TalkingState::FaceLayers{3, 0, 2, 0, 0, 0, 5, 1, 4}));
    ASSERT_NE(talking->portrait(), nullptr);
    EXPECT_EQ(talking->bubble()->sprites().count(), sprites);
}

}  // namespace
