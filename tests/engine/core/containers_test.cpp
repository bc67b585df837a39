#include <gtest/gtest.h>

#include <vector>

#include "engine/core/depth_list.h"
#include "engine/core/ptr_array.h"

namespace {

// Counts destructor runs so that tests see which clearing ran them.
struct Tracked : PoolObject {
    explicit Tracked(int* deaths) : deaths(deaths) {}
    virtual ~Tracked() { ++*deaths; }
    int* deaths;
};

struct TrackedChild : Tracked {
    TrackedChild(int* deaths, int* child_deaths) : Tracked(deaths), child_deaths(child_deaths) {}
    ~TrackedChild() override { ++*child_deaths; }
    int* child_deaths;
};

TEST(PtrArray, GrowsByAQuarterPlusTwo) {
    PtrArray<int> array(false);
    int value = 0;
    std::vector<int32_t> capacities;
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(array.push(&value), i);
        if (capacities.empty() || capacities.back() != array.capacity())
            capacities.push_back(array.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{2, 4, 7, 10, 14, 19}));
}

TEST(PtrArray, RemovalClosesTheGapWithoutDeleting) {
    int deaths = 0;
    Tracked a(&deaths), b(&deaths), c(&deaths);
    PtrArray<Tracked> array(false);
    array.push(&a);
    array.push(&b);
    array.push(&c);

    EXPECT_EQ(array.remove(&b), 1);
    EXPECT_EQ(array.remove(&b), 0);
    ASSERT_EQ(array.count(), 2);
    EXPECT_EQ(array[1], &c);
    EXPECT_EQ(array.remove_at(0), 1);
    EXPECT_EQ(array[0], &c);
    EXPECT_EQ(deaths, 0);
}

TEST(PtrArray, OwningArrayDestroysThroughTheVirtualDestructor) {
    int deaths = 0, child_deaths = 0;
    {
        PtrArray<Tracked> array;
        array.push(new TrackedChild(&deaths, &child_deaths));
        array.push(nullptr);  // empty slots are skipped
        array.push(new Tracked(&deaths));
        EXPECT_EQ(array.erase_at(0), 2);
        EXPECT_EQ(child_deaths, 1);
        EXPECT_EQ(deaths, 1);
        array.delete_all();
        EXPECT_EQ(array.count(), 0);
        EXPECT_EQ(deaths, 2);
        EXPECT_GE(array.capacity(), 3);  // slots are kept for reuse
        array.push(new Tracked(&deaths));
    }
    EXPECT_EQ(deaths, 3);  // the destructor clears what is left
}

TEST(PtrArray, FreeAllRunsNoDestructorAndANonOwningArrayFreesNothing) {
    int deaths = 0;
    PtrArray<char> owning;
    owning.push(static_cast<char*>(mem_alloc(16)));
    owning.free_all();  // ASan would report a leak if the block stayed
    EXPECT_EQ(owning.count(), 0);

    Tracked kept(&deaths);
    {
        PtrArray<Tracked> referring(false);
        referring.push(&kept);
        referring.free_all();
        EXPECT_EQ(referring.count(), 0);
        referring.push(&kept);
    }
    EXPECT_EQ(deaths, 0);
}

TEST(DepthList, EqualDepthsKeepInsertionOrderAndNegativeDepthsSortLast) {
    int a = 0, b = 0, c = 0, d = 0;
    DepthList<int> list(false);
    EXPECT_EQ(list.insert(&a, 5), 0);
    EXPECT_EQ(list.insert(&b, 5), 1);
    EXPECT_EQ(list.insert(&c, 3), 0);
    EXPECT_EQ(list.insert(&d, uint32_t(-100)), 3);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list[0], &c);
    EXPECT_EQ(list[1], &a);
    EXPECT_EQ(list[2], &b);
    EXPECT_EQ(list[3], &d);

    int e = 0;
    EXPECT_EQ(list.insert(&e, 5), 3);  // after both 5s, before -100
    EXPECT_EQ(list.remove(&a), 1);
    EXPECT_EQ(list.remove(&a), 0);
    EXPECT_EQ(list[1], &b);
    EXPECT_EQ(list[2], &e);
}

TEST(DepthList, ManyInsertionsStaySorted) {
    std::vector<int> values(200);
    DepthList<int> list(false);
    uint32_t seed = 7;
    for (int& v : values) {
        seed = seed * 214013 + 2531011;
        list.insert(&v, seed >> 20);
    }
    ASSERT_EQ(list.count(), 200);
    for (int i = 1; i < list.count(); ++i) EXPECT_LE(list.depth(i - 1), list.depth(i));
}

TEST(DepthList, OwningListDeletesItsElements) {
    int deaths = 0;
    {
        DepthList<Tracked> list;
        list.insert(new Tracked(&deaths), 2);
        list.insert(new Tracked(&deaths), 1);
    }
    EXPECT_EQ(deaths, 2);
}

}  // namespace
