// The program itself, run twice with the committed input scripts in
// tests/game/screens/scripts: a new game saved into slot 1 and ended, then
// a second run that loads slot 1 and continues. The game the second run
// leaves behind ("autosave.gam") must hold the hero as slot 1 holds it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

const std::string kProgram = NIMBREL_BINARY_DIR "/tarrowind";
const std::string kScripts = NIMBREL_SOURCE_DIR "/tests/game/screens/scripts/";

int run_program(const std::string& args, std::string& output) {
    FILE* pipe = popen((kProgram + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    return pclose(pipe);
}

struct SavedHero {
    uint32_t level = 0;
    int x = 0, y = 0;
    int32_t gold = 0;
    size_t items = 0;
    bool operator==(const SavedHero&) const = default;
};

std::optional<SavedHero> hero_in(const std::string& save) {
    World world;
    if (!world.load_story(NIMBREL_DEMO_DATA_DIR "/Story") || !world.load_state(save)) return std::nullopt;
    const HeroActor& h = world.hero();
    return SavedHero{h.level ? h.level->id : 0, h.x, h.y, h.gold, h.inventory.size()};
}

TEST(MenuScripts, SaveInOneRunLoadInTheNext) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "the program is not built";

    const std::string folder = testing::TempDir() + "menu_scripts_" + std::to_string(getpid()) + "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string common = "--headless --state " + folder + " --run-ms 8000 --input " + kScripts;
    std::string output;
    ASSERT_EQ(run_program(common + "new_game_save_end.txt", output), 0) << output;
    const std::optional<SavedHero> in_slot = hero_in(folder + "savegame/save0.dat");
    ASSERT_TRUE(in_slot) << output;
    ASSERT_TRUE(std::filesystem::exists(folder + "savegame/autosave.gam")) << output;

    ASSERT_EQ(run_program(common + "continue_load.txt", output), 0) << output;
    EXPECT_EQ(hero_in(folder + "savegame/autosave.gam"), in_slot) << output;
    std::filesystem::remove_all(folder);
}

}  // namespace
