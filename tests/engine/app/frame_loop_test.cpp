// The catch-up of the logic and animation ticks and the render that follows them.
#include <gtest/gtest.h>

#include "engine/app/frame_loop.h"
#include "engine/platform/headless/headless_platform.h"
#include "recording_scene.h"

namespace {

struct FrameLoopTest : ::testing::Test {
    HeadlessPlatform host{100000};
    CallLog log;
    RecordingManager manager{log};
    RecordingScene* game = nullptr;

    void SetUp() override {
        set_platform(&host);
        game = new RecordingScene(log, "Game");
        manager.add(game);
        manager.switch_to("Game", 0);
        log.clear();
    }
    void TearDown() override {
        manager.shutdown();
        set_platform(nullptr);
    }
};

TEST_F(FrameLoopTest, CatchesUpEveryDueStepAndEndsAhead) {
    const uint32_t now = 100000;
    game->logic_due = now - 250;
    EXPECT_EQ(run_logic_ticks(now), 3);
    EXPECT_EQ(game->logic_due, now + 50);
    EXPECT_EQ(count_of(log, "Game.update"), 3);
}

TEST_F(FrameLoopTest, MoreThan600BehindDropsTheLostTime) {
    const uint32_t now = 100000;
    game->logic_due = now - 700;
    game->animation_due = now - 601;
    EXPECT_EQ(run_logic_ticks(now), 1);
    EXPECT_EQ(game->logic_due, now);
    EXPECT_EQ(run_animation_ticks(now), 1);
    // Exactly 600 behind is still caught up.
    game->animation_due = now - 600;
    EXPECT_EQ(run_animation_ticks(now), 6);
}

TEST_F(FrameLoopTest, UnsetStampRunsOneStep) {
    game->logic_due = 0;
    EXPECT_EQ(run_logic_ticks(100000), 1);
    EXPECT_EQ(game->logic_due, 100000u);
}

TEST_F(FrameLoopTest, RendersOnlyWhenAStepRan) {
    const uint32_t now = 100000;
    game->logic_due = now + 10;
    game->animation_due = now + 10;
    EXPECT_EQ(run_frame(now), 0);
    EXPECT_EQ(count_of(log, "Game.render"), 0);
    game->animation_due = now - 1;
    EXPECT_EQ(run_frame(now), 1);
    EXPECT_EQ(log, (CallLog{"Game.animate", "Game.render"}));
}

TEST_F(FrameLoopTest, SceneCallComesBeforeTheStateCall) {
    game->add_state("Walking", new RecordingState(log));
    game->switch_state("Walking", 0);
    log.clear();
    const uint32_t now = 100000;
    game->logic_due = now - 1;
    game->animation_due = now - 1;
    run_frame(now);
    EXPECT_EQ(log, (CallLog{"Game.update", "state Walking.update", "Game.animate",
                            "state Walking.animate", "Game.render"}));
}

TEST_F(FrameLoopTest, StepThatSwitchesSceneSendsTheNextCallToTheNewOne) {
    auto* other = new RecordingScene(log, "Other");
    manager.add(other);
    game->on_update = [&] { manager.switch_to("Other", 0); };
    const uint32_t now = host.tick_count() + 250;
    game->logic_due = now - 250;
    other->logic_due = 0;
    run_logic_ticks(now);
    // The switch restarted Other's clock at the host's time, 250 ms before
    // `now`; its own catch-up then runs in the same call.
    EXPECT_EQ(log[0], "Game.update");
    EXPECT_EQ(log[1], "Game.leave");
    EXPECT_EQ(log[2], "Other.enter 0");
    EXPECT_EQ(count_of(log, "Game.update"), 1);
    EXPECT_GE(count_of(log, "Other.update"), 1);
}

TEST_F(FrameLoopTest, StepThatSwitchesStateSendsTheNextCallToTheNewOne) {
    game->add_state("A", new RecordingState(log));
    game->add_state("B", new RecordingState(log));
    game->switch_state("A", 0);
    auto* a = static_cast<RecordingState*>(game->current_state());
    a->on_update = [&] { game->switch_state("B", 0); };
    log.clear();
    host.sleep_ms(250);
    const uint32_t now = host.tick_count();
    game->logic_due = now - 250;
    run_logic_ticks(now);
    EXPECT_EQ(count_of(log, "state A.update"), 1);
    // B's clock restarted at now, so B runs no step in this call.
    EXPECT_EQ(count_of(log, "state B.update"), 0);
    EXPECT_EQ(game->current_state()->name(), "B");
    game->logic_due = now - 1;
    run_logic_ticks(now);
    EXPECT_EQ(count_of(log, "state B.update"), 1);
}

TEST_F(FrameLoopTest, NoSceneNoSteps) {
    g_current_scene = nullptr;
    EXPECT_EQ(run_frame(100000), 0);
    EXPECT_TRUE(log.empty());
    g_current_scene = game;
}

TEST_F(FrameLoopTest, SceneRemovedByAStepStopsTheLoop) {
    game->on_update = [] { g_current_scene = nullptr; };
    game->logic_due = 100000 - 300;
    EXPECT_EQ(run_frame(100000), 1);
    EXPECT_EQ(count_of(log, "Game.render"), 0);
    g_current_scene = game;
}

// A 5 ms frame timer running for a few seconds from a given start of the
// tick count: the logic keeps its rate through the wrap at 2^32.
struct WrapCase {
    uint32_t start;
    uint32_t period;
};

class TickRateAcrossStarts : public ::testing::TestWithParam<WrapCase> {};

TEST_P(TickRateAcrossStarts, StepsPerSecondMatchThePeriodWithoutBurstOrStall) {
    const WrapCase c = GetParam();
    HeadlessPlatform host(c.start);
    set_platform(&host);
    CallLog log;
    RecordingScene scene(log, "Game");
    scene.logic_period = c.period;
    g_current_scene = &scene;
    restart_scene_timers();

    int total = 0, most_in_one_call = 0;
    uint32_t last_step_at = host.tick_count(), longest_gap = 0;
    for (int call = 0; call < 4000 / 5; call++) {  // four seconds of frame timers
        host.sleep_ms(5);
        const uint32_t now = host.tick_count();
        const int steps = run_logic_ticks(now);
        total += steps;
        most_in_one_call = std::max(most_in_one_call, steps);
        if (steps) {
            longest_gap = std::max(longest_gap, now - last_step_at);
            last_step_at = now;
        }
    }
    const int expected = int(4000 / c.period);
    EXPECT_NEAR(total, expected, 1);
    EXPECT_LE(most_in_one_call, int((5 + c.period - 1) / c.period));
    EXPECT_LE(longest_gap, c.period + 5);
    g_current_scene = nullptr;
    set_platform(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Starts, TickRateAcrossStarts,
                         ::testing::Values(WrapCase{0, 100}, WrapCase{599, 100}, WrapCase{0xFFFFFF00u, 100},
                                           WrapCase{0, 12}, WrapCase{599, 10}, WrapCase{0xFFFFFF00u, 12},
                                           WrapCase{0xFFFFFF00u, 10}, WrapCase{0xFFFFFFFFu, 16}));

TEST(TickCompare, WrapSafe) {
    EXPECT_TRUE(tick_before(0xFFFFFFF0u, 5));
    EXPECT_FALSE(tick_before(5, 0xFFFFFFF0u));
    EXPECT_FALSE(tick_before(7, 7));
    EXPECT_TRUE(tick_behind_by_more_than(0xFFFFFD00u, 100, 600));
    EXPECT_FALSE(tick_behind_by_more_than(0xFFFFFF00u, 100, 600));
    // A stamp ahead of now is never behind, even with now below 600.
    EXPECT_FALSE(tick_behind_by_more_than(50, 10, 600));
}

}  // namespace
