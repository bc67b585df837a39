// The night's sleep: a sequence of a fixed number of logic ticks that input
// does not shorten, its fades on every third tick, and the map after it with
// the health message (or the worn-out gear's, which wins).
#include "game/screens/sleep_state.h"

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "game/screens/walking_game_support.h"

namespace {

// 121 + 51 + 120 + 201 + 33: the outline's fade and wait, the second
// picture's slow fade in, its stay, its slow fade out, the last fade.
constexpr int kSleepTicks = 526;

class SleepTest : public DemoGameTest {
protected:
    void SetUp() override {
        DemoGameTest::SetUp();
        walk_past_the_opening();
        ASSERT_EQ(screen_name(), "Walking");
    }
    SleepState& sleep() { return *static_cast<SleepState*>(screen()); }
    // Ticks until the map is back; with `poke`, a key and a tap every tick.
    int sleep_through(bool poke) {
        game().switch_state("Sleep", 0);
        int ticks = 0;
        while (screen_name() == "Sleep" && ticks < 2000) {
            if (poke) {
                screen()->on_key(kKeyPress, kKeyAction, 0);
                screen()->on_key(kKeyRelease, kKeyAction, 0);
                screen()->on_pointer(kPenDown, 120, 160);
                screen()->on_pointer(kPenUp, 120, 160);
            }
            screen()->update();
            ++ticks;
        }
        return ticks;
    }
};

TEST_F(SleepTest, TheNightLastsAsLongWithInputAsWithout) {
    EXPECT_EQ(sleep_through(false), kSleepTicks);
    EXPECT_EQ(sleep_through(true), kSleepTicks);
    EXPECT_EQ(screen_name(), "Walking");
}

TEST_F(SleepTest, ThePicturesFadeInStayAndFadeOutPhaseByPhase) {
    game().switch_state("Sleep", 0);
    struct Step {
        int ticks;  // since entering
        int32_t phase, outline_alpha, picture_alpha;
    };
    // The second picture moves by 2 on every third tick only: its phases do
    // not end on the ticks in between.
    const Step steps[] = {{1, SleepState::kOutlineIn, 1, 0},       {32, SleepState::kOutlineIn, 32, 0},
                          {120, SleepState::kOutlineIn, 32, 0},    {121, SleepState::kPictureIn, 32, 0},
                          {123, SleepState::kPictureIn, 32, 0},    {124, SleepState::kPictureIn, 32, 2},
                          {169, SleepState::kPictureIn, 32, 32},   {172, SleepState::kPictureShown, 32, 32},
                          {292, SleepState::kPictureOut, 32, 32},  {295, SleepState::kPictureOut, 32, 30},
                          {492, SleepState::kPictureOut, 32, 0},   {493, SleepState::kAllOut, 32, 0},
                          {494, SleepState::kAllOut, 31, 0},       {525, SleepState::kAllOut, 0, 0}};
    int done = 0;
    for (const Step& s : steps) {
        for (; done < s.ticks; ++done) screen()->update();
        ASSERT_EQ(screen_name(), "Sleep") << s.ticks;
        EXPECT_EQ(sleep().phase(), s.phase) << s.ticks;
        EXPECT_EQ(sleep().outline_group()->group_alpha(), s.outline_alpha) << s.ticks;
        EXPECT_EQ(sleep().picture_group()->group_alpha(), s.picture_alpha) << s.ticks;
    }
    screen()->update();
    EXPECT_EQ(screen_name(), "Walking");
}

TEST_F(SleepTest, ThenTheMapTellsTheHealthRestoredForThreeHundredTicks) {
    const int32_t drawables = game().first_layer()->drawables().count();
    sleep_through(false);
    ASSERT_EQ(screen_name(), "Walking");
    EXPECT_TRUE(walking().has_message());
    EXPECT_EQ(walking().message_countdown(), 300);
    // Nothing of the night stays on the map: only the message is new.
    EXPECT_EQ(game().first_layer()->drawables().count(), drawables + 1);
    tick(299);
    EXPECT_TRUE(walking().has_message());
    tick(2);
    EXPECT_FALSE(walking().has_message());
}

TEST_F(SleepTest, WornOutGearIsToldInsteadOfTheHealth) {
    for (bool auto_equip : {true, false}) {
        g_app->settings.auto_equip = auto_equip;
        hero().armour_lost = true;
        sleep_through(false);
        ASSERT_EQ(screen_name(), "Walking");
        EXPECT_TRUE(walking().has_message());
        EXPECT_NE(walking().message_countdown(), 300) << auto_equip;
        EXPECT_FALSE(hero().armour_lost);
    }
}

}  // namespace
