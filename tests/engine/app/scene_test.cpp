// Scenes, their game states and key mask, and the scene manager.
#include <gtest/gtest.h>

#include "engine/app/frame_loop.h"
#include "engine/platform/headless/headless_platform.h"
#include "recording_scene.h"

namespace {

struct SceneTest : ::testing::Test {
    HeadlessPlatform host{5000};
    CallLog log;
    RecordingManager manager{log};

    void SetUp() override {
        set_platform(&host);
        g_current_scene = nullptr;
    }
    void TearDown() override {
        manager.shutdown();
        set_platform(nullptr);
    }
    RecordingScene* add_scene(const char* name) {
        auto* scene = new RecordingScene(log, name);
        manager.add(scene);
        return scene;
    }
};

TEST_F(SceneTest, FindIgnoresAsciiCaseOnly) {
    RecordingScene* game = add_scene("Game");
    add_scene("Load");
    EXPECT_EQ(manager.find("game"), game);
    EXPECT_EQ(manager.find("GAME"), game);
    EXPECT_EQ(manager.find("Gam"), nullptr);
    EXPECT_EQ(manager.find("Games"), nullptr);
    EXPECT_EQ(game->owner(), &manager);
}

TEST_F(SceneTest, SwitchToLeavesEntersAndRestartsTheClocks) {
    RecordingScene* load = add_scene("Load");
    RecordingScene* game = add_scene("Game");
    ASSERT_EQ(manager.switch_to("load", 7), 1);
    EXPECT_EQ(g_current_scene, load);
    host.sleep_ms(300);
    ASSERT_EQ(manager.switch_to("Game", 9), 1);
    EXPECT_EQ(g_current_scene, game);
    EXPECT_EQ(manager.current(), game);
    EXPECT_EQ(game->logic_due, 5300u);
    EXPECT_EQ(game->animation_due, 5300u);
    EXPECT_EQ(log, (CallLog{"Load.enter 7", "Load.leave", "Game.enter 9"}));

    // An unknown name changes nothing.
    EXPECT_EQ(manager.switch_to("Nowhere", 0), 0);
    EXPECT_EQ(g_current_scene, game);
    // The current scene again: left and entered once more.
    log.clear();
    EXPECT_EQ(manager.switch_to("GAME", 1), 1);
    EXPECT_EQ(log, (CallLog{"Game.leave", "Game.enter 1"}));
}

TEST_F(SceneTest, SwitchStateIsCaseSensitiveAndAlwaysRestartsTheClocks) {
    RecordingScene* game = add_scene("Game");
    game->add_state("Walking", new RecordingState(log));
    game->add_state("Menu", new RecordingState(log));
    manager.switch_to("Game", 0);
    log.clear();

    game->switch_state("Walking", 3);
    ASSERT_NE(game->current_state(), nullptr);
    EXPECT_EQ(game->current_state()->name(), "Walking");
    EXPECT_EQ(game->current_state()->owner(), game);

    host.sleep_ms(1000);
    game->logic_due = game->animation_due = 1;
    game->switch_state("walking", 0);  // wrong case: nothing found
    EXPECT_EQ(game->current_state(), nullptr);
    EXPECT_EQ(game->logic_due, host.tick_count());
    EXPECT_EQ(game->animation_due, host.tick_count());
    EXPECT_EQ(log, (CallLog{"state Walking.enter 3", "state Walking.leave"}));

    log.clear();
    game->switch_state("Menu", 0);
    game->switch_state(nullptr, 0);  // leaves and stops
    EXPECT_EQ(game->current_state(), nullptr);
    EXPECT_EQ(log, (CallLog{"state Menu.enter 0", "state Menu.leave"}));
}

TEST_F(SceneTest, ShutdownLeavesStateThenSceneAndDeletesEverything) {
    RecordingScene* game = add_scene("Game");
    add_scene("Load");
    game->add_state("Walking", new RecordingState(log));
    manager.switch_to("Game", 0);
    game->switch_state("Walking", 0);
    log.clear();
    manager.shutdown();
    // (a recording scene logs its end before the base deletes its states)
    EXPECT_EQ(log, (CallLog{"state Walking.leave", "Game.leave", "Game.destroyed",
                            "state Walking.destroyed", "Load.destroyed"}));
    EXPECT_EQ(g_current_scene, nullptr);
    EXPECT_EQ(manager.current(), nullptr);
    EXPECT_TRUE(manager.scenes().empty());
}

TEST_F(SceneTest, ShutdownWithoutAStateOnlyLeavesTheScene) {
    RecordingScene* game = add_scene("Game");
    game->add_state("Walking", new RecordingState(log));
    manager.switch_to("Game", 0);
    game->switch_state("Nothing", 0);
    log.clear();
    manager.shutdown();
    EXPECT_EQ(log, (CallLog{"Game.leave", "Game.destroyed", "state Walking.destroyed"}));
}

TEST_F(SceneTest, KeyMaskFollowsDownAndUp) {
    RecordingScene* game = add_scene("Game");
    game->set_key_state(kKeyPress, 5, 27);
    game->set_key_state(kKeyPress, 29, 0);
    EXPECT_EQ(game->key_mask(), (1u << 5) | (1u << 27));
    game->set_key_state(kKeyRelease, 5, 27);
    EXPECT_EQ(game->key_mask(), 1u << 27);
    game->set_key_state(kKeyPress, 20, 65);  // game key 20 has no bit
    EXPECT_EQ(game->key_mask(), 1u << 27);
}

TEST(GameKeyMask, BitsOfEveryGameKey) {
    for (uint32_t key = 0; key <= 19; key++) EXPECT_EQ(game_key_mask(key), 1u << key) << key;
    EXPECT_EQ(game_key_mask(20), 0u);
    EXPECT_EQ(game_key_mask(21), 1u << 21);
    EXPECT_EQ(game_key_mask(22), 0u);
    EXPECT_EQ(game_key_mask(23), 0u);
    EXPECT_EQ(game_key_mask(24), 1u << 22);
    EXPECT_EQ(game_key_mask(29), 1u << 27);
    EXPECT_EQ(game_key_mask(30), 0u);
    EXPECT_EQ(game_key_mask(66), 0u);
    EXPECT_EQ(game_key_mask(0xFFFFFFFFu), 0u);
}

TEST(SceneDefaults, NewSceneStartsIdleWithDefaultPeriods) {
    Scene scene(nullptr, "Load");
    EXPECT_EQ(scene.name(), "Load");
    EXPECT_EQ(scene.logic_period, 100u);
    EXPECT_EQ(scene.animation_period, 100u);
    EXPECT_EQ(scene.logic_due, 0u);
    EXPECT_FALSE(scene.idle_pump);
    EXPECT_EQ(scene.owner(), nullptr);
    EXPECT_EQ(scene.current_state(), nullptr);
    EXPECT_EQ(scene.key_mask(), 0u);
}

}  // namespace
