// Text animations: phases and their timing, the effect rules that data can
// drive to extremes, echoes and removal.
#include "engine/ui/text_effects.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/core/crt_random.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/graphics_files.h"
#include "engine/pictures/sprite_flags.h"

static void run_frames(TextEffects& fx, int frames) {
    for (int i = 0; i < frames; ++i) fx.update();
}

class TextEffectsTest : public GraphicsFilesTest {
protected:
    TextEffectsTest() {
        std::filesystem::copy(std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "fonts", folder_.path() / "fonts");
    }

    // Writes both documents; every animation uses the test font.
    void documents(const std::string& effects, const std::string& anims) {
        write("texteffect/texteffects.ini", effects);
        write("texteffect/textanims.ini", anims);
    }

    static std::string anim(const std::string& name, const std::string& effect1, int time1 = 0,
                            const std::string& effect2 = "none", int time2 = 0) {
        return "[" + name + "]\nfont = \"test_normal\"\ntime1 = " + std::to_string(time1) + "\neffect1 = \"" +
               effect1 + "\"\ntime2 = " + std::to_string(time2) + "\neffect2 = \"" + effect2 + "\"\n";
    }

    static void run(TextEffects& fx, int frames) { run_frames(fx, frames); }
};

TEST_F(TextEffectsTest, NoneMakesNoSpritesAndEndsAtOnce) {
    documents("", anim("quiet", "none"));
    TextEffects fx;
    TextAnim* a = fx.create("quiet", u"Hello", 100, 100, 32, true, true, 0);
    EXPECT_TRUE(a->letters.empty());
    EXPECT_EQ(fx.sprites().count(), 0);
    EXPECT_EQ(fx.update(), 0);
    EXPECT_TRUE(fx.animations().empty());
}

TEST_F(TextEffectsTest, MissingEffectKeyMeansEveryFlagAndWholeText) {
    documents("[bare]\nFLY_SPEED = 1\n", anim("all", "bare") + anim("absent", "nosuchsection"));
    TextEffects fx;
    TextAnim* a = fx.create("all", u"Hi there", 120, 50, 32, true, true, 0);
    EXPECT_EQ(a->fx.effect, -1);
    EXPECT_EQ(a->fx.fly_speed, 1);
    ASSERT_EQ(a->letters.size(), 1u);
    EXPECT_EQ(fx.sprites().count(), 1);
    TextAnim* b = fx.create("absent", u"x", 0, 0, 32, true, true, 0);
    EXPECT_EQ(b->fx.effect, -1);
    EXPECT_EQ(b->fx.rotation_wait, 50);  // defaults
}

TEST_F(TextEffectsTest, PhasesSwitchOnTheirTimeAndWaitHoldsStill) {
    documents("[up]\neffect = LETTER_MOVE_FLY\nFLY_SPEED = 1\nFLY_DIR = 0\n[hold]\neffect = WAIT\n",
              anim("rise", "up", 10, "hold", 100));
    TextEffects fx;
    TextAnim* a = fx.create("rise", u"ab", 100, 100, 32, true, true, 0);
    ASSERT_EQ(a->letters.size(), 2u);
    EXPECT_EQ(a->divider, 3);
    run(fx, 9);
    EXPECT_EQ(a->phase, 0);
    EXPECT_EQ(a->letters[0].sprite->y, 100 - 3);  // frames 3, 6 and 9 moved
    fx.update();
    EXPECT_EQ(a->phase, 1);
    EXPECT_TRUE(a->fx.waits());
    const int32_t x = a->letters[1].sprite->x, y = a->letters[1].sprite->y;
    run(fx, 50);
    EXPECT_EQ(a->letters[1].sprite->x, x);
    EXPECT_EQ(a->letters[1].sprite->y, y);
    EXPECT_EQ(a->letters[1].sprite->alpha, 32);
}

TEST_F(TextEffectsTest, LettersAreCentredOnX) {
    documents("[still]\neffect = LETTER_MOVE_WALK\n", anim("word", "still"));
    TextEffects fx;
    TextAnim* a = fx.create("word", u"HH", 100, 40, 32, true, true, 0);
    ASSERT_EQ(a->letters.size(), 2u);
    // Each "H" is 8 wide (6 + 2); CharDist 1 is replaced by ExtraCharDist 0,
    // so the centres lie (8 - 1) / 2 twice apart.
    EXPECT_EQ(a->letters[1].sprite->x - a->letters[0].sprite->x, (8 - 1) / 2 * 2);
    EXPECT_EQ(a->letters[0].sprite->x + a->letters[1].sprite->x, 2 * 100);
    EXPECT_EQ(a->letters[0].sprite->flags & GRAB_CENTER, GRAB_CENTER);
}

TEST_F(TextEffectsTest, FadeInOutRepeatsAndTypewriterDelays) {
    documents("[pulse]\neffect = LETTER_ALPHA_FADEINOUT\nALPHA_SPEED = 1\nALPHA_STEP = 8\nALPHA_REPEAT = 2\n"
              "[type]\neffect = LETTER_DRAW_TYPEWRITER\nTYPEWRITER_SPEED = 3\n",
              anim("pulse", "pulse") + anim("type", "type"));
    TextEffects fx;
    TextAnim* p = fx.create("pulse", u"o", 50, 50, 16, true, true, 0);
    std::vector<int32_t> seen;
    for (int i = 0; i < 8; ++i) {
        fx.update();
        seen.push_back(p->letters[0].sprite->alpha);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{8, 16, 8, 0, 1, 9, 16, 16}));

    TextAnim* t = fx.create("type", u"abc", 50, 50, 32, true, true, 0);
    std::vector<int32_t> shown_at(3, -1);
    for (int frame = 1; frame <= 10; ++frame) {
        fx.update();
        for (size_t i = 0; i < 3; ++i)
            if (shown_at[i] < 0 && t->letters[i].sprite->alpha == 32) shown_at[i] = frame;
    }
    EXPECT_EQ(shown_at, (std::vector<int32_t>{1, 4, 7}));
}

TEST_F(TextEffectsTest, EchoesSpawnAndGoWithTheirParent) {
    documents("[ghost]\neffect = LETTER_MOVE_WALK\nECHO_NUMBER = 3\nECHO_WAIT = 10\nECHO_DECALPHA = 8\n",
              anim("ghost", "ghost", 40, "none", 0));
    TextEffects fx;
    TextAnim* a = fx.create("ghost", u"ab", 60, 60, 32, true, true, 0);
    std::vector<int> spawned_at;
    for (int frame = 1; frame <= 35; ++frame) {
        const size_t before = a->echo_anims.size();
        fx.update();
        if (a->echo_anims.size() != before) spawned_at.push_back(frame);
    }
    EXPECT_EQ(spawned_at, (std::vector<int>{10, 20}));
    ASSERT_EQ(a->echo_anims.size(), 2u);
    EXPECT_EQ(a->echo_anims[0]->target_alpha, 32);
    EXPECT_EQ(a->echo_anims[1]->target_alpha, 24);
    EXPECT_EQ(a->echo_anims[1]->letters[0].sprite->alpha, 24);
    EXPECT_EQ(fx.animations().size(), 3u);
    fx.remove(a);
    EXPECT_TRUE(fx.animations().empty());
    EXPECT_EQ(fx.sprites().count(), 0);
}

TEST_F(TextEffectsTest, AnimationsFinishingTogetherAreAllRemoved) {
    documents("[show]\neffect = LETTER_MOVE_WALK\n", anim("brief", "show", 2, "none", 0) +
              "[brief2]\nfont = \"test_normal\"\ntime1 = 1\ntime2 = 1\ntime3 = 1\neffect1 = \"show\"\n");
    TextEffects fx;
    fx.create("brief2", u"a", 10, 10, 32, true, true, 0);
    fx.create("brief2", u"b", 20, 10, 32, true, true, 0);
    TextAnim* kept = fx.create("brief2", u"c", 30, 10, 32, false, true, 0);
    run(fx, 4);  // phases end on updates 1, 2 and 3; the alpha drops on update 4
    ASSERT_EQ(fx.animations().size(), 1u);
    EXPECT_EQ(fx.animations()[0], kept);
    EXPECT_EQ(kept->phase, -1);
    EXPECT_EQ(fx.update(), 1);  // kept, finished, until removed
    fx.remove_all();
    EXPECT_EQ(fx.update(), 0);
}

TEST_F(TextEffectsTest, ExtremeDataStaysDefined) {
    documents("[wild]\neffect = LETTER_ALPHA_FADEINOUT | LETTER_ZOOM | LETTER_OUT_SHRINK | LETTER_ROTATE\n"
              "ALPHA_SPEED = 0\nECHO_WAIT = 0\nECHO_NUMBER = 4\nZOOM_MAX = 40000\nZOOM_STEP = 30000\n"
              "ROTATION_STEP = 2000000000\nROTATION_WAIT = 0\nECHO_DECALPHA = 2000000000\n"
              "[wave]\neffect = LETTER_PIXEL_SINUS\nPIX_WAVE_SPEED = 30\nPIX_WAVE_FREQ = 2000000000\n",
              anim("wild", "wild", 3, "wild", 3) + anim("wave", "wave"));
    TextEffects fx;
    TextAnim* w = fx.create("wild", u"zz", 40, 40, 32, true, true, 0);
    EXPECT_EQ(w->fx.alpha_speed, 1);
    EXPECT_EQ(w->fx.echo_wait, 1);
    run(fx, 5000);
    for (TextAnim* a : fx.animations())
        for (const TextLetter& l : a->letters) EXPECT_GE(l.sprite->zoom, 0);

    TextAnim* wave = fx.create("wave", u"W", 40, 40, 32, true, true, 0);
    const Bitmap& letter = *wave->letters[0].sprite->bitmap();
    std::vector<std::vector<uint16_t>> frames;
    for (int i = 0; i < 10000; ++i) {
        fx.update();
        if (i >= 9976) frames.push_back(letter.pixels);
    }
    // 30 degrees a frame: the wave repeats every 12 frames.
    EXPECT_EQ(frames[0], frames[12]);
    EXPECT_NE(frames[0], frames[3]);
}

TEST_F(TextEffectsTest, ParabolicLettersBounceInFromBelowAndSettle) {
    documents("[bounce]\neffect = LETTER_MOVE_PARABOLIC\nMOVE_WAIT = 0\nMOVE_FOLLOWUP = 3\nMOVE_REPEAT = 1\n"
              "PARABOLIC_RADIUSMAX = 40\nPARABOLIC_RADIUSRND = 10\nPARABOLIC_RADIUSDEC = 4\n"
              "PARABOLIC_RADIUSSTEP = 30\nPARABOLIC_RADIUSMIN = 0\n",
              anim("bounce", "bounce"));
    crt_srand(7);
    TextEffects fx;
    TextAnim* a = fx.create("bounce", u"ab", 100, 100, 32, true, true, 0);
    EXPECT_EQ(a->letters[0].sprite->y, 500);
    EXPECT_GT(a->letters[0].radius, 30);
    EXPECT_LE(a->letters[0].radius, 40);
    int32_t lowest = 1000;
    bool rested = false;
    for (int i = 0; i < 400; ++i) {
        fx.update();
        const int32_t y = a->letters[0].sprite->y;
        lowest = std::min(lowest, y);
        ASSERT_GE(y, 100 - 40);
        ASSERT_TRUE(y <= 100 || y == 500) << y;
        rested |= a->letters[0].radius == 0 && y == 100;
    }
    EXPECT_LT(lowest, 100);  // it rose above its line while bouncing
    EXPECT_TRUE(rested);     // and the first letter, out of repeats, rested on it
}

TEST_F(TextEffectsTest, LaterPhasesKeepTheFirstPhasesSprites) {
    documents("[whole]\neffect = TEXT_ZOOM\n[ripple]\neffect = LETTER_PIXEL_SINUS | LETTER_PIXEL_DISORT | LETTER_ROTATE\n",
              "[mixed]\nfont = \"test_normal\"\ntime1 = 2\neffect1 = \"whole\"\ntime2 = 5\neffect2 = \"ripple\"\n"
              "time3 = 1\neffect3 = \"none\"\n");
    TextEffects fx;
    TextAnim* a = fx.create("mixed", u"one two", 60, 60, 32, true, true, 0);
    ASSERT_EQ(a->letters.size(), 1u);
    run(fx, 4);
    EXPECT_EQ(a->phase, 1);
    EXPECT_EQ(a->letters.size(), 1u);
    run(fx, 100);
    EXPECT_TRUE(fx.animations().empty());
}

// Each phase reads its flags by its own effect's kind. The demo's "fly"
// starts with letters flying up, then flies the whole text (all letters as
// one) and fades it; "banner" zooms the whole text in, then ripples and
// shivers it as one letter.
TEST(DemoTextAnimations, LaterPhasesOfTheOtherKindActAsTheirKindSays) {
    ResourceFiles resources(u"" NIMBREL_DEMO_DATA_DIR);
    TextEffects fx;
    TextAnim* fly = fx.create("fly", u"abc", 120, 160, 32, true, true, 0);
    TextAnim* banner = fx.create("banner", u"Banner", 120, 100, 32, true, true, 0);
    ASSERT_EQ(fly->letters.size(), 3u);
    ASSERT_EQ(banner->letters.size(), 1u);
    auto ys = [&] {
        std::vector<int32_t> out;
        for (const TextLetter& l : fly->letters) out.push_back(l.sprite->y);
        return out;
    };
    run_frames(fx, 30);  // "flyup" ends; "textfly" begins
    ASSERT_EQ(fly->phase, 1);
    const std::vector<int32_t> before = ys();
    const int32_t x0 = fly->letters[0].sprite->x;
    run_frames(fx, 10);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(ys()[i], before[i] - 10) << "letter " << i << " flies with the text";
    EXPECT_EQ(fly->letters[0].sprite->x, x0);
    ASSERT_EQ(banner->phase, 1);  // "ripple" on the one sprite
    const Bitmap& shown = *banner->letters[0].sprite->bitmap();
    ASSERT_NE(banner->letters[0].echo, nullptr);
    const Bitmap& pristine = *banner->letters[0].echo->bitmap();
    EXPECT_NE(shown.pixels, pristine.pixels) << "the whole text ripples";
    EXPECT_TRUE(banner->letters[0].echo->flags & INVISIBLE);

    run_frames(fx, 9);
    const std::vector<int32_t> flown = ys();
    fx.update();  // "textfade": the letters stop and fade
    ASSERT_EQ(fly->phase, 2);
    EXPECT_EQ(ys(), flown);

    run_frames(fx, 71);  // "shiver" on the one sprite
    ASSERT_EQ(banner->phase, 2);
    std::set<int32_t> xs;
    for (int i = 0; i < 8; ++i) {
        fx.update();
        xs.insert(banner->letters[0].sprite->x);
    }
    EXPECT_GT(xs.size(), 2u) << "the whole text shivers";
}

// The game's own animation file, with the demo fonts: every animation that
// gives all three times fades out and is removed.
TEST(DemoTextAnimations, EveryAnimationRunsToItsEnd) {
    ResourceFiles resources(u"" NIMBREL_DEMO_DATA_DIR);
    {
        TextEffects fx;
        ASSERT_GT(fx.anims().section_count(), 3);
        int created = 0;
        for (int32_t i = 0; i < fx.anims().section_count(); ++i) {
            const char* name = fx.anims().section(i)->name;
            if (!name) continue;
            fx.create(name, u"Quick brown fox 42!", 120, 160, 32, true, true, 100);
            ++created;
        }
        EXPECT_GT(created, 3);
        int frames = 0;
        while (fx.update() && frames < 2000) ++frames;
        EXPECT_LT(frames, 2000);
        EXPECT_EQ(fx.sprites().count(), 0);
    }
    EXPECT_TRUE(FailureLog::names().empty());
}
