// The action player: ids, the result frame, when an action counts as
// finished and when it is removed, missing scripts, removal in the middle of
// a frame, the dimming overlay, sounds, and the safety of removing actions
// before their sprites go.
#include "game/effects/action_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "tests/game/effects/action_player_support.h"

namespace {

// Keeps an action alive for 30 frames without touching a sprite.
const char* const kLongQuiet = "Sound = 30, 10, \"none\", PLAY_ALWAYS\n";

int32_t frame_of(const ActionPlayer& player, int32_t id) {
    const int32_t index = player.find_action(id);
    return index < 0 ? -1 : player.action(index).frame;
}

TEST_F(ActionPlayerTest, IdsCountFromOneAndAreNeverReused) {
    script("quiet", kLongQuiet);
    ActionPlayer player(nullptr);
    const int32_t a = start(player, "quiet", nullptr, nullptr);
    const int32_t b = start(player, "quiet", nullptr, nullptr);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(player.find_action(a), 0);
    EXPECT_EQ(player.find_action(b), 1);
    EXPECT_EQ(player.find_action(3), -1);
    EXPECT_TRUE(player.remove_action_by_id(a));
    EXPECT_EQ(player.find_action(b), 0);  // later actions move down
    EXPECT_EQ(start(player, "quiet", nullptr, nullptr), 3);
    EXPECT_EQ(player.running_count(), 2);
}

TEST_F(ActionPlayerTest, TheResultFrameIsSeenOnExactlyOneUpdate) {
    struct Case {
        const char* show_line;
        int32_t show_frame;
    };
    const Case cases[] = {{"", 20}, {"ShowResult = 5\n", 5}, {"ShowResult = 0\n", 0}, {"ShowResult = 29\n", 29}};
    for (const Case& c : cases) {
        script("shown", std::string(c.show_line) + kLongQuiet);
        ActionPlayer player(nullptr);
        const int32_t id = start(player, "shown", nullptr, nullptr, kPlaySmallDamage);
        std::vector<int> seen_before_update;
        for (int update = 0; update < 35; ++update) {
            if (player.is_at_last_frame(id)) seen_before_update.push_back(update);
            player.update();
        }
        EXPECT_EQ(seen_before_update, std::vector<int>{c.show_frame}) << c.show_line;
    }
    ActionPlayer player(nullptr);
    EXPECT_FALSE(player.is_at_last_frame(1));
}

TEST_F(ActionPlayerTest, AnActionFinishesWhenItsAnimationsHaveEnded) {
    // The hurt animation starts at frame 3 and ends on its third step.
    script("hurt", "Animation = ON_SPRITE2, 3, \"Damage\", PLAY_ALWAYS\n");
    ActionPlayer player(nullptr);
    Sprite* hero = fighter();
    Sprite* monster = fighter(150, 60);
    const int32_t id = start(player, "hurt", monster, hero, kPlaySmallDamage);
    std::string finished, running, phases;
    for (int update = 0; update < 8; ++update) {
        player.update();
        finished += player.is_action_finished(id) ? 'F' : '-';
        running += player.find_action(id) >= 0 ? 'R' : '-';
        phases += char('A' + hero->phase);
    }
    EXPECT_EQ(finished, "-----FFF");
    EXPECT_EQ(running, "RRRRR---");  // removed in the frame its animation ended
    EXPECT_EQ(phases, "AAABDDDD");   // frames B, D of "Damage"
    EXPECT_EQ(monster->phase, 0);
    EXPECT_LT(hero->current_animation, 0);
}

TEST_F(ActionPlayerTest, TurnBoundEffectsDoNotHoldTheActionBack) {
    struct Case {
        const char* lines;
        const char* finished;
        const char* running;
    };
    const Case cases[] = {
        {"Effect = ON_SPRITE2, 0, -2, \"glow\", PLAY_ALWAYS\n", "FFF", "R--"},
        {"Effect = ON_SPRITE2, 2, 6, \"glow\", PLAY_ALWAYS\n", "--F", "RR-"},
        {"Effect = ON_SPRITE2, 0, -2, \"glow\", 1\nEffect = 1, 2, 6, \"spark\", 1\n", "--F", "RR-"},
    };
    for (const Case& c : cases) {
        script("glow", c.lines);
        ActionPlayer player(nullptr);
        const int32_t id = start(player, "glow", nullptr, nullptr, kPlaySmallDamage);
        std::string finished, running;
        for (int update = 0; update < 3; ++update) {
            player.update();
            finished += player.is_action_finished(id) ? 'F' : '-';
            running += player.find_action(id) >= 0 ? 'R' : '-';
        }
        EXPECT_EQ(finished, c.finished) << c.lines;
        EXPECT_EQ(running, c.running) << c.lines;
    }
}

TEST_F(ActionPlayerTest, TurnsCountDownTheTurnBoundEffects) {
    script("aura", "Effect = 1, 0, -2, \"aura\", 1\nEffect = 1, 40, 5, \"late\", 1\n" + std::string(kLongQuiet));
    ActionPlayer player(nullptr);
    start(player, "aura", nullptr, nullptr);
    player.end_looping_effects();
    EXPECT_EQ(player.action(0).effects[0].duration, -1);
    EXPECT_EQ(player.action(0).effects[0].state, kElementWaiting);
    player.end_looping_effects();
    EXPECT_EQ(player.action(0).effects[0].duration, 0);
    EXPECT_GE(player.action(0).effects[0].state, kEffectEnding);
    player.end_looping_effects();  // ended effects count no further
    EXPECT_EQ(player.action(0).effects[0].duration, 0);
    EXPECT_EQ(player.action(0).effects[1].duration, 5);
    EXPECT_EQ(player.action(0).effects[1].state, kElementWaiting);
}

TEST_F(ActionPlayerTest, AMissingScriptGivesAnEmptyActionThatEndsAfterItsFirstFrame) {
    ActionPlayer player(nullptr);
    Sprite* hero = fighter();
    const int32_t id = start(player, "no_such_action", hero, nullptr, kPlayBigDamage, 1);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(player.running_count(), 1);
    EXPECT_EQ(player.action(0).show_frame, 20);
    EXPECT_TRUE(player.action(0).animations.empty());
    EXPECT_TRUE(player.action(0).sounds.empty());
    EXPECT_TRUE(player.action(0).effects.empty());
    EXPECT_EQ(player.modal_count(), 1);
    EXPECT_FALSE(player.is_action_finished(id));
    player.update();
    // Finished, though it never reaches its result frame: the caller shows
    // the result now.
    EXPECT_TRUE(player.is_action_finished(id));
    EXPECT_EQ(player.running_count(), 1);
    player.update();
    EXPECT_EQ(player.running_count(), 0);
    EXPECT_EQ(player.modal_count(), 0);
    for (int update = 0; update < 25; ++update) {
        EXPECT_FALSE(player.is_at_last_frame(id));
        player.update();
    }
}

TEST_F(ActionPlayerTest, ActionsAfterOneThatEndsAreStillSteppedOnceInThatFrame) {
    // 's' ends on the second update, 'L' runs on.
    const std::vector<std::string> layouts = {"sLL", "LsL", "LLs", "ssL", "Lss", "sss", "sLs"};
    script("long", kLongQuiet);
    for (const std::string& layout : layouts) {
        ActionPlayer player(nullptr);
        std::vector<int32_t> long_ids;
        for (char kind : layout) {
            const int32_t id = start(player, kind == 's' ? "missing" : "long", nullptr, nullptr);
            if (kind == 'L') long_ids.push_back(id);
        }
        for (int update = 0; update < 3; ++update) player.update();
        EXPECT_EQ(player.running_count(), int32_t(long_ids.size())) << layout;
        for (int32_t id : long_ids) EXPECT_EQ(frame_of(player, id), 3) << layout << " id " << id;
    }
}

TEST_F(ActionPlayerTest, AModalActionWaitsUntilTheSceneIsDimmed) {
    script("swing", "Sound = 2, 100, \"none\", PLAY_ALWAYS\n");
    ActionPlayer player(nullptr);
    player.create_overlay(&group_, 15);
    Sprite* overlay = player.overlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->group, &group_);
    EXPECT_EQ(overlay->frame_width, 240);
    EXPECT_EQ(overlay->frame_height, 320);
    EXPECT_EQ(overlay->alpha, 0);
    EXPECT_EQ(overlay->flags, ALPHA_LAYER);
    EXPECT_EQ(overlay->bitmap()->pixels[0], 0);

    const int32_t id = start(player, "swing", nullptr, nullptr, kPlaySmallDamage, 1);
    for (int update = 1; update <= 15; ++update) {
        player.update();
        EXPECT_EQ(overlay->alpha, update);
        EXPECT_EQ(frame_of(player, id), 0) << "update " << update;
    }
    player.update();  // now frame 0 is processed
    EXPECT_EQ(frame_of(player, id), 1);
    EXPECT_EQ(overlay->alpha, 15);
    while (player.find_action(id) >= 0) player.update();
    // Brightening again after the last modal action, one step a frame.
    for (int step = 14; step >= 0; --step) {
        player.update();
        EXPECT_EQ(overlay->alpha, step);
    }
    player.update();
    EXPECT_EQ(overlay->alpha, 0);
}

TEST_F(ActionPlayerTest, ActionsThatAreNotModalDoNotWaitForTheDimming) {
    script("swing", kLongQuiet);
    ActionPlayer player(nullptr);
    player.create_overlay(&group_, 15);
    const int32_t id = start(player, "swing", nullptr, nullptr, kPlaySmallDamage, 0);
    player.update();
    EXPECT_EQ(frame_of(player, id), 1);
    EXPECT_EQ(player.overlay()->alpha, 0);
}

TEST_F(ActionPlayerTest, DestroyingTheOverlayLeavesNothingForUpdateToTouch) {
    script("swing", "Animation = ON_SPRITE1, 0, \"Attack\", 1\n" + std::string(kLongQuiet));
    ActionPlayer player(nullptr);
    player.create_overlay(&group_, 15);
    player.create_overlay(&group_, 15);  // a second overlay replaces the first
    EXPECT_EQ(group_.sprites().count(), 1);
    const int32_t id = start(player, "swing", fighter(), nullptr, kPlaySmallDamage, 1);
    for (int update = 0; update < 3; ++update) player.update();
    EXPECT_EQ(player.overlay()->alpha, 3);

    player.destroy_overlay();
    EXPECT_EQ(player.overlay(), nullptr);
    EXPECT_EQ(player.modal_count(), 0);
    EXPECT_EQ(group_.sprites().count(), 1);  // only the fighter is left
    player.update();                         // no deleted overlay stepped
    EXPECT_EQ(frame_of(player, id), 1);      // and no dimming waited for
    player.destroy_overlay();
    player.remove_action_by_id(id);
    EXPECT_EQ(player.modal_count(), 0);  // removing it counts no further down
}

TEST_F(ActionPlayerTest, ActionsRemovedBeforeTheirSpritesGoAreNeverSteppedAgain) {
    script("clash", "Animation = ON_SPRITE1, 0, \"Attack\", 1\nAnimation = ON_SPRITE2, 1, \"Damage\", 1\n" +
                        std::string(kLongQuiet));
    ActionPlayer player(nullptr);
    Sprite* hero = fighter();
    Sprite* monster = fighter(150, 60);
    const int32_t appear = start(player, "clash", monster, nullptr, kPlayAlways, 0);
    const int32_t attack = start(player, "clash", hero, monster, kPlaySmallDamage, 1);
    player.update();
    player.update();
    EXPECT_EQ(player.modal_count(), 1);

    // What the combat screen does before it deletes its sprites.
    EXPECT_TRUE(player.remove_action_by_id(attack));
    EXPECT_TRUE(player.remove_action_by_id(appear));
    EXPECT_EQ(player.modal_count(), 0);
    group_.remove_sprite(hero);
    group_.remove_sprite(monster);
    for (int update = 0; update < 40; ++update) player.update();

    // Unknown ids and indexes are harmless.
    EXPECT_FALSE(player.remove_action_by_id(attack));
    EXPECT_FALSE(player.remove_action_by_id(0));
    player.remove_action(-1);
    player.remove_action(0);
    player.remove_action(7);
    EXPECT_EQ(player.running_count(), 0);
    EXPECT_TRUE(player.is_action_finished(attack));
}

TEST_F(ActionPlayerTest, TheHeroPlaysTheHurtAnimationOfHisWeapon) {
    script("bite", "Animation = ON_SPRITE2, 0, \"Damage\", PLAY_SMALLDAMAGE\n"
                   "Animation = ON_SPRITE2, 4, \"Back\", PLAY_SMALLDAMAGE\n");
    struct Case {
        int32_t weapon_kind;
        const char* hurt;
    };
    // Only these two hurt and return animations exist in the test's art.
    for (const Case& c : {Case{0, "Damage1"}, Case{2, "Damage4"}, Case{-1, "Damage"}}) {
        ActionPlayer player(nullptr);
        Sprite* monster = fighter(150, 60);
        Sprite* hero = fighter();
        start(player, "bite", monster, hero, kPlaySmallDamage, 1, c.weapon_kind);
        player.update();
        EXPECT_EQ(hero->current_animation, hero->def->find_animation(c.hurt)) << c.hurt;
        EXPECT_LT(monster->current_animation, 0);
        group_.remove_all();
    }
    ActionPlayer player(nullptr);
    Sprite* hero = fighter();
    start(player, "bite", fighter(150, 60), hero, kPlaySmallDamage, 1, 1);
    for (int update = 0; update < 5; ++update) player.update();
    EXPECT_EQ(hero->current_animation, hero->def->find_animation("Back2"));
}

TEST_F(ActionPlayerTest, AnimationsNamedNoneOrMissingEndAtOnce) {
    script("odd", "Animation = ON_SPRITE1, 0, \"none\", 1\nAnimation = ON_SPRITE2, 0, \"Cartwheel\", 1\n"
                  "Animation = ON_SPRITE2, 1, \"Attack\", 1\n");
    ActionPlayer player(nullptr);
    Sprite* hero = fighter();
    start(player, "odd", hero, nullptr, 0);  // no second sprite
    player.update();
    EXPECT_EQ(player.action(0).animations[0].state, kElementDone);
    EXPECT_EQ(player.action(0).animations[1].state, kElementDone);
    EXPECT_EQ(player.action(0).animations[2].state, kElementWaiting);
    player.update();
    player.update();
    EXPECT_EQ(player.running_count(), 0);
    EXPECT_LT(hero->current_animation, 0);
}

TEST_F(ActionPlayerTest, SoundsPlayOnceAtTheirFrameThroughTheSoundFacade) {
    script("ring", "Sound = 2, 200, \"sfx/hit.wav\", PLAY_SMALLDAMAGE\n"
                   "Sound = 2, 200, \"sfx/thud.wav\", PLAY_BIGDAMAGE\n"
                   "Sound = 0, 100, \"none\", PLAY_ALWAYS\n"
                   "Sound = 1, 100, \"sfx/missing.wav\", PLAY_ALWAYS\n");
    ActionPlayer player(sounds_.get());
    const int32_t id = start(player, "ring", nullptr, nullptr, kPlaySmallDamage);
    std::vector<int> played;
    for (int update = 0; update < 5; ++update) {
        player.update();
        played.push_back(sounds_played());
    }
    EXPECT_EQ(played, (std::vector<int>{0, 0, 1, 1, 1}));
    EXPECT_EQ(sound_log_->last_volume, 200);
    EXPECT_EQ(player.find_action(id), -1);

    ActionPlayer silent(nullptr);  // without a facade sounds count as played
    start(silent, "ring", nullptr, nullptr, kPlaySmallDamage);
    for (int update = 0; update < 4; ++update) silent.update();
    EXPECT_EQ(silent.running_count(), 0);
}

TEST_F(ActionPlayerTest, ReferencePointsAreTheTopLeftOfTheSpritesFrame) {
    struct Case {
        uint32_t grab;
        Point ref;
    };
    // The fighter's frame is 10 x 10 at 50, 60.
    const Case cases[] = {
        {GRAB_TOPLEFT, {50, 60}}, {GRAB_RIGHT, {40, 60}},  {GRAB_HCENTER, {45, 60}},
        {GRAB_BOTTOM, {50, 50}},  {GRAB_VCENTER, {50, 55}}, {GRAB_CENTER, {45, 55}},
        {GRAB_BOTTOM | GRAB_HCENTER, {45, 50}},
    };
    ActionPlayer player(nullptr);
    for (const Case& c : cases) {
        Sprite* sprite = fighter();
        sprite->assign_flags(c.grab);
        start(player, "missing", sprite, sprite);
        EXPECT_EQ(player.action(player.running_count() - 1).sprite1_ref, c.ref) << std::hex << c.grab;
        EXPECT_EQ(player.action(player.running_count() - 1).sprite2_ref, c.ref) << std::hex << c.grab;
    }
}

}  // namespace
