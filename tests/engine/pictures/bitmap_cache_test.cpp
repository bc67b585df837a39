#include "engine/pictures/bitmap_cache.h"

#include <gtest/gtest.h>

#include "engine/platform/headless/headless_platform.h"
#include "graphics_files.h"
#include "tests/support/fatal_report_host.h"

class BitmapCacheTest : public GraphicsFilesTest {
protected:
    BitmapCacheTest() {
        write("pics/hero.bmp", plain_bmp(3, 2));
        write("pics/stone.bmp", plain_bmp(4, 4));
        write("pics/broken.bmp", "BM this is not a picture");
    }
    BitmapCache& cache() { return *g_bitmap_cache; }
};

TEST_F(BitmapCacheTest, LoadsOnceAndCountsItsHolders) {
    cache().caching = 1;
    Bitmap* a = cache().get(u"pics/hero.bmp", 0, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->width, 3);
    EXPECT_EQ(cache().get(u"pics/hero.bmp", 0, 1), a);
    EXPECT_EQ(cache().use_count(a), 2);
    cache().release(a);
    cache().release(a);
    // Kept at count 0 until a purge.
    EXPECT_EQ(cache().use_count(a), 0);
    EXPECT_EQ(cache().get(u"pics/hero.bmp", 0, 1), a);
    cache().release(a);
    cache().purge();
    EXPECT_FALSE(cache().holds(a));
    EXPECT_EQ(cache().size(), 0);
}

TEST_F(BitmapCacheTest, WithoutCachingTheLastReleaseDeletes) {
    cache().caching = 0;
    Bitmap* a = cache().get(u"pics/hero.bmp", 0, 1);
    cache().release(a);
    EXPECT_FALSE(cache().holds(a));
    EXPECT_EQ(cache().size(), 0);
}

TEST_F(BitmapCacheTest, NamesDifferingInCaseOrSeparatorAreOneEntry) {
    Bitmap* a = cache().get(u"pics/hero.bmp", 0, 1);
    EXPECT_EQ(cache().get(u"Pics\\HERO.bmp", 0, 1), a);
    EXPECT_EQ(cache().get(u"PICS/Hero.BMP", 0, 1), a);
    EXPECT_EQ(cache().use_count(a), 3);
    EXPECT_EQ(cache().find(u"pics\\hero.BMP", 0), 0);
    // Load flags are part of the key.
    Bitmap* grey = cache().get(u"pics/hero.bmp", 0x10000, 1);
    EXPECT_NE(grey, a);
    EXPECT_EQ(cache().size(), 2);
    for (int i = 0; i < 3; ++i) cache().release(a);
    cache().release(grey);
    EXPECT_EQ(cache().size(), 0);
}

TEST_F(BitmapCacheTest, PurgeFreesExactlyTheUnheldEntries) {
    cache().caching = 1;
    Bitmap* hero = cache().get(u"pics/hero.bmp", 0, 1);
    Bitmap* stone = cache().get(u"pics/stone.bmp", 0, 1);
    Bitmap* grey = cache().get(u"pics/stone.bmp", 0x10000, 1);
    cache().release(hero);
    cache().release(grey);
    cache().purge();
    EXPECT_FALSE(cache().holds(hero));
    EXPECT_TRUE(cache().holds(stone));
    EXPECT_FALSE(cache().holds(grey));
    EXPECT_EQ(cache().size(), 1);
    cache().release(stone);
}

TEST_F(BitmapCacheTest, MemoryMadeNamesDieOnTheirLastRelease) {
    cache().caching = 1;
    auto* made = new Bitmap(4, 4, false);
    cache().add_unnamed(made);
    cache().set_name(made, u"@block@1@2@");
    EXPECT_EQ(cache().get(u"@BLOCK@1@2@", 0, 0), made);
    cache().release(made);
    EXPECT_TRUE(cache().holds(made));
    cache().release(made);
    EXPECT_FALSE(cache().holds(made));
    // An unnamed one also goes at count 0, caching or not.
    auto* unnamed = new Bitmap(2, 2, false);
    cache().add_unnamed(unnamed);
    cache().release(unnamed);
    EXPECT_EQ(cache().size(), 0);
}

TEST_F(BitmapCacheTest, MakePrivateDetachesOrCopies) {
    cache().caching = 1;
    Bitmap* only = cache().get(u"pics/hero.bmp", 0, 1);
    EXPECT_EQ(cache().make_private(only), only);
    EXPECT_EQ(cache().find(u"pics/hero.bmp", 0), -1);
    Bitmap* fresh = cache().get(u"pics/hero.bmp", 0, 1);
    EXPECT_NE(fresh, only);
    cache().release(only);
    EXPECT_FALSE(cache().holds(only));  // unnamed: gone at count 0

    cache().get(u"pics/hero.bmp", 0, 1);
    cache().get(u"pics/hero.bmp", 0, 1);  // fresh now has 3 holders
    Bitmap* copy = cache().make_private(fresh);
    ASSERT_NE(copy, fresh);
    EXPECT_FALSE(cache().holds(copy));
    EXPECT_EQ(copy->pixels, fresh->pixels);
    EXPECT_EQ(cache().use_count(fresh), 2);
    EXPECT_EQ(cache().find(u"pics/hero.bmp", 0), -1);
    cache().release(copy);  // not held: deleted at once
    cache().release(fresh);
    cache().release(fresh);
    EXPECT_EQ(cache().size(), 0);
    // Objects the cache never held, and null, are handled on release.
    cache().release(new Bitmap(1, 1, false));
    cache().release(nullptr);
}

TEST_F(BitmapCacheTest, MissingOrUndecodableFiles) {
    EXPECT_EQ(cache().get(u"pics/none.bmp", 0, 0), nullptr);
    EXPECT_EQ(cache().get(u"pics/broken.bmp", 0, 0), nullptr);
    EXPECT_TRUE(FailureLog::names().empty());

    EXPECT_EQ(cache().get(u"pics/none.bmp", 0, 1), nullptr);
    EXPECT_EQ(cache().get(u"pics/broken.bmp", 0, 1), nullptr);
    ASSERT_EQ(FailureLog::names().size(), 2u);
    EXPECT_EQ(FailureLog::names()[0], u"pics/none.bmp");
    EXPECT_TRUE(FailureLog::reasons()[0].empty());
    EXPECT_EQ(FailureLog::names()[1], u"pics/broken.bmp");
    EXPECT_FALSE(FailureLog::reasons()[1].empty());
    EXPECT_EQ(cache().size(), 0);
}

TEST_F(BitmapCacheTest, PreloadKeepsAPictureOnlyWhenCaching) {
    cache().preload_bitmap(u"pics/hero.bmp");
    EXPECT_EQ(cache().size(), 0);
    cache().caching = 1;
    cache().preload_bitmap(u"pics/hero.bmp");
    ASSERT_EQ(cache().size(), 1);
    Bitmap* a = cache().get(u"pics/hero.bmp", 0, 1);
    EXPECT_EQ(cache().use_count(a), 1);
    cache().release(a);
}

TEST_F(BitmapCacheTest, RequiredFilesEndTheProgramThroughTheFatalReport) {
    FatalReportHost host(folder_.u16());
    set_resource_failure_handler(nullptr);  // the real report
    auto ending = [&](const char16_t* name) { return exit_code_of([&] { cache().get(name, 0, 1); }); };
    EXPECT_EQ(ending(u"pics/none.bmp"), 1);
    EXPECT_EQ(ending(u"pics/broken.bmp"), 1);
    ASSERT_EQ(host.message_boxes().size(), 2u);
    EXPECT_NE(host.message_boxes()[0].text.find("pics/none.bmp"), std::string::npos);
    const std::string& broken = host.message_boxes()[1].text;
    EXPECT_NE(broken.find("pics/broken.bmp"), std::string::npos);
    // Placed in the cache that could not decode it.
    EXPECT_EQ(broken.rfind("In engine/pictures/resource_cache.h:", 0), 0u) << broken;
}
