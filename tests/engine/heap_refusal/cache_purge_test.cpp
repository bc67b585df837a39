// The picture cache purged by the out-of-memory handler from inside a
// request the cache itself makes. The request is refused twice, so that
// the handler first gives back the reserve and then purges, as it does when
// the heap runs dry; the cache must come out of it whole, holding only the
// one picture in use.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <thread>

#include "engine/core/heap_exhaustion.h"
#include "engine/core/memory_pool.h"
#include "refused_requests.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

// Eight entries fill the list; the ninth grows it to sixteen.
constexpr int kUnusedPictures = 8;
constexpr size_t kGrownListBytes = 16 * BitmapCache::entry_bytes();
constexpr const char16_t* kPanel = u"menus/main/panel.bmp";
// 25 characters: a name of this length is copied into a request of 52 bytes.
constexpr const char16_t* kMadeName = u"@a picture made in memory";
constexpr size_t kMadeNameBytes = (25 + 1) * sizeof(char16_t);

Bitmap* add_made_picture(BitmapCache& cache) {
    auto* picture = new Bitmap(2, 2, false);
    cache.add_unnamed(picture);
    return picture;
}

struct PurgeCase {
    const char* what;
    size_t refused_bytes;
    // Makes the request that is refused; returns the picture it is about.
    Bitmap* (*act)(BitmapCache&);
    const char16_t* found_as;  // the name the picture is found by, or null
};

void PrintTo(const PurgeCase& c, std::ostream* out) { *out << c.what; }

class CachedPictures : public GraphicsFilesTest {
protected:
    CachedPictures() {
        for (int i = 0; i < kUnusedPictures; ++i) write("pics/unused" + std::to_string(i) + ".bmp", plain_bmp(2, 2));
        write("menus/main/panel.bmp", plain_bmp(3, 3));
        install_heap_exhaustion_handler();
        ensure_memory_reserve();
    }
    ~CachedPictures() override {
        refuse_requests_of(0, 0);
        std::set_new_handler(nullptr);
        ensure_memory_reserve();
    }

    BitmapCache& cache() { return *g_bitmap_cache; }
    // Pictures loaded and let go, kept at count 0 until a purge.
    void cache_unused_pictures() {
        cache().caching = 1;
        for (int i = 0; i < kUnusedPictures; ++i) {
            const std::string name = "pics/unused" + std::to_string(i) + ".bmp";
            cache().release(cache().get(std::u16string(name.begin(), name.end()), 0, 1));
        }
        ASSERT_EQ(cache().size(), kUnusedPictures);
    }
};

class CachePurgeTest : public CachedPictures, public ::testing::WithParamInterface<PurgeCase> {};

TEST_P(CachePurgeTest, APurgeFromInsideTheCachesOwnRequestLeavesOnlyWhatIsInUse) {
    const PurgeCase& c = GetParam();
    cache_unused_pictures();
    refuse_requests_of(c.refused_bytes, 2);
    Bitmap* picture = c.act(cache());
    EXPECT_EQ(refused_requests(), 2);
    EXPECT_FALSE(mem_reserve_held());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(cache().size(), 1);
    EXPECT_EQ(cache().use_count(picture), 1);
    if (c.found_as) {
        EXPECT_EQ(cache().find(c.found_as, 0), 0);
    }
    cache().release(picture);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, CachePurgeTest,
    ::testing::Values(
        PurgeCase{"a picture loaded grows the list", kGrownListBytes,
                  [](BitmapCache& cache) { return cache.get(kPanel, 0, 1); }, kPanel},
        PurgeCase{"a picture made in memory grows the list", kGrownListBytes, add_made_picture, nullptr},
        PurgeCase{"naming a held picture copies the name", kMadeNameBytes,
                  [](BitmapCache& cache) {
                      Bitmap* picture = add_made_picture(cache);
                      cache.set_name(picture, kMadeName);
                      return picture;
                  },
                  kMadeName}));

// A shortage met on another thread (the sound library's stream thread
// refilling, its mixer building sync points) must not delete pictures the
// window thread may be drawing: the caches stay whole there, and their own
// thread purges them at its next purge point.
TEST_F(CachedPictures, ARefusalOnAnotherThreadLeavesTheCachesToTheirOwnThread) {
    constexpr size_t kRequest = 5000;
    struct Row {
        const char* what;
        void (*request)();
    };
    const Row rows[] = {
        {"the C++ heap refuses twice: the reserve goes, then what the thread may free",
         [] {
             refuse_requests_of(kRequest, 2);
             // Called by name: a new-expression's pair may be left out.
             ::operator delete(::operator new(kRequest));
         }},
        {"the pool's heap refuses after the reserve went",
         [] {
             on_low_memory();  // the reserve goes
             mem_inject_heap_failures(1);
             mem_free(mem_alloc(kRequest));
         }},
    };
    for (const Row& row : rows) {
        cache_unused_pictures();
        ensure_memory_reserve();
        std::thread elsewhere(row.request);
        elsewhere.join();
        EXPECT_FALSE(mem_reserve_held()) << row.what;
        EXPECT_EQ(cache().size(), kUnusedPictures) << row.what;
        ensure_memory_reserve();  // the window thread's next purge point
        EXPECT_EQ(cache().size(), 0) << row.what;
        EXPECT_TRUE(mem_reserve_held()) << row.what;
    }
}

}  // namespace
