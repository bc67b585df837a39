// The action player's special effects: when they start and end (frames,
// turns, the guard against effects that never end), unknown types and
// missing files, the effect layer and its renewal between fights, anchors,
// and targets put back when an effect goes.
#include <gtest/gtest.h>

#include <string>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "game/effects/action_player.h"
#include "game/effects/effect_file.h"
#include "tests/game/effects/action_player_support.h"

namespace {

// A spark whose single particle a step stands still on the emitter and
// lives `ttl` steps.
std::string spark(int32_t ttl) {
    return "Type = PARTICLESYS\nSprite = \"spark.spr\"\nS = 1\nP1 = 1\nP3 = 0\nFrom1point = 1\nSpawnCount = 1\nTTL = " +
           std::to_string(ttl) + "\n";
}

class EffectPlayerTest : public ActionPlayerTest {
protected:
    EffectPlayerTest() {
        folder_.write("pics/spark.bmp", plain_bmp(2, 2, 0xFFFFFF));
        folder_.write("spark.spr", "bmp = \"pics/spark.bmp\"\n");
    }
    void effect(const std::string& name, const std::string& lines) {
        folder_.write("effects/" + name + ".txt", "[" + name + "]\n" + lines);
    }
    // The state of the first effect of the first action before each update.
    std::string states(ActionPlayer& player, int updates) {
        std::string out;
        for (int i = 0; i < updates; ++i) {
            player.update();
            if (player.running_count() == 0) {
                out += 'x';
                continue;
            }
            const int32_t state = player.action(0).effects[0].state;
            out += state == kElementWaiting ? '0' : state == kElementDone ? 'D' : state >= kEffectEnding ? 'E' : 'R';
        }
        return out;
    }
};

TEST_F(EffectPlayerTest, DurationsInFramesEndEffectsOnTheirFrame) {
    effect("spark", spark(1));
    effect("spark3", spark(3));
    effect("none_of_it", "Type = 99\n");
    struct Case {
        const char* line;
        const char* states;
    };
    const Case cases[] = {
        // Duration 0 starts and ends on its start frame.
        {"Effect = 1, 2, 0, \"spark\", 1\n", "00Dx"},
        // Ending at frame 2 + 3, its particles die out by frame 7.
        {"Effect = 1, 2, 3, \"spark\", 1\n", "00RRRx"},
        {"Effect = 1, 2, 3, \"spark3\", 1\n", "00RRREEx"},
        {"Effect = 1, 1, 50, \"none_of_it\", 1\n", "0DDx"},  // an unknown type
        {"Effect = 1, 1, 50, \"not_there\", 1\n", "0DDx"},   // no such file
        {"Effect = 1, 1, 50, \"none\", 1\n", "0DDx"},
        {"Effect = 1, -4, 50, \"spark\", 1\n", "DDDx"},  // a start frame never reached
    };
    for (const Case& c : cases) {
        script("fx", std::string(c.line) + "Sound = 3, 1, \"none\", 1\n");
        ActionPlayer player(nullptr);
        start(player, "fx", fighter(), fighter(150, 60));
        EXPECT_EQ(states(player, int(std::string(c.states).size())), c.states) << c.line;
    }
}

TEST_F(EffectPlayerTest, ASoundBeforeTheFirstFrameDoesNotKeepItsActionWaiting) {
    script("early", "Sound = -2, 100, \"sfx/hit.wav\", 1\n");
    ActionPlayer player(nullptr);
    start(player, "early", fighter(), nullptr);
    player.update();
    player.update();  // removed once its frame has passed 0, like an empty action
    EXPECT_EQ(player.running_count(), 0);
}

TEST_F(EffectPlayerTest, TurnBoundEffectsEndByTurnsAndUnstartedOnesNeverPlay) {
    effect("spark", spark(1));
    script("aura", "Effect = 1, 0, -1, \"spark\", 1\nEffect = 1, 40, -1, \"spark\", 1\n");
    ActionPlayer player(nullptr);
    start(player, "aura", fighter(), fighter(150, 60));
    for (int i = 0; i < 5; ++i) player.update();
    EXPECT_EQ(player.action(0).effects[0].state, kElementPlaying);
    player.end_looping_effects();
    EXPECT_EQ(player.action(0).effects[0].state, kEffectEnding);
    // The one waiting for frame 40 finishes without ever being loaded.
    EXPECT_EQ(player.action(0).effects[1].state, kElementDone);
    EXPECT_EQ(player.action(0).effects[1].type, -1);
    int frames = 0;
    while (player.running_count() > 0 && frames < 100) {
        player.update();
        ++frames;
    }
    EXPECT_LE(frames, 3);
    EXPECT_EQ(player.effect_layer()->sprites().count(), 0);
}

TEST_F(EffectPlayerTest, NothingKeepsAnActionRunningForEver) {
    effect("spark", spark(1));  // runs until its duration is over
    folder_.write("looper.spr", "Stripes = 10\nbmp = \"pics/fighter.bmp\"\nAnimation = \"Loop\", 0, \"\", \"AB\"\n");
    struct Case {
        const char* lines;
        int32_t at_most;
    };
    const Case cases[] = {
        {"Effect = 1, 0, 100000, \"spark\", 1\n", ActionPlayer::kFrameGuard + 3},
        {"Animation = 1, 0, \"Loop\", 1\n", ActionPlayer::kFrameGuard + 3},
    };
    for (const Case& c : cases) {
        script("long", c.lines);
        ActionPlayer player(nullptr);
        Sprite* looper = group_.create_sprite(u"looper.spr", 100, 60, 10, 0, 0, 0);
        start(player, "long", fighter(), looper);
        int32_t frames = 0;
        while (player.running_count() > 0 && frames < 5000) {
            player.update();
            ++frames;
        }
        EXPECT_LE(frames, c.at_most) << c.lines;
        EXPECT_GT(frames, ActionPlayer::kFrameGuard - 2) << c.lines;
    }
    // A turn-bound effect is not cut short while its turns last.
    script("aura", "Effect = 1, 0, -1, \"spark\", 1\n");
    ActionPlayer player(nullptr);
    start(player, "aura", fighter(), fighter());
    for (int i = 0; i < 3 * ActionPlayer::kFrameGuard; ++i) player.update();
    ASSERT_EQ(player.running_count(), 1);
    EXPECT_EQ(player.action(0).effects[0].state, kElementPlaying);
}

TEST_F(EffectPlayerTest, TheEffectLayerIsRenewedForEveryFight) {
    Layer display;
    display.set_size(240, 320);
    auto* scene = new SpriteGroup;
    display.add_at(scene, 0, 30, 240, 200, 100);
    effect("spark", spark(50));
    script("zap", "Effect = 1, 0, 10, \"spark\", 1\n");
    ActionPlayer player(nullptr);
    for (int fight = 0; fight < 2; ++fight) {
        player.detach_layer();  // as every fight begins
        Sprite* monster = scene->create_sprite(u"fighter.spr", 20, 40, 10, 0, 0, 0);
        start_on(player, scene, "zap", monster);
        SpriteGroup* layer = player.effect_layer();
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->layer(), &display) << "fight " << fight;
        EXPECT_EQ(layer->position().y, 30);
        EXPECT_EQ(layer->size().height, 200);
        for (int i = 0; i < 3; ++i) player.update();
        EXPECT_EQ(layer->sprites().count(), 3) << "fight " << fight;
        EXPECT_TRUE(layer->is_visible());
        while (player.running_count() > 0) player.update();
    }
    // The layer sits above the scene in the display.
    int32_t scene_at = -1, layer_at = -1;
    for (int32_t i = 0; i < display.drawables().count(); ++i) {
        if (display.drawables()[i] == scene) scene_at = i;
        if (display.drawables()[i] == player.effect_layer()) layer_at = i;
    }
    EXPECT_GT(layer_at, scene_at);
    EXPECT_EQ(display.drawables().depth(layer_at), ActionPlayer::kEffectLayerDepth);
    player.detach_layer();
    EXPECT_EQ(player.effect_layer(), nullptr);
    EXPECT_EQ(display.drawables().count(), 1);
}

TEST_F(EffectPlayerTest, AnActionWithoutAnchorPlacesAnchoredEffectsOnTheSprite) {
    effect("spark", spark(5));
    script("bite", "Effect = 0, 0, 5, \"spark\", 1, 1\n");
    struct Case {
        Point anchor;
        Point expected;
    };
    // The monster's reference point is its frame's top left: 50, 60.
    const Case cases[] = {{{-1, -1}, {50, 60}}, {{7, 9}, {7, 9}}, {{-1, 9}, {-1, 9}}};
    for (const Case& c : cases) {
        ActionPlayer player(nullptr);
        player.load_action("bite", &group_, fighter(50, 60), nullptr, 0, 0, -1, c.anchor.x, c.anchor.y);
        player.update();
        ASSERT_EQ(player.effect_layer()->sprites().count(), 1);
        const Sprite* particle = player.effect_layer()->sprites()[0];
        EXPECT_EQ(particle->x, c.expected.x) << c.anchor.x << "," << c.anchor.y;
        EXPECT_EQ(particle->y, c.expected.y) << c.anchor.x << "," << c.anchor.y;
    }
}

TEST_F(EffectPlayerTest, AShakePutsBackEverySpriteStillInTheScene) {
    effect("quake", "Type = EARTHSHAKE\nShakeSize = 4\n");
    folder_.write("levelup.spr", "bmp = \"pics/fighter.bmp\"\n");
    script("quake", "Effect = 1, 0, 6, \"quake\", 1\n");
    struct Case {
        const char* name;
        bool monster_leaves;
        bool removed_mid_shake;
    };
    const Case cases[] = {{"to its end", false, false}, {"monster leaves", true, false}, {"action removed", false, true}};
    for (const Case& c : cases) {
        group_.remove_all();
        Sprite* background = group_.create_sprite(u"fighter.spr", 0, 30, 1, 0, 0, 0);
        Sprite* hero = fighter(170, 120);
        Sprite* monster = fighter(40, 110);  // in the scene, not one of the action's sprites
        ActionPlayer player(nullptr);
        start(player, "quake", hero, nullptr);
        bool moved = false;
        for (int i = 0; i < 4; ++i) {
            player.update();
            moved = moved || background->x != 0 || hero->x != 170;
        }
        EXPECT_TRUE(moved) << c.name;
        if (c.monster_leaves) group_.remove_sprite(monster);
        // A sprite added mid-shake is not moved.
        Sprite* copy = group_.create_sprite(u"levelup.spr", 90, 90, 5, 0, 0, 0);
        if (c.removed_mid_shake) player.remove_action(0);
        for (int i = 0; i < 30 && player.running_count() > 0; ++i) player.update();
        EXPECT_EQ(player.running_count(), 0) << c.name;
        EXPECT_EQ(background->x, 0) << c.name;
        EXPECT_EQ(background->y, 30) << c.name;
        EXPECT_EQ(hero->x, 170) << c.name;
        EXPECT_EQ(hero->y, 120) << c.name;
        if (!c.monster_leaves) {
            EXPECT_EQ(monster->x, 40) << c.name;
        }
        EXPECT_EQ(copy->x, 90) << c.name;
        EXPECT_EQ(copy->y, 90) << c.name;
    }
}

TEST_F(EffectPlayerTest, AMoveWalksThroughEveryPointAndComesBack) {
    effect("lunge", "Type = MOVE\nNsteps = 8\nPlace = 0, 0\nPlace = -30, -10\nPlace = 0, 0\n");
    script("lunge", "Effect = 1, 0, 1, \"lunge\", 1\n");
    ActionPlayer player(nullptr);
    Sprite* monster = fighter(40, 110);
    start(player, "lunge", fighter(), monster);
    std::string xs;
    for (int i = 0; i < 12 && player.running_count() > 0; ++i) {
        player.update();
        xs += std::to_string(monster->x) + " ";
    }
    EXPECT_NE(xs.find(" 10 "), std::string::npos) << xs;  // the middle point, at step 4
    EXPECT_EQ(player.running_count(), 0);
    EXPECT_EQ(monster->x, 40);
    EXPECT_EQ(monster->y, 110);
}

TEST_F(EffectPlayerTest, OverlappingMovesAndShakesPutTheSpriteBack) {
    effect("lunge", "Type = MOVE\nNsteps = 12\nPlace = 0, 0\nPlace = 22, -6\nPlace = 0, 7\n");
    effect("quake", "Type = EARTHSHAKE\nShakeSize = 3\n");
    const char* const scripts[] = {
        "Effect = 1, 2, 0, \"lunge\", 1\nEffect = 1, 9, 8, \"quake\", 1\n",    // the boar's charge and a heavy blow
        "Effect = 1, 9, 8, \"quake\", 1\nEffect = 1, 12, 0, \"lunge\", 1\n",   // the other way round
        "Effect = 1, 0, 0, \"lunge\", 1\nEffect = 1, 5, 0, \"lunge\", 1\n",    // two walks at once
        "Effect = 1, 0, 30, \"quake\", 1\nEffect = 1, 4, 30, \"quake\", 1\n",  // two shakes at once
    };
    for (const char* lines : scripts) {
        script("both", lines);
        ActionPlayer player(nullptr);
        Sprite* monster = fighter(40, 110);
        start(player, "both", fighter(170, 120), monster);
        for (int i = 0; i < 200 && player.running_count() > 0; ++i) player.update();
        EXPECT_EQ(player.running_count(), 0) << lines;
        EXPECT_EQ(monster->x, 40) << lines;
        EXPECT_EQ(monster->y, 110) << lines;
    }
}

TEST_F(EffectPlayerTest, EffectsCanBeStoppedAndFreedByIndex) {
    effect("spark", spark(20));
    script("two", "Effect = 1, 0, 500, \"spark\", 1\nEffect = 1, 0, 500, \"spark\", 1\n");
    ActionPlayer player(nullptr);
    start(player, "two", fighter(), fighter(150, 60));
    for (int i = 0; i < 3; ++i) player.update();
    player.stop_effect(0, 0);
    player.free_effect(0, 1);
    // Out of range: nothing happens.
    for (int32_t bad : {-1, 2, 99}) {
        player.stop_effect(0, bad);
        player.free_effect(bad, 0);
        player.step_effect(bad, bad);
        player.load_effect(0, bad);
    }
    EXPECT_EQ(player.action(0).effects[0].state, kEffectEnding);
    EXPECT_NE(player.action(0).effects[0].object, nullptr);  // its sparks die out first
    EXPECT_EQ(player.action(0).effects[1].state, kElementDone);
    EXPECT_EQ(player.action(0).effects[1].object, nullptr);
    EXPECT_EQ(player.effect_layer()->sprites().count(), 3);  // only the stopped one's sparks are left
}

}  // namespace
