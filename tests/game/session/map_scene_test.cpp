// The demo story's start level drawn by the game scene: ground blocks,
// walls, trees, objects and the people composed from their parts.
#include <gtest/gtest.h>

#include "engine/app/frame_loop.h"
#include "engine/graphics/display.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/npc_actor.h"
#include "tests/game/session/demo_game_folder.h"

namespace {

class MapSceneTest : public DemoGameFixture {
protected:
    void SetUp() override {
        DemoGameFixture::SetUp();
        ASSERT_EQ(game_startup(), 1);
    }
};

// The pixels of a screen rectangle.
std::vector<uint16_t> screen_area(const Display& display, Rect r) {
    std::vector<uint16_t> out;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) out.push_back(display.pixels()[y * 240 + x]);
    return out;
}

const Sprite* sprite_at(const SpriteGroup& group, Point p, int32_t depth) {
    for (const auto& entry : group.sprites())
        if (entry.element->x == p.x && entry.element->y == p.y && entry.element->depth == depth) return entry.element;
    return nullptr;
}

TEST_F(MapSceneTest, StartLevelShowsGroundWallsObjectsAndPeople) {
    Game& game = *g_app->game();
    World& world = g_app->world;
    MapLevel& millbrook = *world.current_level();
    ASSERT_EQ(millbrook.name, "Millbrook");
    game.switch_state("Walking", 0);
    world.npc_placements.push_back({0x2001, 0x1101, 5 * 32, 5 * 32, 5 * 32, 5 * 32});
    world.spawn_level_npcs(0x1101);
    ASSERT_EQ(world.npc_actors.size(), 1u);
    NpcActor& marta = *world.npc_actors[0];
    marta.attach_sprite(game.first_layer(), &millbrook);
    for (int i = 0; i < 40; ++i) {  // the fade in from black
        game.animate();
        game.pre_render();
        render_frame();
    }

    // The cells around the hero at (4, 6) are built: the first two block
    // columns of the 16 x 12 level, all three block rows.
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 2; ++column) {
            ASSERT_NE(game.map_cells().block(column, row), nullptr) << column << "," << row;
            EXPECT_EQ(game.map_cells().block(column, row)->group, game.ground_group());
        }
    EXPECT_EQ(game.map_cells().block(3, 0), nullptr);
    EXPECT_EQ(game.map_cells().block(0, 2)->bitmap()->height, 2 * 32);  // rows 10 and 11 only
    // The field-stone wall of the top row, the chest at (1, 1), the well at (7, 5).
    const SpriteGroup& objects = *game.object_group();
    EXPECT_NE(sprite_at(objects, {5 * 32, 0}, 1002), nullptr);
    EXPECT_NE(sprite_at(objects, {32, 32}, 32 + 1002), nullptr);
    EXPECT_NE(sprite_at(objects, {7 * 32, 5 * 32}, 5 * 32 + 1002), nullptr);
    // The hero stands at the start of story.txt, drawn from the first
    // premade sheet; Marta beside him, composed from her parts.
    const HeroActor& hero = world.hero();
    EXPECT_EQ(hero.position(), (Point{4 * 32, 6 * 32}));
    const Sprite* hero_sprite = sprite_at(objects, hero.position(), hero.y + 1002);
    ASSERT_NE(hero_sprite, nullptr);
    EXPECT_EQ(hero_sprite->bitmap()->height, 24 * 32);
    const Sprite* person = sprite_at(objects, marta.position(), marta.y + 1002);
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(person->frame_height, 32);
    EXPECT_TRUE(person->flags & TRANS_COLOR);

    // Walls block the hero's step; open grass does not.
    ASSERT_TRUE(world.view_grid_blocks);
    EXPECT_TRUE(world.view_grid_blocks(5 * 32 + 16, 16, 0));
    EXPECT_FALSE(world.view_grid_blocks(2 * 32 + 16, 3 * 32, 0));
    EXPECT_TRUE(world.view_grid_blocks(5 * 32 + 16, 16, 1));
    EXPECT_FALSE(world.view_grid_blocks(2 * 32 + 16, 3 * 32, 1));

    // She is visible: taking her off changes the screen where she stood.
    const Point origin = game.origin();
    const Rect where{marta.x - origin.x, marta.y - origin.y, marta.x - origin.x + 32, marta.y - origin.y + 32};
    ASSERT_TRUE(Rect({0, 0, 240, 320}).contains({where.left, where.top}));
    const std::vector<uint16_t> with_her = screen_area(*game.display(), where);
    marta.detach_sprite();
    game.pre_render();
    render_frame();
    EXPECT_NE(screen_area(*game.display(), where), with_her);
}

}  // namespace
