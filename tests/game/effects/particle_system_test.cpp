// The particle system: the drag in integer 16.16 arithmetic, the bounce,
// collecting particles, lives and fading, and the divisors a script may set
// to 0.
#include "game/effects/particle_system.h"

#include <gtest/gtest.h>

#include "engine/core/crt_random.h"
#include "engine/graphics/sprite_group.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

class ParticleSystemTest : public ::testing::Test {
protected:
    ParticleSystemTest() {
        folder_.write("pics/spark.bmp", plain_bmp(3, 3, 0xFFE080));
        folder_.write("spark.spr", "bmp = \"pics/spark.bmp\"\n");
        layer_.set_size(240, 320);
        crt_srand(7);
    }
    // One particle a step whose velocity is exactly P3 on each axis.
    static ParticleParams straight(int32_t p3) {
        ParticleParams p;
        p.sprite = "spark.spr";
        p.spawn_count = 1;
        p.ttl = 10;
        p.p1 = 1;   // r % 1 = 0
        p.p2 = -1;  // 0 - (-1) = 1
        p.p3 = p3;
        p.from_one_point = 1;
        p.no_square = 0;
        return p;
    }

    ScratchFolder folder_{"particles"};
    ResourceFiles resources_{folder_.u16()};
    SpriteGroup layer_;
};

TEST_F(ParticleSystemTest, DragDividesSignedVelocitiesTowardZero) {
    ParticleSystem system(straight(-300), &layer_, {100, 50});
    system.update(true);
    const ParticleSystem::Particle& p = system.particles()[0];
    EXPECT_EQ(p.x, 100 * 65536 - 300);
    EXPECT_EQ(p.vx, -243);  // -300 / 256 x 243, not (-300 >> 8) x 243 = -486
    EXPECT_EQ(p.vy, -243);
    ASSERT_NE(p.sprite, nullptr);
    EXPECT_EQ(p.sprite->x, 99);  // the whole pixel of 99.995
    EXPECT_EQ(p.sprite->depth, 1000);
}

TEST_F(ParticleSystemTest, ParticlesBounceOnTheBottomLine) {
    ParticleParams params = straight(10 * 65536);
    params.bottom = 70;
    params.bottom_orientation = 1;
    ParticleSystem system(params, &layer_, {100, 60});
    system.update(true);  // y 60 + 10 = 70: on the line
    const ParticleSystem::Particle& p = system.particles()[0];
    EXPECT_EQ(p.y, 69 * 65536);
    EXPECT_LT(p.vy, 0);
    EXPECT_GT(p.vx, 0);  // the other axis keeps its way
}

TEST_F(ParticleSystemTest, CollectedParticlesLandOnTheEmitter) {
    ParticleParams params = straight(0);
    params.collect = 1;
    params.collect_dir = 0;
    params.chg_alpha = 1;
    params.ttl = 100;
    ParticleSystem system(params, &layer_, {120, 80});
    system.update(true);
    for (int i = 0; i < 40; ++i) system.update(false);
    const ParticleSystem::Particle& p = system.particles()[0];
    EXPECT_EQ(p.x, 120 * 65536);
    EXPECT_EQ(p.y, 80 * 65536);
}

TEST_F(ParticleSystemTest, EveryParticleDiesAndTakesItsSpriteAlong) {
    struct Case {
        const char* name;
        int32_t chg_alpha;
        int32_t ttl;
        int32_t bound;  // frames after spawning stops
    };
    const Case cases[] = {
        {"no fading", 0, 5, 6}, {"fading", 1, 5, 5 + 2 * 32 + 2}, {"negative fade", -4, 5, 5 + 2 * 8 + 2},
        {"no life", 0, 0, 1},   {"no life, fading", 3, 0, 2 * 11 + 2},
    };
    for (const Case& c : cases) {
        ParticleParams params = straight(65536);
        params.chg_alpha = c.chg_alpha;
        params.ttl = c.ttl;
        ParticleSystem system(params, &layer_, {100, 100});
        for (int i = 0; i < 3; ++i) system.update(true);
        int32_t frames = 0;
        while (system.update(false) > 0 && frames < 1000) ++frames;
        EXPECT_LE(frames, c.bound) << c.name;
        EXPECT_EQ(layer_.sprites().count(), 0) << c.name;
    }
}

TEST_F(ParticleSystemTest, DivisorsAndRangesFromScriptsNeverFault) {
    struct Case {
        int32_t s, p1, p2, p3;
    };
    // S 0, P1 below S (a modulus of 0), negative values, extreme products.
    const Case cases[] = {{0, 0, 0, 0},     {5, 3, 0, 100},           {1, -10, -20, 7},
                          {-4, 40, 20, 9},  {1, INT32_MAX, INT32_MIN, INT32_MAX}, {1, 2, 0, 1}};
    for (const Case& c : cases) {
        ParticleParams params;
        params.sprite = "spark.spr";
        params.s = c.s;
        params.p1 = c.p1;
        params.p2 = c.p2;
        params.p3 = c.p3;
        params.spawn_count = 4;
        params.ttl = 2;
        params.alpha_speed = 0;
        ParticleSystem system(params, &layer_, {100, 100});
        for (int i = 0; i < 5; ++i) system.update(true);
        EXPECT_EQ(system.count(), 8) << c.s << " " << c.p1;
    }
}

TEST_F(ParticleSystemTest, WithoutSquaresVelocitiesFillACircle) {
    ParticleParams params;
    params.s = 1;
    params.p1 = 21;
    params.p2 = 10;  // -10 .. 10 on each axis
    params.p3 = 65536;
    params.spawn_count = 50;
    params.ttl = 1;
    ParticleSystem system(params, &layer_, {0, 0});
    system.update(true);
    int longest_corner = 0;
    for (const ParticleSystem::Particle& p : system.particles()) {
        const double vx = p.vx / 65536.0, vy = p.vy / 65536.0;
        EXPECT_LE(vx * vx + vy * vy, 100.0 + 1e-9);
        longest_corner = std::max(longest_corner, std::abs(p.vx) + std::abs(p.vy));
    }
    EXPECT_GT(longest_corner, 0);
}

TEST_F(ParticleSystemTest, AMissingParticleSpriteStillRunsItsCourse) {
    ParticleParams params = straight(65536);
    params.sprite = "kakukk";
    ParticleSystem system(params, &layer_, {10, 10});
    EXPECT_EQ(system.update(true), 1);
    EXPECT_EQ(layer_.sprites().count(), 0);
    EXPECT_EQ(system.particles()[0].sprite, nullptr);
}

}  // namespace
