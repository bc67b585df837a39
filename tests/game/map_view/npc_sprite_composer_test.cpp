#include "game/map_view/npc_sprite_composer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/actor_sprites.h"
#include "game/story/npc_record.h"
#include "game/story/story_source.h"
#include "game/world/actor.h"
#include "game/world/world.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// A 32 x 768 walking sheet: frame f is colour base + 8f where `paint` says,
// magenta elsewhere.
std::string walk_sheet(uint32_t base, bool (*paint)(int x, int y)) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 32; ++x) pixels.push_back(paint(x, y % 32) ? base + 8 * uint32_t(y / 32) : kMagenta);
    return bmp_file(32, 768, pixels);
}

bool everywhere(int, int) { return true; }
bool lower_half(int, int y) { return y >= 16; }
bool upper_half(int, int y) { return y < 16; }
bool top_rows(int, int y) { return y < 4; }

// A face layer: opaque colour on the given rows, transparent elsewhere.
std::string face_layer(int width, uint32_t color, int first_row, int end_row, uint16_t bits = 32) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(y >= first_row && y < end_row ? 0xFF000000u | color : 0);
    return bmp_file(width, 16, pixels, bits);
}

uint32_t rgb_of(uint16_t p) {
    return uint32_t((p >> 11) << 3) << 16 | uint32_t(((p >> 5) & 63) << 2) << 8 | uint32_t((p & 31) << 3);
}

class NpcSpriteComposerTest : public GraphicsFilesTest {
protected:
    GfxConfig lists = [] {
        GfxConfig gfx;
        gfx.npc_premade = {"hero", "villager"};
        gfx.npc_body = {"body_a", "body_b"};
        gfx.npc_head = {"head_a"};
        gfx.npc_hair = {"hair_a"};
        return gfx;
    }();

    NpcSpriteComposerTest() {
        write("npc/walk_full/hero.bmp", walk_sheet(0x100000, everywhere));
        write("npc/walk_full/villager.bmp", walk_sheet(0x200000, everywhere));
        write("npc/walk_parts/body_a.bmp", walk_sheet(0x300000, lower_half));
        write("npc/walk_parts/body_b.bmp", walk_sheet(0x400000, lower_half));
        write("npc/walk_parts/head_a.bmp", walk_sheet(0x500000, upper_half));
        write("npc/walk_parts/hair_a.bmp", walk_sheet(0x600000, top_rows));
        for (const char* part : {"tatoo", "eyebrow", "clothes", "hair", "extra"})
            write(std::string("npc/heads/") + part + "_0.bmp", face_layer(16, 0, 0, 0));
        write("npc/heads/head_0.bmp", face_layer(16, 0x808080, 0, 16));
        write("npc/heads/eyes_0.bmp", face_layer(16, 0x0000F8, 4, 6));
        write("npc/heads/mouth_0.bmp", face_layer(16, 0xF80000, 10, 12, 24));  // no alpha plane
        write("npc/heads/nose_0.bmp", face_layer(8, 0x00FC00, 7, 9));          // narrower
    }

    static uint32_t pixel(const Sprite* s, int x, int y) { return rgb_of(s->bitmap()->pixel(x, y)); }
};

TEST_F(NpcSpriteComposerTest, EqualLooksShareOneSheetAndTheOtherFullFlagGetsItsOwn) {
    const NpcAppearance walking{0, 1, 1, 1, true};
    NpcAppearance standing = walking;
    standing.full = false;
    Sprite* a = build_npc_walk_sprite(lists, walking);
    Sprite* b = build_npc_walk_sprite(lists, walking);
    Sprite* c = build_npc_walk_sprite(lists, standing);
    Sprite* d = build_npc_walk_sprite(lists, standing);
    EXPECT_EQ(a->def, b->def);
    EXPECT_EQ(c->def, d->def);
    EXPECT_NE(a->def, c->def);
    EXPECT_EQ(a->bitmap()->height, 768);
    EXPECT_EQ(c->bitmap()->height, 256);
    EXPECT_EQ(a->frame_height, 32);
    EXPECT_TRUE(b->flags & TRANS_COLOR);
    for (Sprite* s : {a, b, c, d}) delete s;
    // Nobody holds them any more: the composed sheets are gone.
    EXPECT_LT(g_sprite_def_cache->find(u"@npc@1@1@1@1", 0), 0);
}

TEST_F(NpcSpriteComposerTest, PartsAreLaidBodyHeadHairAndIndexesWrap) {
    // Body 3 of two entries is the second; head and hair 5 of one are the first.
    Sprite* s = build_npc_walk_sprite(lists, {0, 3, 5, 5, true});
    ASSERT_NE(s->bitmap(), nullptr);
    const int f = 7 * 32;  // frame 7
    EXPECT_EQ(pixel(s, 3, f + 20), 0x400000u + 8 * 7);
    EXPECT_EQ(pixel(s, 3, f + 10), 0x500000u + 8 * 7);
    EXPECT_EQ(pixel(s, 3, f + 1), 0x600000u + 8 * 7);
    delete s;
    // Only a body: the rest stays see-through.
    Sprite* body_only = build_npc_walk_sprite(lists, {0, 2, 0, 0, true});
    EXPECT_EQ(pixel(body_only, 3, 20), 0x300000u);
    EXPECT_EQ(body_only->bitmap()->pixel(3, 2), kColorKey);
    delete body_only;
}

TEST_F(NpcSpriteComposerTest, StandingSheetsKeepTheMiddleStepOfEachDirection) {
    Sprite* s = build_npc_walk_sprite(lists, {2, 0, 0, 0, false});
    ASSERT_EQ(s->bitmap()->height, 256);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pixel(s, 5, 32 * i + 5), 0x200000u + 8 * uint32_t(1 + 3 * i)) << i;
    delete s;
}

TEST_F(NpcSpriteComposerTest, PremadeSheetsAndTheirFallbacks) {
    // No premade and no parts: the first premade sheet; past the list too.
    for (NpcAppearance look : {NpcAppearance{0, 0, 0, 0, true}, NpcAppearance{7, 1, 1, 1, true},
                               NpcAppearance{-3, 0, 0, 0, true}}) {
        Sprite* s = build_npc_walk_sprite(lists, look);
        EXPECT_EQ(pixel(s, 0, 0), 0x100000u) << look.premade;
        EXPECT_EQ(s->bitmap()->height, 768);
        delete s;
    }
    EXPECT_TRUE(FailureLog::names().empty());
}

TEST_F(NpcSpriteComposerTest, AnEmptyListIsReportedByName) {
    lists.npc_body.clear();
    Sprite* s = build_npc_walk_sprite(lists, {0, 1, 1, 0, true});
    ASSERT_EQ(FailureLog::names().size(), 1u);
    EXPECT_EQ(FailureLog::names()[0], u"gfx.ini");
    EXPECT_NE(FailureLog::reasons()[0].find("npcbody"), std::string::npos);
    EXPECT_EQ(pixel(s, 3, 10), 0x500000u);  // the head is still drawn
    delete s;
    lists.npc_premade.clear();
    delete build_npc_walk_sprite(lists, {1, 0, 0, 0, true});
    ASSERT_EQ(FailureLog::names().size(), 2u);
    EXPECT_NE(FailureLog::reasons()[1].find("npcpremade"), std::string::npos);
}

TEST_F(NpcSpriteComposerTest, PortraitsSkipLayersWithoutAlphaOrOfAnotherWidth) {
    SpriteGroup group;
    SpriteList* list = build_npc_head(group, 40, 50, NpcFace{});
    ASSERT_EQ(list->count(), 1);
    const Sprite* head = list->sprite(0);
    EXPECT_EQ(group.sprites().count(), 1);
    EXPECT_EQ((Point{head->x, head->y}), (Point{40, 50}));
    EXPECT_EQ(head->depth, 10);
    EXPECT_EQ(pixel(head, 3, 5), 0x0000F8u);   // eyes composited
    EXPECT_EQ(pixel(head, 3, 10), 0x808080u);  // the 24-bit mouth was skipped
    EXPECT_EQ(pixel(head, 3, 8), 0x808080u);   // so was the narrow nose
    // The cached head picture itself is untouched.
    Sprite plain;
    plain.load_bitmap(u"npc/heads/head_0.bmp", 1);
    EXPECT_EQ(pixel(&plain, 3, 5), 0x808080u);
    group.remove_list(list);
    EXPECT_TRUE(FailureLog::names().empty());
}

TEST_F(NpcSpriteComposerTest, ActorsGetSpritesInTheGroupUntilTheSessionEnds) {
    ActorSprites sprites;
    auto group = std::make_unique<SpriteGroup>();
    sprites.install(group.get(), lists);
    Actor actor(nullptr, true);
    actor.premade = 2;
    actor.attach_sprite_at(nullptr, 64, 96, nullptr);
    ASSERT_EQ(group->sprites().count(), 1);
    const Sprite* s = group->sprites()[0];
    EXPECT_EQ((Point{s->x, s->y}), (Point{64, 96}));
    EXPECT_EQ(s->depth, 96 + Actor::kSpriteDepthBase);
    EXPECT_EQ(s->phase, walk_frame(actor.facing, 0, true));
    EXPECT_EQ(sprites.live_sprites(), 1);
    // The session ends before the actor: its sprite leaves the group, and
    // detaching later touches nothing that is gone.
    sprites.uninstall();
    EXPECT_EQ(group->sprites().count(), 0);
    group.reset();
    actor.detach_sprite();
    actor.attach_sprite_at(nullptr, 0, 0, nullptr);  // the default: no picture
    EXPECT_NE(dynamic_cast<NullActorSprite*>(actor.sprite()), nullptr);
}

}  // namespace

namespace {

// A portrait whose layer picture the data lacks ends the game when the
// player talks to that person, so every person of the demo story must name
// face pictures the build draws.
TEST(DemoPortraits, EveryPersonsFaceLayersHaveTheirPictures) {
    std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/data/story/demo.story");
    std::stringstream text;
    text << in.rdbuf();
    World world;
    StoryFolderPlan plan;
    ASSERT_TRUE(parse_story_source(text.str(), world, plan).empty());
    ASSERT_FALSE(world.people.empty());
    for (const auto& person : world.people) {
        const NpcFace face = npc_face_layers(*person);
        for (size_t layer = 0; layer < face.size(); ++layer) {
            const std::string file = utf16_to_utf8(npc_face_file(face, layer));
            EXPECT_TRUE(std::filesystem::exists(std::string(NIMBREL_DEMO_DATA_DIR) + "/" + file))
                << person->name << ": " << file;
        }
    }
}

}  // namespace
