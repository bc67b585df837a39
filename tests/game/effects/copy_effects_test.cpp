// The effect types that copy their target: every script of the test data
// plays to its end with the target put back; the values the types are built
// on (wave width, aura place, colour ramp, luminance, outline, stretch).
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/crt_random.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/platform/front_buffer.h"
#include "game/effects/effect_sprite_copy.h"
#include "game/effects/effect_wave.h"
#include "tests/game/effects/copy_effect_support.h"
#include "tests/game/screens/golden_screen.h"

namespace {

const char* const kScripts[] = {
    "pixelwave_defaults",    "pixelwave_keys",     "pixelwave_zero",    "pixelaura_defaults", "pixelaura_keys",
    "pixelaura_zero",        "animtrail_defaults", "animtrail_keys",    "animtrail_zero",     "colorchanger_defaults",
    "colorchanger_keys",     "colorchanger_zero",  "colorchanger_pulse", "resizesprite_defaults", "resizesprite_keys",
    "resizesprite_zero",     "dizzy_defaults",     "dizzy_keys",        "dizzy_zero",         "snake_defaults",
    "snake_keys",            "snake_zero",         "snakex_defaults",   "snakex_keys",        "snakex_zero",
    "ghost_defaults",        "ghost_keys",         "ghost_zero",        "specialeffect_defaults",
    "specialeffect_keys",    "specialeffect_zero",
};

struct Look {
    uint32_t flags;
    int32_t alpha, x, y, depth;
    friend bool operator==(const Look&, const Look&) = default;
};
Look look_of(const Sprite& s) { return {s.flags, s.alpha, s.x, s.y, s.depth}; }

}  // namespace

TEST_F(CopyEffectTest, EveryScriptPlaysToItsEndAndPutsTheTargetBack) {
    const Look before = look_of(*target_);
    for (const char* name : kScripts) {
        SCOPED_TRACE(name);
        crt_srand(7);
        EffectTarget t = target();
        std::unique_ptr<EffectObject> effect = start(name, t);
        ASSERT_NE(effect, nullptr);
        EXPECT_GT(play(*effect, t, 40, 3000), 0);
        effect.reset();
        EXPECT_EQ(look_of(*target_), before);
        EXPECT_TRUE(copies().empty());
        EXPECT_TRUE(layer_.sprites().empty());
        EXPECT_EQ(target_->current_animation, -1);
    }
}

TEST_F(CopyEffectTest, DeletedMidEffectTheTargetIsPutBack) {
    const Look before = look_of(*target_);
    for (const char* name : kScripts) {
        for (int32_t frames : {1, 5, 30}) {
            SCOPED_TRACE(std::string(name) + " after " + std::to_string(frames));
            EffectTarget t = target();
            std::unique_ptr<EffectObject> effect = start(name, t);
            for (int32_t n = 0; n < frames; ++n) frame(*effect, t, false);
            effect.reset();
            EXPECT_EQ(look_of(*target_), before);
            EXPECT_TRUE(copies().empty());
            EXPECT_TRUE(layer_.sprites().empty());
        }
    }
}

TEST_F(CopyEffectTest, ATargetTakenOutOfTheSceneMidEffectIsLeftAlone) {
    for (const char* name : kScripts) {
        SCOPED_TRACE(name);
        target_ = scene_.create_sprite(u"figure.spr", 60, 150, 5, 0, 0, 0);
        EffectTarget t = target();
        std::unique_ptr<EffectObject> effect = start(name, t);
        for (int32_t n = 0; n < 4; ++n) frame(*effect, t, false);
        scene_.remove_sprite(target_);
        target_ = nullptr;
        EXPECT_GT(play(*effect, t, 10, 3000), 0);
        effect.reset();
        EXPECT_EQ(scene_.sprites().count(), 1);  // the first figure only
        EXPECT_TRUE(layer_.sprites().empty());
        target_ = scene_.sprites()[0];
    }
}

TEST_F(CopyEffectTest, OtherTypesAreNotMade) {
    EffectTarget t = target();
    for (int32_t type : {-1, 0, 3, 8, 11, 13, 14, 15, 17, 18, 19}) {
        EffectFile file;
        EXPECT_EQ(make_copy_effect(type, file, t), nullptr) << type;
    }
}

TEST_F(CopyEffectTest, WaveIsWiderByItsWidthRoundedDownToEven) {
    struct Case {
        int32_t max, extra;
    };
    for (const Case c : {Case{7, 6}, Case{6, 6}, Case{1, 0}, Case{0, 0}, Case{-5, 0}}) {
        SCOPED_TRACE(c.max);
        EffectTarget t = target();
        auto effect = start_text("w", "Type = PIXELWAVE\nPIX_WAVE_MAX = " + std::to_string(c.max), t);
        frame(*effect, t, false);
        ASSERT_EQ(copies().size(), 1u);
        EXPECT_EQ(copies()[0]->frame_width, 24 + c.extra);
        EXPECT_EQ(copies()[0]->x, kTargetPlace.x - c.extra / 2);
        EXPECT_EQ(copies()[0]->y, kTargetPlace.y - 32);
        EXPECT_EQ(target_->alpha, 0);
        EXPECT_TRUE(target_->flags & ALPHA_LAYER);  // so that alpha 0 hides it
    }
}

TEST_F(CopyEffectTest, WaveShiftsEachRowOnTheSine) {
    EXPECT_EQ(wave_shift(4, 0, 90, 7), 4);
    EXPECT_EQ(wave_shift(4, 0, 270, 7), -4);
    EXPECT_EQ(wave_shift(4, 0, 30, 0), 2);
    EXPECT_EQ(wave_shift(4, 45, 0, 2), 4);    // 90 degrees on row 2
    EXPECT_EQ(wave_shift(4, -45, 0, 2), -4);  // -90 degrees
    EXPECT_EQ(wave_shift(4, 0, 0, 3), 0);
    // Frame 1 at phase 0, frame 2 at phase 90: the head's centre (12, 6)
    // lands at 4 + 12, then at 4 + 4 + 12.
    EffectTarget t = target();
    auto effect = start_text("w", "Type = PIXELWAVE\nPIX_WAVE_MAX = 8\nPIX_WAVE_SPEED = 90", t);
    const uint16_t head = target_->bitmap()->pixel(12, 6);
    frame(*effect, t, false);
    EXPECT_EQ(copies()[0]->bitmap()->pixel(16, 6), head);
    EXPECT_EQ(copies()[0]->bitmap()->pixel(3, 6), kColorKey);
    frame(*effect, t, false);
    EXPECT_EQ(copies()[0]->bitmap()->pixel(20, 6), head);
    EXPECT_EQ(copies()[0]->bitmap()->pixel(16, 6), head);  // still inside the head, 4 pixels on
    EXPECT_EQ(copies()[0]->bitmap()->pixel(4, 6), kColorKey);
}

TEST_F(CopyEffectTest, WaveEndsWhenItsRepeatsAreUsedUp) {
    struct Case {
        const char* keys;
        int32_t frames;  // until done; -1 never within the bound
    };
    for (const Case c : {Case{"PIX_WAVE_SPEED = 90\nREPEAT = 2", 8}, Case{"PIX_WAVE_SPEED = 720\nREPEAT = 3", 2},
                         Case{"PIX_WAVE_SPEED = 90\nREPEAT = 0", 1}, Case{"PIX_WAVE_SPEED = 90", -1},
                         Case{"PIX_WAVE_SPEED = -90\nREPEAT = 1", -1}}) {
        SCOPED_TRACE(c.keys);
        EffectTarget t = target();
        auto effect = start_text("w", std::string("Type = PIXELWAVE\n") + c.keys, t);
        EXPECT_EQ(play(*effect, t, 1000, 1000), c.frames);
    }
}

TEST_F(CopyEffectTest, AuraStandsAQuarterOfItsGrowthRightOfTheTarget) {
    struct Case {
        const char* keys;
        int32_t frames, zoom, offset, alpha;
    };
    // Width 24: growth = 24 x zoom / 1024 - 24.
    for (const Case c : {Case{"SHRINK = 0\nZOOM_CHG = 100\nZOOM_MAX = 2048", 5, 1524, 2, 31},
                         Case{"SHRINK = 1\nZOOM_CHG = 100\nZOOM_MAX = 2048\nALPHASPEED = 1\nALPHA_CHG = 3", 1, 1948,
                              5, 3},
                         Case{"SHRINK = 1\nZOOM_CHG = 100\nZOOM_MAX = 2048", 11, 1024, 0, 2}}) {
        SCOPED_TRACE(c.keys);
        EffectTarget t = target();
        auto effect = start_text("a", std::string("Type = PIXELAURA\n") + c.keys, t);
        for (int32_t n = 0; n < c.frames; ++n) EXPECT_EQ(frame(*effect, t, false), EffectProgress::kRunning);
        ASSERT_EQ(copies().size(), 1u);
        const Sprite& aura = *copies()[0];
        EXPECT_EQ(aura.zoom, c.zoom);
        EXPECT_EQ(aura.x, kTargetPlace.x + c.offset);
        EXPECT_EQ(aura.y, kTargetPlace.y);
        EXPECT_EQ(aura.depth, kTargetDepth - 1);
        EXPECT_EQ(aura.flags & (target_->flags | 0x101), target_->flags | 0x101);
        EXPECT_EQ(aura.alpha, c.alpha);
        EXPECT_EQ(aura.bitmap()->pixel(12, 20), pack_channels565(31, 63, 31));  // painted in the aura colour
    }
}

TEST_F(CopyEffectTest, GrowingAuraIsDoneWhenClear) {
    EffectTarget t = target();
    auto effect = start_text("a", "Type = PIXELAURA\nSHRINK = 0\nALPHA_CHG = 8\nALPHASPEED = 1", t);
    EXPECT_EQ(play(*effect, t, 100, 100), 4);
}

TEST_F(CopyEffectTest, ColourChangerRampsInStepsOfItsSteps) {
    struct Case {
        const char* script;
        std::vector<int32_t> running, ending;  // the copy's alpha after each frame
    };
    const Case cases[] = {
        {"colorchanger_keys", {0, 6, 6, 12, 12, 19, 19, 25, 25, 32, 32, 32}, {32, 25, 25, 19, 19, 12, 12, 6, 6}},
        {"colorchanger_pulse", {8, 16, 24, 32, 24, 16, 8, 0, 8, 16}, {8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EffectTarget t = target();
        auto effect = start(c.script, t);
        for (int32_t alpha : c.running) {
            EXPECT_EQ(frame(*effect, t, false), EffectProgress::kRunning);
            EXPECT_EQ(copies()[0]->alpha, alpha);
        }
        EXPECT_EQ(copies()[0]->depth, kTargetDepth + 100);
        for (int32_t alpha : c.ending) {
            ASSERT_EQ(frame(*effect, t, true), EffectProgress::kRunning);
            EXPECT_EQ(copies()[0]->alpha, alpha);
        }
        EXPECT_EQ(frame(*effect, t, true), EffectProgress::kDone);
    }
}

TEST_F(CopyEffectTest, ColourChangerPaintsTheLuminanceInItsColour) {
    // The body, 0x3060C0, is 565 red 6, green 24, blue 24: luminance
    // (24 x 59 + 6 x 60 + 24 x 22) / 25 = 92.
    ASSERT_EQ(target_->bitmap()->pixel(12, 20), pack_channels565(6, 24, 24));
    struct Case {
        const char* keys;
        uint16_t body;
    };
    for (const Case c : {Case{"Color = RED", pack_channels565(11, 0, 0)}, Case{"Color = GREEN", pack_channels565(0, 23, 0)},
                         Case{"Color = GREY", pack_channels565(11, 23, 11)}, Case{"Color = BLUE", pack_channels565(11, 23, 11)},
                         Case{"Color = 255", pack_channels565(11, 23, 11)}}) {
        SCOPED_TRACE(c.keys);
        EffectTarget t = target();
        auto effect = start_text("c", std::string("Type = COLORCHANGER\n") + c.keys, t);
        frame(*effect, t, false);
        EXPECT_EQ(copies()[0]->bitmap()->pixel(12, 20), c.body);
        EXPECT_EQ(copies()[0]->bitmap()->pixel(0, 0), kColorKey);
    }
}

TEST(EffectLuminance, WeighsTheChannelsOf565) {
    struct Case {
        uint16_t pixel;
        int32_t luminance;
    };
    for (const Case c : {Case{0xFFFF, 250}, Case{0xF800, 74}, Case{0x07E0, 148}, Case{0x001F, 27}, Case{0, 0},
                         Case{pack_channels565(6, 24, 24), 92}})
        EXPECT_EQ(luminance565(c.pixel), c.luminance) << std::hex << c.pixel;
}

TEST_F(CopyEffectTest, OutlineRunsUntilStoppedAndMarksTheEdgesOfEachRun) {
    EffectTarget t = target();
    auto effect = start("specialeffect_defaults", t);
    for (int32_t n = 0; n < 2000; ++n) ASSERT_EQ(effect->step(t), EffectProgress::kRunning);
    // Row 20 of the first frame: an arm at 4, the body 7 .. 16, an arm at 19.
    const Bitmap& outline = *copies()[0]->bitmap();
    for (int32_t x : {4, 7, 16, 19}) EXPECT_EQ(outline.pixel(x, 20), 0) << x;
    for (int32_t x : {3, 5, 8, 12, 15, 18}) EXPECT_EQ(outline.pixel(x, 20), kColorKey) << x;
    EXPECT_EQ(copies()[0]->alpha, 0);  // faded from 32 by 1 every 3 x 3 frames
    EXPECT_EQ(effect->step_ending(t), EffectProgress::kDone);
}

TEST_F(CopyEffectTest, ResizeStretchesOverNineFramesAndBack) {
    EffectTarget t = target();
    auto effect = start("resizesprite_defaults", t);
    for (int32_t n = 1; n < 9; ++n) ASSERT_EQ(frame(*effect, t, false), EffectProgress::kRunning) << n;
    EXPECT_EQ(frame(*effect, t, false), EffectProgress::kEnding);
    EXPECT_EQ(target_->alpha, 0);
    const Sprite& copy = *copies()[0];
    EXPECT_EQ(copy.frame_width, 48);
    EXPECT_EQ(copy.x, kTargetPlace.x - 12);
    // Every second pixel doubled: the 24 columns fill 36, from 6 on.
    const Bitmap& wide = *copy.bitmap();
    EXPECT_EQ(wide.pixel(5, 20), kColorKey);
    EXPECT_EQ(wide.pixel(6 + 7 + 3, 20), target_->bitmap()->pixel(7, 20));  // body's left edge
    EXPECT_EQ(wide.pixel(6 + 36, 20), kColorKey);
    for (int32_t n = 1; n < 9; ++n) ASSERT_EQ(frame(*effect, t, true), EffectProgress::kRunning) << n;
    EXPECT_EQ(frame(*effect, t, true), EffectProgress::kDone);
}

TEST_F(CopyEffectTest, DizzyImagesStayNearAndWalkBack) {
    crt_srand(3);
    EffectTarget t = target();
    auto effect = start("dizzy_keys", t);
    ASSERT_EQ(copies().size(), 10u);  // twelve asked for
    bool moved = false;
    for (int32_t n = 0; n < 200; ++n) {
        frame(*effect, t, false);
        for (const Sprite* copy : copies()) {
            ASSERT_LE(std::abs(copy->x - target_->x), 9);
            ASSERT_LE(std::abs(copy->y - target_->y), 9);
            moved |= copy->x != target_->x;
            EXPECT_EQ(copy->alpha, 12);
        }
    }
    EXPECT_TRUE(moved);
    EXPECT_GT(play(*effect, t, 0, 30), 0);
}

TEST_F(CopyEffectTest, SnakeCentresOnTheAnchorOrTheTargetsY) {
    struct Case {
        const char* type;
        bool anchored;
        Point at;
    };
    const std::string still = "Sprite = \"fx/orb.spr\"\nCount = 1\nMinRad1 = 0\nMaxRad1 = 0\nMinRad2 = 0\nMaxRad2 = 0\n"
                              "Move = 0\nox = 5\noy = 7\n";
    for (const Case c : {Case{"SNAKE", false, {105, 175}}, Case{"SNAKEX", false, {105, 175}},
                         Case{"SNAKE", true, {50, 60}}, Case{"SNAKEX", true, {50, 200}}}) {
        SCOPED_TRACE(std::string(c.type) + (c.anchored ? " anchored" : ""));
        EffectTarget t = target();
        t.anchored = c.anchored;
        t.anchor = {50, 60};
        auto effect = start_text("s", "Type = " + std::string(c.type) + "\n" + still, t);
        frame(*effect, t, false);
        ASSERT_EQ(layer_.sprites().count(), 1);
        const Sprite& orb = *layer_.sprites()[0];
        EXPECT_EQ((Point{orb.x, orb.y}), c.at);
        EXPECT_EQ(orb.zoom, 600);
    }
}

TEST_F(CopyEffectTest, SnakeWithoutLivesRunsUntilStopped) {
    EffectTarget t = target();
    auto effect = start_text("s",
                             "Type = SNAKE\nSprite = \"fx/orb.spr\"\nFollowUp = 2\nMinRad1 = 100\nMaxRad1 = 100\n"
                             "MinRad2 = 20\nMaxRad2 = 20",
                             t);
    for (int32_t n = 0; n < 500; ++n) ASSERT_EQ(frame(*effect, t, false), EffectProgress::kRunning);
    EXPECT_EQ(layer_.sprites().count(), 10);
    for (const auto& entry : layer_.sprites()) {
        EXPECT_EQ(entry.element->zoom, 819);  // (100 + 20) x 1024 / 150
        EXPECT_TRUE(entry.element->depth == 0 || entry.element->depth == 1000);
    }
    EXPECT_GT(play(*effect, t, 0, 100), 0);
}

TEST_F(CopyEffectTest, GhostAppearsAtOnceOrFadesInWhileTheTargetFades) {
    EffectTarget t = target();
    auto instant = start_text("g", "Type = GHOST\nINSTANT = 1\nNsteps = 1\nPlace = 4, 4", t);
    frame(*instant, t, false);
    EXPECT_EQ(copies()[0]->alpha, 27);
    EXPECT_EQ((Point{copies()[0]->x, copies()[0]->y}), (kTargetPlace + Point{4, 4 - 32}));
    EXPECT_TRUE(target_->flags & INVISIBLE);
    EXPECT_EQ(frame(*instant, t, true), EffectProgress::kDone);
    EXPECT_FALSE(target_->flags & INVISIBLE);
    instant.reset();

    auto fading = start_text("g", "Type = GHOST", t);
    for (int32_t n = 0; n < 10; ++n) frame(*fading, t, false);
    EXPECT_EQ(copies()[0]->alpha, 10);
    EXPECT_EQ(target_->alpha, 22);
    EXPECT_EQ(copies()[0]->bitmap()->pixel(12, 20), luminance_color(92, 0));  // plain grey
    // One more frame running, then both take 11 frames back.
    EXPECT_EQ(play(*fading, t, 0, 100), 12);
    EXPECT_EQ(target_->alpha, 32);
}

TEST_F(CopyEffectTest, TrailLeavesAtMostTenFadingCopies) {
    EffectTarget t = target();
    auto effect = start("animtrail_keys", t);  // loops A B, painted, fading by 3
    size_t most = 0;
    for (int32_t n = 0; n < 40; ++n) {
        frame(*effect, t, false);
        most = std::max(most, copies().size());
        for (const Sprite* copy : copies()) EXPECT_EQ(copy->bitmap()->pixel(12, 20), pack_channels565(0, 63, 31));
    }
    EXPECT_EQ(most, 8u);  // 24 / 3 frames of life
    EXPECT_EQ(copies()[0]->depth, kTargetDepth - 1);
    EXPECT_GE(target_->current_animation, 0);
    effect.reset();
    EXPECT_EQ(target_->current_animation, -1);  // its looping animation went with it
    // Copies of the target's own definition that never fade: the oldest go.
    auto lasting = start_text("animtrail_keys", "Type = ANIMTRAIL\nPaint = 0\nChgAlpha = 0", t);
    for (int32_t n = 0; n < 40; ++n) lasting->step(t);
    ASSERT_EQ(copies().size(), 10u);
    for (const Sprite* copy : copies()) EXPECT_EQ(copy->bitmap(), target_->bitmap());
}

TEST_F(CopyEffectTest, GoldenWaveAndAura) {
    crt_srand(1);
    Sprite* left = target_;
    left->set_position(80, 200, kTargetDepth);
    Sprite* right = scene_.create_sprite(u"figure.spr", 170, 200, kTargetDepth, 0, 0, 0);
    EffectTarget wave_target = target();
    auto wave = start_text("w", "Type = PIXELWAVE\nPIX_WAVE_MAX = 16\nPIX_WAVE_FREQ = 20\nPIX_WAVE_SPEED = 30", wave_target);
    target_ = right;
    EffectTarget aura_target = target();
    auto aura = start_text("a",
                           "Type = PIXELAURA\nSHRINK = 1\nZOOM_MAX = 2048\nZOOM_CHG = 40\nALPHA_CHG = 4\n"
                           "ALPHASPEED = 1\nRED = 31\nGREEN = 40\nBLUE = 0",
                           aura_target);
    for (int32_t n = 0; n < 5; ++n) {
        wave->step(wave_target);
        aura->step(aura_target);
    }
    draw();
    FrontBuffer screen;
    screen.open(240, 320);
    screen.present(screen_.data(), 240 * 2, {}, true);
    expect_golden_screen(screen, "effects_wave_aura");
}

TEST_F(CopyEffectTest, DemoAuraLastsUntilItsTurnsAreOver) {
    std::filesystem::copy_file(std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "effects" / "aura.txt",
                               folder_.path() / "effects" / "aura.txt");
    EffectTarget t = target();
    auto effect = start("aura", t);
    for (int32_t n = 0; n < 1500; ++n) ASSERT_EQ(frame(*effect, t, false), EffectProgress::kRunning);
    EXPECT_EQ(copies()[0]->zoom, 1024);
    EXPECT_EQ(copies()[0]->alpha, 32);
    EXPECT_EQ(frame(*effect, t, true), EffectProgress::kDone);
}

TEST_F(CopyEffectTest, ACopyFollowsATargetMovedByAnotherEffectAndLeavesItThere) {
    EffectTarget t = target();
    auto effect = start_text("w", "Type = PIXELWAVE\nPIX_WAVE_MAX = 4", t);
    frame(*effect, t, false);
    target_->set_position(30, 80, kTargetDepth);  // a shake or a move
    frame(*effect, t, false);
    EXPECT_EQ((Point{copies()[0]->x, copies()[0]->y}), (Point{28, 48}));
    effect.reset();
    EXPECT_EQ((Look{target_->flags, target_->alpha, target_->x, target_->y, target_->depth}),
              (Look{TRANS_COLOR | GRAB_BOTTOM, 32, 30, 80, kTargetDepth}));
}

TEST_F(CopyEffectTest, TiltedSnakeDimsBehindInsteadOfChangingDepth) {
    EffectTarget t = target();
    auto effect = start_text("s",
                             "Type = SNAKE\nSprite = \"fx/orb.spr\"\nCount = 1\nChgAlpha = 0\nDegStep = 45\n"
                             "DivMaxX = 6\nDivStepX = 1",
                             t);
    bool dimmed = false, bright = false;
    for (int32_t n = 0; n < 64; ++n) {
        frame(*effect, t, false);
        const Sprite& orb = *layer_.sprites()[0];
        EXPECT_EQ(orb.depth, 1000);
        EXPECT_TRUE(orb.alpha == 10 || orb.alpha == 32) << orb.alpha;
        dimmed |= orb.alpha == 10;
        bright |= orb.alpha == 32;
    }
    EXPECT_TRUE(dimmed && bright);
}

TEST_F(CopyEffectTest, SnakeEndsItsSpritesTogetherOrInTurn) {
    struct Case {
        const char* end_all;
        int32_t frames;  // ending frames until done
    };
    // Three sprites appear at once; each fade takes one frame (AlphaChg 32).
    for (const Case c : {Case{"1", 1}, Case{"0", 5}}) {
        SCOPED_TRACE(c.end_all);
        EffectTarget t = target();
        auto effect = start_text("s",
                                 "Type = SNAKE\nSprite = \"fx/orb.spr\"\nCount = 3\nStartAll = 1\nFollowUp = 2\n"
                                 "ChgAlpha = 32\nAlphaChg = 32\nEndall = " + std::string(c.end_all),
                                 t);
        frame(*effect, t, false);
        ASSERT_EQ(layer_.sprites().count(), 3);
        int32_t n = 1;
        while (frame(*effect, t, true) != EffectProgress::kDone && n < 100) ++n;
        EXPECT_EQ(n, c.frames);
    }
}

TEST_F(CopyEffectTest, OverlappingEffectsBringTheTargetBackWhenTheLastGoes) {
    const Look before = look_of(*target_);
    for (bool first_goes_first : {true, false}) {
        SCOPED_TRACE(first_goes_first);
        EffectTarget t = target();
        auto first = start_text("w", "Type = PIXELWAVE\nPIX_WAVE_MAX = 4", t);
        frame(*first, t, false);
        auto second = start_text("g", "Type = GHOST\nINSTANT = 1", t);
        auto third = start_text("r", "Type = RESIZESPRITE", t);
        frame(*second, t, false);
        frame(*third, t, false);
        for (const Sprite* copy : copies()) EXPECT_GT(copy->alpha, 0);  // copies of the target as it was
        (first_goes_first ? first : third).reset();
        second.reset();
        EXPECT_EQ(target_->alpha, 0);  // still stood in for
        first.reset();
        third.reset();
        EXPECT_EQ(look_of(*target_), before);
    }
}
