#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_page.h"
#include "engine/ui/ui_text.h"
#include "game/screens/walking_game_support.h"
#include "game/screens/walking_rules.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"

namespace {

using namespace demo;

class WalkingTest : public DemoGameTest {
protected:
    void SetUp() override {
        DemoGameTest::SetUp();
        walk_past_the_opening();
    }
};

TEST_F(WalkingTest, ANewGameFiresTheStartTriggerOnItsFirstTicks) {
    // The fixture's ticks ran it: the people of both levels stand in place.
    EXPECT_EQ(world().get_level(kMillbrook)->actors.size(), 4u);
    EXPECT_EQ(world().get_level(kThistlewood)->extra_actors.size(), 1u);
    EXPECT_FALSE(game().hud_mode());
    EXPECT_EQ(game().screen_subjects.story_text.rfind("Millbrook, on the edge of Thistlewood.", 0), 0u);
    EXPECT_EQ(screen_name(), "Walking");
}

TEST_F(WalkingTest, ArrowKeysWalkTheHeroWithCollision) {
    put_hero({4 * 32, 6 * 32});
    hold_keys({kKeyRight, kKeyDown});
    const Point start = hero().position();
    tick(40);
    release_keys();
    const Point moved = hero().position() - start;
    EXPECT_GT(moved.x, 0);
    EXPECT_GE(moved.y, 0);
    // Facing between east (20) and south (30).
    EXPECT_EQ(hero().facing, 25);
    // The held arrows aim 10 pixels along each axis.
    EXPECT_EQ(arrow_step({100, 100}, kHeldRight | kHeldDown), (Point{110, 110}));
    EXPECT_EQ(arrow_step({100, 100}, kHeldLeft | kHeldUp), (Point{90, 90}));
}

TEST_F(WalkingTest, TheLeftEdgeWithoutAnExitHoldsTheHero) {
    put_hero({0, 4 * 32});
    hold_keys({kKeyLeft});
    tick(60);
    EXPECT_GE(hero().x, -16);
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);
    EXPECT_EQ(world().current_level_id(), kMillbrook);
}

TEST(WalkingRules, EdgesAreTestedDownLeftUpRight) {
    MapLevel level;
    level.width = 10;
    level.height = 8;
    for (int edge = 0; edge < 4; ++edge) {
        level.params[2 + edge] = 0x100 + uint32_t(edge);
        level.params[6 + edge] = packed(1, 1);
    }
    // In the bottom-left corner, moving down and left: down wins.
    EXPECT_EQ(edge_crossed(level, {-9, 8 * 32 - 27}, {-19, 8 * 32 - 17}), LevelEdge::Down);
    // Top-left, moving up and left: left wins.
    EXPECT_EQ(edge_crossed(level, {-9, -9}, {-19, -19}), LevelEdge::Left);
    // Top-right, moving up and right: up wins.
    EXPECT_EQ(edge_crossed(level, {10 * 32 - 27, -9}, {10 * 32 - 17, -19}), LevelEdge::Up);
    EXPECT_EQ(edge_crossed(level, {10 * 32 - 27, 50}, {10 * 32 - 17, 50}), LevelEdge::Right);
    // At the limit, or moving away from the edge: nothing.
    EXPECT_FALSE(edge_crossed(level, {-8, 50}, {-18, 50}));
    EXPECT_FALSE(edge_crossed(level, {-9, 50}, {1, 50}));
    // Without an arrival tile the edge has no exit and the next test wins.
    level.params[6 + int(LevelEdge::Down)] = 0;
    EXPECT_EQ(edge_crossed(level, {-9, 8 * 32 - 27}, {-19, 8 * 32 - 17}), LevelEdge::Left);
}

TEST(WalkingRules, LongWalksToTwoAxesMoveOneAxisAtATime) {
    EXPECT_TRUE(walk_axes({5, 5}, 199).x && walk_axes({5, 5}, 199).y);
    EXPECT_TRUE(walk_axes({5, 5}, 200).y && !walk_axes({5, 5}, 200).x);
    EXPECT_TRUE(walk_axes({5, 5}, 500).x && !walk_axes({5, 5}, 500).y);
    EXPECT_TRUE(walk_axes({5, 0}, 900).x);
    int32_t target = 100;
    EXPECT_EQ(approach(50, target, &target), 60);
    EXPECT_EQ(approach(101, target, &target), 101);
    EXPECT_EQ(target, 0);
}

TEST(WalkingRules, ThePenSteersSidewaysUpDownOrAlongItsLine) {
    const Point hero{300, 300};
    EXPECT_EQ(pen_walk_target({230, 160}, hero, {0, 0}), (Point{10000, 300}));
    EXPECT_EQ(pen_walk_target({5, 170}, hero, {0, 0}), (Point{-10000, 300}));
    EXPECT_EQ(pen_walk_target({120, 10}, hero, {0, 0}), (Point{300, -10000}));
    // A diagonal: a hundred times as far as the pen's map point.
    EXPECT_EQ(pen_walk_target({220, 300}, hero, {310, 320}), (Point{100 * 310 - 99 * 300, 100 * 320 - 99 * 300}));
}

TEST_F(WalkingTest, TheRightEdgeLeadsIntoTheWood) {
    put_hero({15 * 32, 5 * 32});
    hold_keys({kKeyRight});
    for (int i = 0; i < 200 && game().transition().pending().type == kTransitionNone; ++i) tick();
    release_keys();
    ASSERT_EQ(game().transition().pending().kind, kTransitionChangeLevel);
    finish_fades();
    EXPECT_EQ(world().current_level_id(), kThistlewood);
    EXPECT_EQ(hero().position(), (Point{0, 4 * 32}));
    EXPECT_EQ(game().main_fade().level(), 0);
}

TEST_F(WalkingTest, TheWoodsLeftEdgeLeadsBackIntoTheVillage) {
    // The way home with the lantern: west out of the wood on its road.
    put_hero({15 * 32, 5 * 32});
    hold_keys({kKeyRight});
    for (int i = 0; i < 200 && game().transition().pending().type == kTransitionNone; ++i) tick();
    release_keys();
    finish_fades();
    ASSERT_EQ(world().current_level_id(), kThistlewood);
    game().actions().clear();
    walking().set_encounter_countdown(100000);
    put_hero({1 * 32, 3 * 32});
    hold_keys({kKeyLeft});
    for (int i = 0; i < 200 && game().transition().pending().type == kTransitionNone; ++i) tick();
    release_keys();
    ASSERT_EQ(game().transition().pending().kind, kTransitionChangeLevel) << hero().x;
    finish_fades();
    EXPECT_EQ(world().current_level_id(), kMillbrook);
    EXPECT_EQ(hero().position(), (Point{15 * 32, 5 * 32}));
}

TEST_F(WalkingTest, AMonsterNineteenPixelsAwayStartsAFightAndTwentyDoNot) {
    run(kActPlaceMonster, kBoar, kMillbrook, packed(8, 6));
    auto& monsters = world().get_level(kMillbrook)->extra_actors;
    ASSERT_EQ(monsters.size(), 1u);
    Actor& boar = *monsters[0];
    boar.behaviour = 11;  // stands still
    put_hero({100, 192});
    boar.place(kMillbrook, 120, 192, -1);
    tick();
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);
    boar.place(kMillbrook, 119, 192, -1);
    tick();
    EXPECT_EQ(game().transition().pending().kind, kTransitionCombat);
    ASSERT_NE(game().screen_subjects.opponent, nullptr);
    EXPECT_EQ(game().screen_subjects.opponent.get(), &boar);
    // The map fades out to white and the fight begins; the monster stays on
    // its level until the fight is over.
    finish_fades();
    EXPECT_EQ(screen_name(), "Combat");
    EXPECT_EQ(monsters.size(), 1u);
    EXPECT_EQ(game().main_fade().level(), 0);
    EXPECT_EQ(game().upper_fade().level(), FadeControl::kDark);
}

TEST_F(WalkingTest, EncountersCountOnlyWhileTheHeroMoves) {
    ASSERT_TRUE(game().teleport(kThistlewood, 4 * 32, 4 * 32, 20));
    start_walking();
    walking().set_encounter_countdown(300);
    tick(20);
    EXPECT_EQ(walking().encounter_countdown(), 300);
    hold_keys({kKeyRight});
    tick(20);
    release_keys();
    EXPECT_LT(walking().encounter_countdown(), 300);
    // Down to the last step: the wood's rats come out.
    walking().set_encounter_countdown(1);
    hold_keys({kKeyRight});
    for (int i = 0; i < 10 && game().transition().pending().type == kTransitionNone; ++i) tick();
    release_keys();
    EXPECT_EQ(game().transition().pending().kind, kTransitionCombat);
    ASSERT_NE(game().screen_subjects.opponent, nullptr);
    EXPECT_TRUE(game().screen_subjects.opponent->encounter);
    EXPECT_GE(walking().encounter_countdown(), 100);
}

TEST_F(WalkingTest, ALongPenPressStopsAndAShortOneWalksToTheTap) {
    put_hero({4 * 32, 6 * 32});
    walking().on_pointer(kPenDown, 200, 60);
    EXPECT_NE(walking().walk_target(), (Point{0, 0}));
    host.sleep_ms(600);
    walking().on_pointer(kPenUp, 200, 60);
    EXPECT_EQ(walking().walk_target(), (Point{0, 0}));

    walking().on_pointer(kPenDown, 200, 60);
    host.sleep_ms(100);
    walking().on_pointer(kPenUp, 200, 60);
    const Point offset = game().object_group()->offset();
    EXPECT_EQ(walking().walk_target(), (Point{200 + offset.x - 16, 60 + offset.y - 16}));
    // Taps on the HUD strip at the bottom do not steer.
    walking().set_walk_target({0, 0});
    walking().on_pointer(kPenDown, 120, 300);
    EXPECT_EQ(walking().walk_target(), (Point{0, 0}));
}

TEST_F(WalkingTest, ARepeatableTriggerDoesNotFireAgainAfterAnotherScreen) {
    // The inn's door (repeatable) sends the hero inside.
    put_hero({7 * 32, 3 * 32 - 10});
    tick();
    ASSERT_EQ(game().actions().size(), 1u);
    game().actions().clear();
    game().switch_state("Walking", WalkingState::kEnterNormal);
    tick(2);
    EXPECT_TRUE(game().actions().empty());
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);
}

TEST_F(WalkingTest, TheChestOpensOnlyByTheActionKey) {
    const int32_t gold = hero().gold;
    // Standing on the chest's tile fires nothing: it wants an action.
    put_hero({32, 32 - 10});
    tick(3);
    EXPECT_EQ(hero().gold, gold);
    // Just below it, facing up: the button shows and the key opens it.
    put_hero({32, 40});
    hero().facing = 10;
    tick();
    ASSERT_TRUE(walking().action_available());
    walking().on_key(kKeyPress, kKeyAction, 0);
    EXPECT_TRUE(walking().action_pending());
    // Two notices, the tonic's and the gold's, each closed by the action key.
    for (int notice = 0; notice < 2; ++notice) {
        for (int i = 0; i < 30 && screen_name() != "Item"; ++i) tick();
        ASSERT_EQ(screen_name(), "Item") << notice;
        screen()->on_key(kKeyPress, kKeyAction, 0);
        for (int i = 0; i < 30 && screen_name() == "Item"; ++i) tick();
    }
    tick(30);
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_EQ(hero().gold, gold + 25);
    EXPECT_TRUE(hero().has_item(kTonic));
    EXPECT_EQ(world().get_flag(0x5005)->value, 1);
    EXPECT_EQ(world().get_level(kMillbrook)->cell(1, 1)->object, 4);
}

TEST_F(WalkingTest, AWaitHoldsTheScriptForItsTicks) {
    run(kActWait, 120);  // 10 ticks
    ASSERT_TRUE(walking().scripted());
    tick(9);
    EXPECT_TRUE(walking().scripted());
    tick(2);
    EXPECT_FALSE(walking().scripted());
}

// A scene fired on arriving on a level starts while the screen fades in;
// its wait holds the actions after it there too.
TEST_F(WalkingTest, AWaitHoldsTheScriptWhileTheScreenFadesIn) {
    game().main_fade().add_level(FadeControl::kDark);  // the screen dark, as on arrival
    game().post_transition(kTransitionFadeIn, kTransitionChangeLevel, 0, 0);
    game().actions().push(make_action(kActWait, 120));  // 10 ticks
    game().actions().push(make_action(0x302, 0x5006, 1));
    tick(5);
    ASSERT_NE(game().transition().pending().type, kTransitionNone);
    EXPECT_TRUE(walking().scripted());
    EXPECT_EQ(world().get_flag(0x5006)->value, 0);
    tick(10);
    EXPECT_EQ(world().get_flag(0x5006)->value, 1);
    EXPECT_TRUE(game().actions().empty());
}

TEST_F(WalkingTest, SleepingHeroSeesTheHealthMessageAndAScriptedWalkDoesNot) {
    start_walking(WalkingState::kEnterAfterSleep);
    const bool page = game_file_exists(u"menus/io/message.def");
    EXPECT_EQ(walking().has_message(), page);
    if (page) {
        EXPECT_EQ(walking().message_countdown(), 300);
    }
    start_walking(WalkingState::kEnterScripted);
    EXPECT_FALSE(walking().has_message());
}

// The innkeeper, to whom the story sends the hero twice, is talked to with
// one press of the action key however the hero came up to her: from below,
// beside or askew, or after lingering by her.
// Standing where she was placed, her walk-to ends as soon as she is within
// reach, though the hero stops further from people than from monsters.
TEST_F(WalkingTest, OneActionKeyTalksToMartaHoweverTheHeroCameUp) {
    struct Case {
        const char* what;
        Point start;  // pixels, Marta stands at (128, 160)
        std::vector<uint32_t> keys;
        int linger_ticks;
    };
    const Case cases[] = {
        {"from below", {128, 230}, {kKeyUp}, 0},
        {"from below, a little to the right", {137, 230}, {kKeyUp}, 0},
        {"from the right", {200, 160}, {kKeyLeft}, 0},
        {"askew from above and the right", {190, 145}, {kKeyDown, kKeyLeft}, 0},
        {"after lingering beside her", {128, 230}, {kKeyUp}, 600},
    };
    for (const Case& c : cases) {
        start_walking();
        const Actor* marta = nullptr;
        for (Actor* actor : world().current_level()->actors)
            if (static_cast<NpcActor*>(actor)->record()->id == kMarta) marta = actor;
        ASSERT_NE(marta, nullptr);
        ASSERT_EQ(marta->position(), (Point{128, 160}));
        put_hero(c.start);
        // As a player does: the keys held until the hero has come up to her.
        const auto apart = [&] { return std::abs(hero().x - marta->x) + std::abs(hero().y - marta->y); };
        for (uint32_t key : c.keys) game().set_key_state(kKeyPress, key, 0);
        for (int i = 0; i < 300 && apart() > 26; ++i) tick();
        release_keys();
        tick(1 + c.linger_ticks);
        ASSERT_EQ(screen_name(), "Walking") << c.what;
        screen()->on_key(kKeyPress, kKeyAction, 0);
        // At once (25 ticks, 0.3 s): no walk round her first.
        for (int i = 0; i < 25 && screen_name() == "Walking"; ++i) tick();
        ASSERT_EQ(screen_name(), "Talking") << c.what;
        EXPECT_EQ(game().screen_subjects.talk_partner->id, kMarta) << c.what;
        EXPECT_GE(apart(), 24) << c.what;
        game().switch_state("Walking", 0);
    }
}

// The map bar follows the hero's health whatever changed it: a fight, a
// load or a level-up away from the map shows as soon as the map is back, a
// change on the map at the next tick.
TEST_F(WalkingTest, TheMapBarShowsTheHerosHealthOnceTheMapIsBack) {
    const auto stats = [] {
        auto* text = dynamic_cast<UiText*>(g_app->game()->hud.menu()->current()->find_control(u"stats"));
        return text ? utf16_to_utf8(text->title) : std::string("<missing>");
    };
    hero().hit_points = hero().max_hit_points = 40;
    const std::vector<uint8_t> whole = world().save_state_bytes();
    ASSERT_FALSE(whole.empty());
    const std::string save = world().save_path("save1.dat");
    std::ofstream(utf16_to_utf8(resolve_path(utf8_to_utf16(save))), std::ios::binary)
        .write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size()));
    struct Case {
        const char* what;
        std::function<void()> change;
        int32_t hit_points, maximum;
    };
    const Case cases[] = {
        {"a fight's blows", [&] { hero().take_damage(15, true); }, 25, 40},
        {"a fled fight's parting blow", [&] { hero().take_damage(5, true); }, 20, 40},
        {"a whole save loaded after a lost fight",
         [&] {
             hero().hit_points = 0;
             game().update_hud_status();  // as the lost fight left the bar
             ASSERT_TRUE(game().load_game(save));
         },
         40, 40},
        {"a level-up's new maximum", [&] { hero().max_hit_points = hero().hit_points = 55; }, 55, 55},
    };
    for (const Case& c : cases) {
        game().switch_state("Zoom", 0);  // a screen that leaves the bar alone
        c.change();
        start_walking();
        EXPECT_EQ(stats(), "Health: " + std::to_string(c.hit_points)) << c.what;
        EXPECT_EQ(game().hud.red_bar()->x, 240 / 2 - 71 + c.hit_points * 46 / c.maximum) << c.what;
    }
    // On the map itself: at the next tick.
    hero().hit_points = 31;
    tick();
    EXPECT_EQ(stats(), "Health: 31");
    EXPECT_EQ(game().hud.red_bar()->x, 240 / 2 - 71 + 31 * 46 / 55);
}

}  // namespace
