// The level-up and stats screens in the demo game: what training costs and
// gives back, the level-up rule applied through the screen, the automatic
// save after it, and the input both ignore while their page fades in.
#include <climits>
#include <filesystem>

#include "engine/ui/game_key.h"
#include "game/screens/level_up_state.h"
#include "game/screens/stats_state.h"
#include "tests/game/effects/action_player_support.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

constexpr int kFadeTicks = 32;

TEST(TrainingFee, TenGoldALevelAtMostTheGoldThereIs) {
    struct Case {
        int32_t gold, level, fee;
    };
    for (const Case& c : {Case{50, 7, 50}, Case{100, 7, 70}, Case{0, 5, 0}, Case{-5, 3, 0}, Case{100, -2, 0},
                          Case{INT32_MAX, INT32_MAX, INT32_MAX}})
        EXPECT_EQ(training_fee(c.gold, c.level), c.fee) << c.gold << " gold, level " << c.level;
}

TEST(PooledPoints, EachAttributeKeepsOneAndNoDebtIsLeft) {
    struct Case {
        int32_t dexterity, strength, knowledge, points;
    };
    for (const Case& c : {Case{5, 6, 4, 12}, Case{1, 1, 1, 0}, Case{0, 0, 0, 0}, Case{0, 1, 0, 0}, Case{2, 0, 0, 0},
                          Case{INT32_MAX, INT32_MAX, 5, INT32_MAX}})
        EXPECT_EQ(pooled_points(c.dexterity, c.strength, c.knowledge), c.points)
            << c.dexterity << "/" << c.strength << "/" << c.knowledge;
}

// When the screen goes on after the level-up action, by its script: the
// update at which it first may (0: within 60 updates never).
class LevelUpActionTest : public ActionPlayerTest {};

TEST_F(LevelUpActionTest, GoesOnAtTheResultFrameOrOnceTheActionIsGone) {
    struct Case {
        const char* what;
        const char* lines;  // null: no script at all
        int first_done;
    };
    const Case cases[] = {
        {"the demo's: result at 5, the fanfare at 20", "ShowResult = 5\nSound = 20, 255, \"sfx/levelup.wav\", PLAY_ALWAYS\n", 5},
        {"no script", nullptr, 2},
        {"a result past the action's end", "ShowResult = 50\nSound = 3, 255, \"sfx/levelup.wav\", PLAY_ALWAYS\n", 4},
        {"a result frame already behind", "ShowResult = 0\nSound = 9, 255, \"sfx/levelup.wav\", PLAY_ALWAYS\n", 1},
    };
    for (const Case& c : cases) {
        const std::string name = std::string("level_up_") + std::to_string(&c - cases);
        if (c.lines) script(name, c.lines);
        ActionPlayer player(sounds_.get());
        const int32_t id = start(player, name, nullptr, nullptr);
        int first_done = 0;
        for (int update = 1; update <= 60 && first_done == 0; ++update) {
            player.update();
            if (level_up_action_done(player, id)) first_done = update;
        }
        EXPECT_EQ(first_done, c.first_done) << c.what;
    }
}

class LevelStatsTest : public ItemScreenTest {
protected:
    void SetUp() override {
        ItemScreenTest::SetUp();
        start_game();
        g_app->game()->switch_state("Walking", 0);
    }
    StatsState& stats() { return *static_cast<StatsState*>(current()); }
    LevelUpState& level_up() { return *static_cast<LevelUpState*>(current()); }
    // Ticks until the level-up screen reaches the phase; false after 400.
    bool until_phase(int32_t phase) {
        for (int i = 0; i < 400 && current_name() == "Level"; ++i) {
            if (level_up().phase() == phase) return true;
            tick();
        }
        return false;
    }
    void set_attributes(int32_t dexterity, int32_t strength, int32_t knowledge) {
        hero().dexterity_ = dexterity;
        hero().strength_ = strength;
        hero().knowledge_ = knowledge;
    }
    // A level-9 hero whose experience has just reached the step.
    void ready_for_level_ten() {
        HeroActor& h = hero();
        h.level_number = 9;
        h.experience = h.experience_step = 900;
        h.hit_points = 10;
        h.max_hit_points = 160;
    }
    bool autosaved() const {
        return std::filesystem::exists(save_file("save6.dat")) && std::filesystem::exists(save_file("autoio.ini"));
    }
    void forget_autosave() {
        std::filesystem::remove(save_file("save6.dat"));
        std::filesystem::remove(save_file("autoio.ini"));
    }
};

TEST_F(LevelStatsTest, TrainingChargesTenGoldALevelUpToTheGoldThereIs) {
    struct Case {
        int32_t gold, gold_after;
    };
    for (const Case& c : {Case{50, 0}, Case{100, 30}}) {
        hero().level_number = 7;
        hero().gold = c.gold;
        set_attributes(5, 6, 4);
        g_app->game()->switch_state("Stats", 0);
        EXPECT_EQ(hero().gold, c.gold_after) << c.gold;
        EXPECT_EQ(stats().points(), 12);
        EXPECT_EQ(hero().dexterity_, 1);
        EXPECT_EQ(hero().strength_, 1);
        EXPECT_EQ(hero().knowledge_, 1);
        EXPECT_EQ(text(stats().page().menu(), u"MESSAGE"), "Select stat, you have 12 points.");
        EXPECT_EQ(text(stats().page().menu(), u"HTH"),
                  std::to_string(hero().hit_points) + " : " + std::to_string(hero().max_hit_points));
        g_app->game()->switch_state("Walking", 0);
    }
}

TEST_F(LevelStatsTest, StatsWithNothingToShareLeavesAtOnce) {
    for (const int32_t attribute : {1, 0}) {
        set_attributes(attribute, attribute, attribute);
        g_app->game()->switch_state("Stats", 0);
        EXPECT_EQ(stats().points(), 0) << attribute;
        EXPECT_TRUE(stats().leaving());
        key(kKeyButton1);
        EXPECT_EQ(hero().dexterity_, 1) << "a key raised an attribute with no points";
        tick();
        EXPECT_EQ(current_name(), "Walking") << attribute;
    }
}

TEST_F(LevelStatsTest, StatsTakesKeysAndTapsOnlyOnceThePageIsShown) {
    set_attributes(2, 2, 1);  // two points
    g_app->game()->switch_state("Stats", 0);
    EXPECT_TRUE(g_app->game()->full_screen_page);
    tick(kFadeTicks - 1);
    key(kKeyButton1);
    tap_control(*stats().page().menu(), u"STR");
    EXPECT_EQ(stats().points(), 2) << "input during the fade-in counted";
    tick();
    key(kKeyButton3);
    EXPECT_EQ(hero().knowledge_, 2);
    key(kKeyAction);  // not a spending key
    EXPECT_EQ(stats().points(), 1);
    tap_control(*stats().page().menu(), u"RAISESTR");
    EXPECT_EQ(hero().strength_, 2);
    EXPECT_EQ(stats().points(), 0);
    EXPECT_TRUE(stats().leaving());
    key(kKeyButton1);
    EXPECT_EQ(hero().dexterity_, 1) << "a key counted while leaving";
    tick(kFadeTicks - 1);
    EXPECT_EQ(current_name(), "Stats");
    tick();
    EXPECT_EQ(current_name(), "Walking");
    EXPECT_FALSE(g_app->game()->full_screen_page);
}

TEST_F(LevelStatsTest, TheMapBehindTheFullScreenPageIsNotRebuilt) {
    set_attributes(3, 1, 1);
    g_app->game()->switch_state("Stats", 0);
    g_app->game()->clear_view_grid();
    g_app->game()->request_full_refresh();
    const uint64_t built = g_app->game()->view().blocks_built();
    g_app->game()->pre_render();
    EXPECT_EQ(g_app->game()->view().blocks_built(), built);
    g_app->game()->switch_state("Walking", 0);
    g_app->game()->request_full_refresh();
    g_app->game()->pre_render();
    EXPECT_GT(g_app->game()->view().blocks_built(), built);
}

TEST_F(LevelStatsTest, LevelNineToTenWithStrength) {
    ready_for_level_ten();
    const int32_t strength = hero().strength_;
    g_app->game()->switch_state("Level", 0);
    EXPECT_EQ(text(level_up().page().menu(), u"EXP"), "900:900");
    EXPECT_EQ(level_up().choice(), LevelUpState::kDexterity);
    tick(kFadeTicks - 1);
    key(kKeyButton2);
    EXPECT_EQ(level_up().phase(), LevelUpState::kChoosing) << "a key during the fade-in counted";
    tick();
    key(kKeyButton2);
    key(kKeyButton3);  // after the choice: ignored
    EXPECT_EQ(level_up().phase(), LevelUpState::kActionPlaying);
    EXPECT_EQ(level_up().choice(), LevelUpState::kStrength);
    ASSERT_TRUE(until_phase(LevelUpState::kShowing));
    const HeroActor& h = hero();
    EXPECT_EQ(h.level_number, 10);
    EXPECT_EQ(h.strength_, strength + 1);
    EXPECT_EQ(h.experience, 0);
    EXPECT_EQ(h.experience_step, 1000);
    EXPECT_EQ(h.hit_points, 175);
    EXPECT_EQ(h.max_hit_points, 175);
    EXPECT_EQ(text(level_up().page().menu(), u"HTH"), "175:175");
    EXPECT_EQ(text(level_up().page().menu(), u"LEV"), "10");
}

TEST_F(LevelStatsTest, LevelShowsTheResultThenFadesOutAndSavesUnlessInHudMode) {
    for (const bool hud : {false, true}) {
        ready_for_level_ten();
        forget_autosave();
        g_app->game()->set_hud_mode(hud);
        g_app->game()->switch_state("Level", 0);
        tick(kFadeTicks);
        key(kKeyButton1);
        ASSERT_TRUE(until_phase(LevelUpState::kShowing));
        tick(LevelUpState::kShowTicks - 1);
        EXPECT_EQ(level_up().phase(), LevelUpState::kShowing);
        EXPECT_EQ(level_up().page().alpha(), HeroSheetPage::kOpaque);
        tick();
        EXPECT_EQ(level_up().phase(), LevelUpState::kFadingOut);
        tick(kFadeTicks - 1);
        EXPECT_EQ(current_name(), "Level");
        EXPECT_FALSE(autosaved());
        tick();
        EXPECT_EQ(current_name(), "Walking");
        EXPECT_EQ(autosaved(), !hud) << (hud ? "saved in HUD mode" : "not saved");
        EXPECT_FALSE(g_app->game()->full_screen_page);
        EXPECT_EQ(g_app->game()->action_player()->running_count(), 0);
    }
}

TEST_F(LevelStatsTest, ATapOnAnyButtonStartsTheLevelUpWithTheChoiceMadeSoFar) {
    ready_for_level_ten();
    g_app->game()->switch_state("Level", 0);
    tick(kFadeTicks);
    tap({2, 2});  // no button there
    EXPECT_EQ(level_up().phase(), LevelUpState::kChoosing);
    tap_control(*level_up().page().menu(), u"RAISEKNW");
    EXPECT_EQ(level_up().phase(), LevelUpState::kActionPlaying);
    EXPECT_EQ(level_up().choice(), LevelUpState::kKnowledge);
}

}  // namespace
