#include "game/map_view/transition.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/app/screen.h"
#include "game/map_view/fade_control.h"
#include "game/session/action_queue.h"
#include "game/world/action.h"

namespace {

struct RecordingState : GameState {
    std::vector<std::string> events;
    int accepts = 0;
    int on_event(int code, int kind, uint32_t a, uint32_t b) override {
        events.push_back(std::to_string(code) + ":" + std::to_string(kind) + ":" + std::to_string(a) + ":" +
                         std::to_string(b));
        return accepts;
    }
};

struct Fades {
    FadeCounter main{0}, upper{0};
    int frames = 0;
    TransitionRunner runner;
    void step(GameState* current, GameState* walking) {
        runner.step(current, walking, main, upper, [this] { ++frames; });
    }
};

TEST(Transition, FadeOutAtFullLevelEndsNextTickWithStepThenEnd) {
    Fades f;
    f.main.add_level(32);
    RecordingState state;
    f.runner.post(kTransitionFadeOut, 3, 5, 6);
    f.step(&state, nullptr);
    EXPECT_EQ(state.events, (std::vector<std::string>{"4:3:5:6", "2:3:5:6"}));
    EXPECT_EQ(f.frames, 1);
    EXPECT_EQ(f.runner.pending().type, kTransitionNone);
}

TEST(Transition, FadeInTakesThirtyTwoTicksThenReports) {
    Fades f;
    f.main.add_level(32);
    RecordingState state;
    f.runner.post(kTransitionFadeIn, 0, 0, 0);
    for (int i = 0; i < 32; ++i) f.step(&state, nullptr);
    EXPECT_EQ(f.main.level(), 0);
    EXPECT_TRUE(state.events.empty());
    f.step(&state, nullptr);
    EXPECT_EQ(state.events, (std::vector<std::string>{"1:0:0:0"}));
}

TEST(Transition, UpperFadeStepsByTwoAndASecondPostReplacesTheFirst) {
    Fades f;
    RecordingState state;
    f.runner.post(kTransitionFadeOutUpper, 0, 0, 0);
    for (int i = 0; i < 4; ++i) f.step(&state, nullptr);
    EXPECT_EQ(f.upper.level(), 8);
    EXPECT_EQ(f.main.level(), 0);
    f.runner.post(kTransitionFadeOut, 9, 0, 0);
    f.step(&state, nullptr);
    EXPECT_EQ(f.main.level(), 1);
    EXPECT_EQ(f.upper.level(), 8);  // the replaced fade stays where it was
    EXPECT_EQ(f.runner.pending().kind, 9);
}

TEST(Transition, NoCurrentStateCallsNothing) {
    Fades f;
    f.runner.post(kTransitionFadeOut, 0, 0, 0);
    f.step(nullptr, nullptr);
    EXPECT_EQ(f.main.level(), 0);
    EXPECT_EQ(f.runner.pending().type, kTransitionFadeOut);
}

TEST(Transition, LevelChangeEndingUnderAnotherStateReachesWalkingLater) {
    Fades f;
    f.main.add_level(32);
    RecordingState talking, walking;
    walking.accepts = 1;
    f.runner.post(kTransitionFadeOut, kTransitionChangeLevel, 0x1102, 7);
    f.step(&talking, &walking);
    EXPECT_TRUE(f.runner.has_deferred());
    f.step(&talking, &walking);  // still not walking: keeps waiting
    EXPECT_TRUE(walking.events.empty());
    f.step(&walking, &walking);
    EXPECT_EQ(walking.events, (std::vector<std::string>{"2:1:4354:7"}));
    EXPECT_FALSE(f.runner.has_deferred());

    // Other kinds are not carried over.
    f.runner.post(kTransitionFadeOut, 2, 0, 0);
    f.step(&talking, &walking);
    EXPECT_FALSE(f.runner.has_deferred());
}

TEST(ActionQueue, FirstInFirstOutAndEmptyAfterTheLast) {
    ActionQueue queue;
    EXPECT_EQ(queue.pop(), nullptr);
    EXPECT_EQ(queue.peek(), nullptr);
    auto a = std::make_shared<Action>();
    auto b = std::make_shared<Action>();
    queue.push(a);
    queue.push(b);
    EXPECT_EQ(queue.peek(), a.get());
    EXPECT_EQ(queue.pop(), a);
    EXPECT_EQ(queue.pop(), b);
    EXPECT_EQ(queue.pop(), nullptr);
    EXPECT_TRUE(queue.empty());
    queue.push(b);
    EXPECT_EQ(queue.peek(), b.get());
    queue.clear();
    EXPECT_EQ(queue.peek(), nullptr);
}

}  // namespace
