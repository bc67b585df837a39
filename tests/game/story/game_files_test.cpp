// The demo story read the way the game reads it: through the engine's file
// system, relative to the program folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "game/world/world.h"

namespace {

namespace fs = std::filesystem;

// Runs `body` with the file system mounted on `folder`.
template <class Body>
void with_file_system(const fs::path& folder, Body body) {
    set_program_folder(utf8_to_utf16(folder.string() + "/"));
    g_file_system = new FileSystem;
    body();
    delete g_file_system;
    g_file_system = nullptr;
    set_program_folder(u"");
}

void expect_demo_story_loads(const std::string& story_folder) {
    World world;
    ASSERT_TRUE(world.load_story(story_folder)) << world.last_error();
    ASSERT_NE(world.first_level(), nullptr);
    EXPECT_TRUE(world.load_region(*world.regions[0])) << world.last_error();
    EXPECT_TRUE(world.first_level()->has_grid());
    EXPECT_NE(world.get_or_load_npc(0x2001), nullptr);
    EXPECT_TRUE(world.load_trigger_file(world.first_level()->id));
    EXPECT_FALSE(world.triggers.empty());
}

TEST(GameFiles, DemoStoryLoadsFromLooseFilesInAnyCase) {
    with_file_system(NIMBREL_DEMO_DATA_DIR, [] { expect_demo_story_loads("story"); });
}

TEST(GameFiles, DemoStoryLoadsFromTheArchiveAlone) {
    const fs::path dir = fs::path(NIMBREL_BINARY_DIR) / "test-stories" / "archive-only";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(NIMBREL_DEMO_DATA_DIR) / "data.zip", dir / "data.zip");
    with_file_system(dir, [] { expect_demo_story_loads("Story"); });
}

}  // namespace
