#include "game/map_view/gfx_config.h"

#include <gtest/gtest.h>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"

namespace {

using Names = std::vector<std::string>;

TEST(GfxConfig, ReadsTheFontsAndEveryPictureListInOrder) {
    const GfxConfig c = GfxConfig::parse(
        "[fonts]\ngenfont = \"talk\"\nbigfont = \"title\"\n"
        "[bitmaps]\nnpcpremade = \"guard\", \"smith\", \"hero\"\nnpcbody = \"b1\", \"b2\"\n"
        "npchead = \"h1\"\nnpchair = \"r1\", \"r2\", \"r3\"\ncombatbg = \"meadow\"\nnone = \"\"\n");
    EXPECT_EQ(c.genfont, "talk");
    EXPECT_EQ(c.bigfont, "title");
    EXPECT_EQ(c.npc_premade, (Names{"guard", "smith", "hero"}));
    EXPECT_EQ(c.npc_body, (Names{"b1", "b2"}));
    EXPECT_EQ(c.npc_head, (Names{"h1"}));
    EXPECT_EQ(c.npc_hair, (Names{"r1", "r2", "r3"}));
    EXPECT_EQ(c.combat_backgrounds, (Names{"meadow"}));
}

TEST(GfxConfig, UnquotedNamesKeepTheirPlaceEmptyAndMissingKeysGiveNothing) {
    const GfxConfig c = GfxConfig::parse("[fonts]\ngenfont = talk\n[bitmaps]\nnpcbody = \"b1\", b2, \"b3\"\n");
    EXPECT_EQ(c.genfont, "");
    // The third body stays third: the composition picks bodies by index.
    EXPECT_EQ(c.npc_body, (Names{"b1", "", "b3"}));
    EXPECT_TRUE(c.npc_premade.empty());
    EXPECT_TRUE(c.combat_backgrounds.empty());
    EXPECT_TRUE(GfxConfig::parse("").npc_head.empty());
}

TEST(GfxConfig, TheDemoFileNamesFontsAndPicturesForEveryList) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    g_file_system = new FileSystem;
    const GfxConfig c = load_gfx_config();
    delete g_file_system;
    g_file_system = nullptr;
    EXPECT_FALSE(c.genfont.empty());
    EXPECT_FALSE(c.bigfont.empty());
    for (const Names* list : {&c.npc_premade, &c.npc_body, &c.npc_head, &c.npc_hair, &c.combat_backgrounds}) {
        ASSERT_FALSE(list->empty());
        for (const std::string& name : *list) EXPECT_FALSE(name.empty());
    }
}

}  // namespace
