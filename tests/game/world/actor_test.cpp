// Facing, turning, stepping and side-stepping of characters, and what people
// and monsters take from their records.
#include <gtest/gtest.h>

#include "game_world_support.h"

namespace {

using namespace test_world;

TEST(ActorFacing, FromVectors) {
    EXPECT_EQ(facing_from_vector(3, 1), 20);
    EXPECT_EQ(facing_from_vector(1, 1), 25);
    EXPECT_EQ(facing_from_vector(0, 0), -1);
    EXPECT_EQ(facing_from_vector(-5, 0), 0);
    EXPECT_EQ(facing_from_vector(0, -5), 10);
    EXPECT_EQ(facing_from_vector(0, 5), 30);
    EXPECT_EQ(facing_from_vector(-1, 1), 35);
    EXPECT_EQ(facing_from_vector(-1, -1), 5);
    EXPECT_EQ(facing_from_vector(1, -1), 15);
}

TEST(ActorFacing, FramesByFacingPhaseAndStance) {
    // Facing 30 (south) is direction 0... see the half-facing table: 30/2 = 15 -> 0.
    EXPECT_EQ(walk_frame(30, 0, true), 1);
    EXPECT_EQ(walk_frame(30, 80, true), 0);
    EXPECT_EQ(walk_frame(30, 240, true), 2);
    EXPECT_EQ(walk_frame(20, 0, true), 3 * 6 + 1);
    EXPECT_EQ(walk_frame(20, 0, false), 6);
    EXPECT_EQ(walk_frame(0, 160, true), 3 * 2 + 1);
}

TEST(ActorTurning, TakesTheShorterWayAndBreaksTiesByTarget) {
    Built b;
    Actor& hero = b.hero();
    hero.facing = 0;
    std::vector<int> seen;
    while (!hero.turn_toward(20)) seen.push_back(hero.facing);
    ASSERT_EQ(seen.size(), 20u);
    EXPECT_EQ(seen[0], 39);
    EXPECT_EQ(seen[1], 38);
    EXPECT_EQ(seen.back(), 20);
    seen.clear();
    while (!hero.turn_toward(0)) seen.push_back(hero.facing);
    EXPECT_EQ(seen.front(), 21);
    EXPECT_EQ(seen.back(), 0);
    hero.facing = 5;
    hero.turn_toward(8);
    EXPECT_EQ(hero.facing, 6);
}

TEST(ActorStepping, HeroWalksPixelByPixelToTheTarget) {
    Built b;
    HeroActor& hero = b.hero();
    hero.facing = 20;
    int moved = 0;
    int result = -1;
    for (int frame = 0; frame < 200 && result != Actor::kArrived; ++frame) {
        const int before = hero.x;
        result = hero.step_toward(74, 64, true);
        moved += hero.x - before;
    }
    EXPECT_EQ(result, Actor::kArrived);
    EXPECT_EQ(hero.x, 74);
    EXPECT_EQ(moved, 10);
    EXPECT_GT(hero.animation, -1);
    // Without the move flag the hero only turns, then reports no progress.
    hero.facing = 20;
    hero.next_step = 0;
    EXPECT_EQ(hero.step_toward(74, 0, false), Actor::kTurning);
}

TEST(ActorStepping, PeopleMoveSlowerThanTheHeroAndWait) {
    Built b;
    HeroActor& hero = b.hero();
    hero.facing = 20;
    for (int frame = 0; frame < 5; ++frame) EXPECT_EQ(hero.step_toward(100, 64, true), Actor::kMoved);
    EXPECT_EQ(hero.x, 67);  // +10 a frame against 20 a pixel
    auto monster = b.add_monster(200, 200);
    monster->facing = 20;
    std::vector<int> xs;
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(monster->step_toward(260, 200, true), Actor::kMoved);
        xs.push_back(monster->x);
    }
    // +8 a frame: it waits while the accumulator is below 0.
    EXPECT_EQ(xs, (std::vector<int>{201, 201, 202, 202, 203}));
    EXPECT_LT(monster->next_step, 0);
}

// A level whose collision is told by a fake view grid of blocked pixels.
struct FakeGrid {
    Built b;
    std::vector<Point> walls;  // blocked centre points, as a 1-pixel thick set
    FakeGrid() {
        b.world.view_grid_blocks = [this](int x, int y, int) {
            for (Point p : walls)
                if (p.x == x && p.y == y) return true;
            return false;
        };
    }
};

TEST(ActorCollision, SideStepsAtTheNearerOddOffset) {
    FakeGrid g;
    HeroActor& hero = g.b.hero();  // centre (80, 80)
    // Moving right: the probe (81, 80) is blocked, and so is the side point one
    // pixel up; three pixels down is the first free side with a free forward.
    g.walls = {{81, 80}, {80, 79}, {80, 81}, {81, 79}, {81, 81}, {80, 77}};
    EXPECT_TRUE(hero.move_with_collision(1, 0));
    EXPECT_EQ(hero.x, 64);
    EXPECT_EQ(hero.y, 65);  // one pixel toward the free side below
}

TEST(ActorCollision, StaysOnATieOrWithoutAWayRound) {
    FakeGrid g;
    HeroActor& hero = g.b.hero();
    g.walls = {{81, 80}};
    EXPECT_FALSE(hero.move_with_collision(1, 0));  // both sides free at offset 1
    EXPECT_EQ(hero.position(), (Point{64, 64}));
    for (int d = -20; d <= 20; ++d) g.walls.push_back({81, 80 + d});
    EXPECT_FALSE(hero.move_with_collision(1, 0));
    EXPECT_EQ(hero.position(), (Point{64, 64}));
    EXPECT_FALSE(hero.move_with_collision(-1, 0));  // the other way is free
    EXPECT_EQ(hero.position(), (Point{63, 64}));
}

TEST(ActorCollision, OtherCharactersBlock) {
    Built b;
    auto monster = b.add_monster(64 + 17, 64);
    HeroActor& hero = b.hero();
    // 17 pixels apart after the step: too near.
    const Point before = hero.position();
    hero.move_with_collision(1, 0);
    EXPECT_NE(hero.position(), (Point{65, 64}));
    EXPECT_EQ(hero.position().x, before.x);
}

// The hero walking at a person from every side, side-stepping round her,
// stops beside her, never nearer than 24 (where his figure would be drawn
// across hers), and near enough to talk.
TEST(ActorCollision, TheHeroStopsBesideAPersonFromEverySide) {
    const Point person_at{160, 160};
    const Point starts[] = {{160, 96}, {224, 160}, {160, 224}, {96, 160}, {100, 100}, {220, 100}, {220, 220}, {100, 220}, {150, 90}};
    for (const Point start : starts) {
        Built b;
        auto record = std::make_shared<NpcRecord>();
        record->stance = 7;
        NpcActor person(&b.world, record);
        person.place(kLevel, person_at.x, person_at.y, -1);
        b.level->actors.push_back(&person);
        HeroActor& hero = b.hero();
        hero.place(kLevel, start.x, start.y, 30);
        for (int frame = 0; frame < 600; ++frame) {
            hero.step_toward(person_at.x, person_at.y, true);
            person.update();
            const Point apart = hero.position() - person.position();
            ASSERT_GE(std::abs(apart.x) + std::abs(apart.y), 24)
                << "from " << start.x << "," << start.y << ", frame " << frame << ": " << apart.x << "," << apart.y;
        }
        EXPECT_LT(hero.distance_to(person.position()) >> 16, 32) << "from " << start.x << "," << start.y;
    }
}

TEST(ActorRecords, PeopleAndMonstersTakeTheirStance) {
    Built b;
    auto person = std::make_shared<NpcRecord>();
    const std::pair<uint8_t, int> stances[] = {{6, 10}, {7, 30}, {8, 0}, {9, 20}};
    for (auto [stance, facing] : stances) {
        person->stance = stance;
        NpcActor npc(&b.world, person);
        EXPECT_EQ(npc.facing, facing);
        EXPECT_FALSE(npc.animated);
    }
    person->stance = 0;
    EXPECT_FALSE(NpcActor(&b.world, person).animated);
    person->stance = 1;
    person->body = {1, 2, 3, 4};
    NpcActor walker(&b.world, person);
    EXPECT_TRUE(walker.animated);
    EXPECT_EQ(walker.facing, Actor::kDefaultFacing);
    EXPECT_EQ(walker.hair, 4);

    MonsterRecord& record = *b.world.get_monster(kMonster);
    record.stance = 8;
    MonsterActor monster(&b.world, &record);
    EXPECT_EQ(monster.facing, 20);
    EXPECT_TRUE(monster.hostile);
    EXPECT_EQ(monster.hit_points, 30);
    ASSERT_EQ(monster.inventory.size(), 2u);
    EXPECT_EQ(monster.inventory[0]->uses, 1);     // usable items: one use
    EXPECT_EQ(monster.inventory[1]->uses, 1000);  // others: the item's count
    monster.current_item = monster.inventory[1].get();
    ASSERT_NE(monster.item_param(), nullptr);
    EXPECT_EQ(*monster.item_param(), "slash");
    monster.take_damage(25, true);
    monster.heal(100);
    EXPECT_EQ(monster.hit_points, 30);
}

TEST(ActorBehaviour, HostileWandererWalksAtANearHero) {
    Built b;
    auto monster = b.add_monster(64 + 60, 64);
    const int before = monster->distance_to(b.hero().position());
    for (int frame = 0; frame < 200; ++frame) monster->update();
    EXPECT_LT(monster->distance_to(b.hero().position()), before);
    // Far away it wanders near home instead.
    auto far = b.add_monster(64 + 200, 64 + 200);
    for (int frame = 0; frame < 300; ++frame) far->update();
    EXPECT_LE(std::abs(far->x - far->home_x), 100);
    EXPECT_LE(std::abs(far->y - far->home_y), 100);
}

TEST(ActorBehaviour, SentryTurnsToItsDirectionAndToANearHero) {
    Built b;
    auto person = std::make_shared<NpcRecord>();
    person->stance = 9;
    NpcActor npc(&b.world, person);
    npc.world = &b.world;
    npc.place(kLevel, 200, 200, 0);
    for (int i = 0; i < 40; ++i) npc.update();
    EXPECT_EQ(npc.facing, 20);
    npc.place(kLevel, 64, 64 + 30, -1);  // 30 pixels below the hero
    for (int i = 0; i < 40; ++i) npc.update();
    EXPECT_EQ(npc.facing, 10);
    EXPECT_EQ(npc.position(), (Point{64, 94}));
}

}  // namespace
