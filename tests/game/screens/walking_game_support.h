// The demo game started headless for the tests of the walking screen and the
// story actions: start-up as the program runs it, then ticks driven one by
// one (logic, animation, camera) so that a test sees every step.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/app/scene.h"
#include "engine/core/crt_random.h"
#include "engine/ui/game_key.h"
#include "game/screens/action_executor.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/world.h"
#include "tests/game/session/demo_game_folder.h"

namespace demo {
// Records of the demo story (data/story/demo.story).
inline constexpr uint32_t kMillbrook = 0x1101, kThistlewood = 0x1102, kCopperKettle = 0x1103;
inline constexpr uint32_t kMarta = 0x2001, kDunstan = 0x2002, kHesk = 0x2003;
inline constexpr uint32_t kBoar = 0x3002;
inline constexpr uint32_t kTonic = 0x4301, kLantern = 0x4601;
inline constexpr uint32_t kLanternAsked = 0x5001;
}  // namespace demo

class DemoGameTest : public DemoGameFixture {
protected:
    void SetUp() override {
        DemoGameFixture::SetUp();
        ASSERT_EQ(game_startup(), 1);
        crt_srand(7);
        world().set_random_seed(7);
    }

    Game& game() { return *g_app->game(); }
    World& world() { return g_app->world; }
    HeroActor& hero() { return world().hero(); }
    GameState* screen() { return game().current_state(); }
    std::string screen_name() { return screen() ? screen()->name() : std::string(); }

    WalkingState& walking() {
        for (GameState* state : game().states())
            if (auto* w = dynamic_cast<WalkingState*>(state)) return *w;
        throw std::logic_error("no walking screen");
    }
    // Enters the walking screen as a new game does.
    WalkingState& start_walking(uintptr_t argument = WalkingState::kEnterNormal) {
        game().switch_state("Walking", argument);
        return walking();
    }

    // Enters the walking screen as a new game does and lets the game's start
    // run (people placed, the HUD left, the opening story page read); the
    // actions it left queued are dropped.
    void walk_past_the_opening() {
        start_walking();
        finish_fades();
        tick(3);
        close_story_page();
        game().actions().clear();
    }

    // Turns the pages of the story page on screen (a new game opens on one)
    // and ticks until it has faded out to the map.
    void close_story_page() {
        for (int i = 0; i < 200 && screen_name() == "Story"; ++i) {
            screen()->on_key(kKeyPress, kKeyAction, 0);
            tick();
        }
    }
    // One logic tick and one animation tick, then the camera, as the frame
    // loop runs them.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            game().update();
            if (GameState* s = screen()) s->update();
            game().animate();
            if (GameState* s = screen()) s->animate();
            game().pre_render();
        }
    }
    // Ticks until the pending fade is over (at most two fades).
    void finish_fades() {
        for (int i = 0; i < 80 && game().transition().pending().type != kTransitionNone; ++i) tick();
    }
    void hold_keys(std::initializer_list<uint32_t> game_keys) {
        for (uint32_t key : game_keys) game().set_key_state(kKeyPress, key, 0);
    }
    void release_keys() { game().clear_held_keys(); }

    static std::shared_ptr<Action> make_action(uint16_t code, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
        auto action = std::make_shared<Action>();
        action->code = code;
        action->a = a;
        action->b = b;
        action->c = c;
        return action;
    }
    void run(uint16_t code, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) { run_action(game(), *make_action(code, a, b, c)); }
    void run_text(uint16_t code, const std::string& text, uint32_t b = 0) {
        auto action = make_action(code, 0, b);
        action->text = text;
        run_action(game(), *action);
    }

    // Places the hero (pixels) on the current level without firing anything.
    void put_hero(Point at) { hero().place(world().current_level_id(), at.x, at.y, hero().facing); }
};

inline uint32_t packed(int32_t x, int32_t y) { return uint32_t(x) | uint32_t(y) << 16; }
