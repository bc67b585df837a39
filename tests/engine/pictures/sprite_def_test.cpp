// Reading ".spr" definitions and sharing them through the definition cache.
#include "engine/pictures/sprite_def.h"

#include <gtest/gtest.h>

#include "engine/pictures/sprite_flags.h"
#include "graphics_files.h"

class SpriteDefTest : public GraphicsFilesTest {
protected:
    SpriteDefTest() {
        write("pics/walk.bmp", plain_bmp(4, 12));
        // 32 bits with a real alpha byte: the picture gets an alpha plane.
        write("pics/glow.bmp", bmp_file(2, 2, {0x80FF0000, 0xFF00FF00, 0x00000000, 0xFF0000FF}, 32));
    }
    SpriteDefCache& cache() { return *g_sprite_def_cache; }
};

TEST_F(SpriteDefTest, ReadsDefaultsFramesAndAnimations) {
    write("walk.spr",
          "DefAlpha = 20\n"
          "DefFlags = TRANS_COLOR | ALPHA_LAYER | GRAB_CENTER\n"
          "DefPhase = 2\n"
          "DefRotate = 0x5A0000\n"
          "DefZoom = 2048\n"
          "Stripes = 4\n"
          "bmp = \"pics/walk.bmp\"\n"
          "Animation = \"walk\", 2, \"\", \"ABC\"\n"
          "Animation = \"turn\", 1, \"A\", \"BC\", \"A\"\n"
          "Animation = \"idle\"\n");
    SpriteDef* def = cache().get(u"walk.spr", 0, 1);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->default_alpha, 20);
    EXPECT_EQ(def->default_flags, TRANS_COLOR | ALPHA_LAYER | GRAB_CENTER);
    EXPECT_EQ(def->default_phase, 2);
    EXPECT_EQ(def->default_rotation, 0x5A0000);
    EXPECT_EQ(def->default_zoom, 2048);
    EXPECT_EQ(def->frame_height, 4);
    EXPECT_EQ(def->frame_count(), 3);
    ASSERT_EQ(def->animations.size(), 3u);
    EXPECT_EQ(def->animations[0].name, "walk");
    EXPECT_EQ(def->animations[0].delay, 2);
    EXPECT_TRUE(def->animations[0].start.empty());
    EXPECT_EQ(def->animations[0].loop, "ABC");
    EXPECT_EQ(def->animations[1].end, "A");
    EXPECT_EQ(def->animations[2].delay, 1);
    EXPECT_EQ(def->find_animation("TURN"), 1);
    EXPECT_EQ(def->find_animation("run"), -1);
    // The picture is held once, colour-corrected (not a lightening sprite).
    EXPECT_EQ(g_bitmap_cache->use_count(def->bitmap), 1);
    EXPECT_GE(g_bitmap_cache->find(u"pics/walk.bmp", 0x200000), 0);
    cache().release(def);
    EXPECT_EQ(g_bitmap_cache->size(), 0);
}

TEST_F(SpriteDefTest, ScalingBitsInBmpflagsKeepTheirOwnEntryButNotTheirOwnPixels) {
    write("plain.spr", "DefFlags = BLT_LIGHTEN\nbmp = \"pics/walk.bmp\"\n");
    SpriteDef* plain = cache().get(u"plain.spr", 0, 1);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(plain->bitmap->pixels[0], 0);
    for (const char* scaling : {"RZ_ZOOMED", "RZ_ROTOZOOMED", "0x400", "RZ_HQZOOMED", "RZ_ZOOMED | 0x400"}) {
        SCOPED_TRACE(scaling);
        write("scaled.spr", std::string("DefFlags = BLT_LIGHTEN\nbmp = \"pics/walk.bmp\"\nbmpflags = ") + scaling + "\n");
        SpriteDef* scaled = cache().get(u"scaled.spr", 0, 1);
        ASSERT_NE(scaled, nullptr);
        EXPECT_NE(scaled->bitmap, plain->bitmap);  // a cache entry of its own
        EXPECT_EQ(scaled->bitmap->pixels, plain->bitmap->pixels);
        cache().release(scaled);
        cache().purge();
    }
    cache().release(plain);
}

TEST_F(SpriteDefTest, BlendingSpritesLoadTheirColoursUncorrected) {
    write("spark.spr", "DefFlags = BLT_LIGHTEN\nbmp = \"pics/walk.bmp\"\nbmpflags = GRAYSCALE\n");
    SpriteDef* def = cache().get(u"spark.spr", 0, 1);
    ASSERT_NE(def, nullptr);
    EXPECT_GE(g_bitmap_cache->find(u"pics/walk.bmp", 0x10000), 0);
    EXPECT_EQ(g_bitmap_cache->find(u"pics/walk.bmp", 0x210000), -1);
    cache().release(def);
}

TEST_F(SpriteDefTest, ClampsOutOfRangeValues) {
    // Alpha above 32, a frame taller than the picture, pixel alpha over a
    // picture without an alpha plane.
    write("odd.spr", "DefAlpha = 95\nDefFlags = ALPHA_PIXEL | TRANS_COLOR\nStripes = 50\nbmp = \"pics/walk.bmp\"\n");
    write("neg.spr", "DefAlpha = -3\nStripes = -7\nbmp = \"pics/walk.bmp\"\n");
    write("glow.spr", "DefFlags = ALPHA_PIXEL\nbmp = \"pics/glow.bmp\"\n");
    SpriteDef* odd = cache().get(u"odd.spr", 0, 1);
    SpriteDef* neg = cache().get(u"neg.spr", 0, 1);
    SpriteDef* glow = cache().get(u"glow.spr", 0, 1);
    ASSERT_TRUE(odd && neg && glow);
    EXPECT_EQ(odd->default_alpha, 32);
    EXPECT_EQ(odd->frame_height, 12);
    EXPECT_EQ(odd->frame_count(), 1);
    EXPECT_EQ(odd->default_flags, TRANS_COLOR);
    EXPECT_EQ(neg->default_alpha, 0);
    EXPECT_EQ(neg->frame_height, 0);
    EXPECT_EQ(glow->default_flags, ALPHA_PIXEL);
    for (SpriteDef* d : {odd, neg, glow}) cache().release(d);
}

TEST_F(SpriteDefTest, BrokenDefinitionsAreReportedWhenRequired) {
    write("nobmp.spr", "DefAlpha = 10\n");
    write("lost.spr", "bmp = \"pics/none.bmp\"\n");
    EXPECT_EQ(cache().get(u"nobmp.spr", 0, 0), nullptr);
    EXPECT_TRUE(FailureLog::names().empty());
    EXPECT_EQ(cache().get(u"nobmp.spr", 0, 1), nullptr);
    ASSERT_EQ(FailureLog::names().size(), 1u);
    EXPECT_EQ(FailureLog::names()[0], u"nobmp.spr");
    EXPECT_EQ(cache().size(), 0);
}

// A definition's picture is as required as the definition: one asked for
// only if it can be had (a decoration) is left out when its picture is
// missing or damaged, a required one reports the picture.
TEST_F(SpriteDefTest, APictureIsRequiredWhenItsDefinitionIs) {
    write("lost.spr", "bmp = \"pics/none.bmp\"\n");
    write("pics/cut.bmp", plain_bmp(4, 4).substr(0, 60));
    write("cut.spr", "bmp = \"pics/cut.bmp\"\n");
    struct Case {
        const char16_t* definition;
        int must_exist;
        const char16_t* reported;  // null: nothing
    };
    for (const Case& c : {Case{u"lost.spr", 0, nullptr}, Case{u"cut.spr", 0, nullptr},
                          Case{u"lost.spr", 1, u"pics/none.bmp"}, Case{u"cut.spr", 1, u"pics/cut.bmp"}}) {
        FailureLog::clear();
        EXPECT_EQ(cache().get(c.definition, 0, c.must_exist), nullptr);
        if (c.reported) {
            ASSERT_FALSE(FailureLog::names().empty());
            EXPECT_EQ(FailureLog::names().front(), c.reported);
        } else {
            EXPECT_TRUE(FailureLog::names().empty());
        }
        EXPECT_EQ(cache().size(), 0);
    }
}

TEST_F(SpriteDefTest, PurgingDefinitionsFirstFreesTheirPictures) {
    g_sprite_def_cache->caching = 1;
    g_bitmap_cache->caching = 1;
    write("walk.spr", "Stripes = 4\nbmp = \"pics/walk.bmp\"\n");
    SpriteDef* def = cache().get(u"walk.spr", 0, 1);
    cache().release(def);
    // Bitmaps first: the unused definition still holds its picture.
    g_bitmap_cache->purge();
    EXPECT_EQ(g_bitmap_cache->size(), 1);
    purge_resource_caches();
    EXPECT_EQ(cache().size(), 0);
    EXPECT_EQ(g_bitmap_cache->size(), 0);
}

TEST_F(SpriteDefTest, PrivateCopiesKeepTheirOwnAnimationsAndPicture) {
    write("walk.spr", "Stripes = 4\nbmp = \"pics/walk.bmp\"\nAnimation = \"walk\", 2, \"\", \"ABC\"\n");
    SpriteDef* def = cache().get(u"walk.spr", 0, 1);
    cache().get(u"walk.spr", 0, 1);
    SpriteDef* copy = cache().make_private(def);
    ASSERT_NE(copy, def);
    EXPECT_EQ(copy->bitmap, def->bitmap);
    EXPECT_EQ(g_bitmap_cache->use_count(def->bitmap), 2);
    copy->animations[0].loop = "CBA";
    EXPECT_EQ(def->animations[0].loop, "ABC");
    cache().release(copy);
    EXPECT_EQ(g_bitmap_cache->use_count(def->bitmap), 1);
    cache().release(def);
}
