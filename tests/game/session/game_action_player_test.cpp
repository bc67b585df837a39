// The game session owns one action player: made when the session starts,
// deleted with any actions still running when it ends, and made afresh
// (ids from 1 again) by the next session.
#include <gtest/gtest.h>

#include "game/effects/action_player.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "tests/game/session/demo_game_folder.h"

namespace {

class GameActionPlayerTest : public DemoGameFixture {};

TEST_F(GameActionPlayerTest, EachSessionHasItsOwnActionPlayer) {
    ASSERT_EQ(game_startup(), 1);
    ActionPlayer* player = g_app->game()->action_player();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->load_action("boar_snort", nullptr, nullptr, nullptr, kPlayAlways, 1, -1, -1, -1), 1);
    EXPECT_EQ(player->load_action("slash", nullptr, nullptr, nullptr, kPlaySmallDamage, 1, -1, -1, -1), 2);
    EXPECT_EQ(player->running_count(), 2);

    g_app->game()->leave();  // with both actions still running
    EXPECT_EQ(g_app->game()->action_player(), nullptr);
    g_app->game()->enter(0);
    ASSERT_NE(g_app->game()->action_player(), nullptr);
    EXPECT_EQ(g_app->game()->action_player()->running_count(), 0);
    EXPECT_EQ(g_app->game()->action_player()->load_action("bite", nullptr, nullptr, nullptr, 2, 1, 0, -1, -1), 1);
}

}  // namespace
