// Effects in a fight of the demo game, as the player sees them: sparks off a
// hit, the scene shaken by a heavy blow and the Ember Twig's lightning, each
// at a fixed seed and compared with its golden picture; and the effects of a
// second fight still reaching the screen.
#include <gtest/gtest.h>

#include <string>

#include "engine/app/frame_loop.h"
#include "engine/core/crt_random.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "tests/game/combat/combat_game_support.h"
#include "tests/game/screens/golden_screen.h"

namespace {

class EffectGoldenTest : public CombatTest {
protected:
    // Meets the rat and waits for the hero's turn, where nothing else moves.
    void face_the_rat() {
        rat_ = &meet(demo::kRat);
        ASSERT_TRUE(until_hero_input());
    }
    // Starts an action of the demo data the way the hero's attack does.
    void play(const std::string& name, int32_t flags, uint32_t seed) {
        crt_srand(seed);
        Sprite* hero_sprite = combat().hero_sprite();
        ASSERT_NE(hero_sprite, nullptr);
        player().load_action(name, hero_sprite->group, hero_sprite, combat().monster_sprite(), flags, 0, -1, -1, -1);
    }
    void shot(const std::string& name) {
        render_frame();
        expect_golden_screen(host.front_buffer(), "effects_" + name);
    }
    MonsterActor* rat_ = nullptr;

    // The first sprite of the effect layer shown at full opacity.
    const Sprite* bright_effect_sprite() {
        const SpriteGroup* layer = player().effect_layer();
        if (!layer) return nullptr;
        for (const auto& entry : layer->sprites())
            if (entry.element->alpha == 32) return entry.element;
        return nullptr;
    }
};

TEST_F(EffectGoldenTest, SparksOffAHit) {
    face_the_rat();
    play("thrust", kPlaySmallDamage, 11);
    tick(15);  // the sparks start on frame 12
    ASSERT_NE(player().effect_layer(), nullptr);
    EXPECT_GT(player().effect_layer()->sprites().count(), 5);
    shot("spark");
}

TEST_F(EffectGoldenTest, AHeavyBlowShakesTheScene) {
    face_the_rat();
    const Point monster_at{combat().monster_sprite()->x, combat().monster_sprite()->y};
    play("bash", kPlayBigDamage, 12);
    tick(16);
    shot("shake");
    // The shake is over with the action, and the rat stands where it stood.
    for (int i = 0; i < 200 && player().running_count() > 0; ++i) tick();
    EXPECT_EQ(player().running_count(), 0);
    EXPECT_EQ(combat().monster_sprite()->x, monster_at.x);
    EXPECT_EQ(combat().monster_sprite()->y, monster_at.y);
}

TEST_F(EffectGoldenTest, TheEmberTwigsLightning) {
    face_the_rat();
    play("ember", kPlaySmallDamage, 13);
    tick(8);
    int waited = 0;
    while (!bright_effect_sprite() && waited < 20) {
        tick();
        ++waited;
    }
    ASSERT_NE(bright_effect_sprite(), nullptr);
    shot("lightning");
}

TEST_F(EffectGoldenTest, TheSecondFightsEffectsReachTheScreen) {
    for (int fight = 0; fight < 2; ++fight) {
        face_the_rat();
        play("thrust", kPlaySmallDamage, 5);
        tick(14);
        const SpriteGroup* layer = player().effect_layer();
        ASSERT_NE(layer, nullptr) << "fight " << fight;
        EXPECT_EQ(layer->layer(), game().first_layer()) << "fight " << fight;
        EXPECT_TRUE(layer->is_visible());
        EXPECT_GT(layer->sprites().count(), 0) << "fight " << fight;
        hero().hit_points = hero().max_hit_points;
        ASSERT_GE(until_over(), 0);
        finish_fades();
    }
}

TEST_F(EffectGoldenTest, ADraughtsGlowLastsUntilTheMonsterHasReplied) {
    face_the_rat();
    rat_->hit_points = rat_->max_hit_points = 1000;  // it outlives the hero's blow
    crt_srand(3);
    const int32_t id = player().load_action("drink", combat().hero_sprite()->group, combat().monster_sprite(),
                                            combat().hero_sprite(), 0, 0, -1, -1, -1);
    tick(12);  // the glow starts on frame 8
    auto glow_state = [&] {
        const int32_t index = player().find_action(id);
        return index < 0 ? kElementDone : player().action(index).effects[0].state;
    };
    ASSERT_EQ(glow_state(), kElementPlaying);
    EXPECT_TRUE(player().is_action_finished(id));  // the fight goes on under it
    // The hero's turn counts one; the glow stays through it.
    press(kKeyAction);
    ASSERT_TRUE(until_phase(CombatState::kMonsterAction));
    EXPECT_EQ(glow_state(), kElementPlaying);
    // The monster's reply completes the pair of turns: the glow ends.
    ASSERT_TRUE(until_hero_input());
    EXPECT_GE(glow_state(), kEffectEnding);
    for (int i = 0; i < 300 && glow_state() != kElementDone; ++i) tick();
    EXPECT_EQ(glow_state(), kElementDone);
    EXPECT_EQ(combat().hero_sprite()->alpha, 32);
}

}  // namespace
