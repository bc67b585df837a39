// A long run of random keys and pen strokes on the demo story: the game
// keeps running (no crash, no sanitizer report) and its lists stay bounded.
#include <gtest/gtest.h>

#include <random>

#include "engine/app/frame_loop.h"
#include "engine/ui/game_key.h"
#include "game/screens/walking_game_support.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"

namespace {

// The walking screen's keys: arrows, the action key, the inventory and
// zoom buttons (the menu key stays out: the menu may end the program).
constexpr GameKey kKeys[] = {kKeyLeft, kKeyRight,  kKeyUp,     kKeyDown,   kKeySpace,
                             kKeyEscape, kKeyAction, kKeyButton1, kKeyButton2, kKeyButton3};
constexpr int kTicks = 100000;

class WalkingSoakTest : public DemoGameTest {};

TEST_F(WalkingSoakTest, RandomInputForAHundredThousandTicks) {
    ASSERT_TRUE(game().start_new_game());
    start_walking();
    std::mt19937 random(20261208);
    auto pick = [&](uint32_t n) { return uint32_t(random() % n); };
    bool pen_down = false;
    size_t most_people = 0, most_monsters = 0, longest_queue = 0;
    for (int t = 0; t < kTicks; ++t) {
        const uint32_t roll = pick(100);
        if (roll < 6) {
            const uint32_t key = kKeys[pick(std::size(kKeys))];
            const int kind = roll < 4 ? kKeyPress : kKeyRelease;
            game().set_key_state(kind, key, 0);
            if (GameState* s = screen()) s->on_key(kind, key, 0);
        } else if (roll < 9) {
            const int32_t x = int32_t(pick(260)) - 10, y = int32_t(pick(340)) - 10;
            const int kind = !pen_down ? kPenDown : roll == 8 ? kPenUp : kPenMove;
            pen_down = kind != kPenUp;
            if (kind == kPenUp) host.sleep_ms(pick(900));
            if (GameState* s = screen()) s->on_pointer(kind, x, y);
        }
        tick();
        if (t % 64 == 0) render_frame();
        most_people = std::max(most_people, world().npc_actors.size());
        most_monsters = std::max(most_monsters, world().monster_actors.size());
        longest_queue = std::max(longest_queue, game().actions().size());
    }
    // People come only from the placements; the start placed five people
    // and one monster, and nothing else adds any.
    EXPECT_LE(most_people, 5u);
    EXPECT_LE(most_monsters, 1u);
    EXPECT_LE(longest_queue, 16u);
    EXPECT_NE(screen(), nullptr);
}

}  // namespace
