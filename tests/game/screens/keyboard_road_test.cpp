// The demo's road played in the real SDL program on a virtual X server, with
// real X key events (keyboard_road.sh beside this file does the playing),
// and judged by what the program itself left behind: the game it saved on
// closing, read back by the game's own loader, its output and its last
// screen. Each run keeps its record (steps, output, sound and the X screens
// at the road's milestones) in <build>/keyboard_road/run-<process id>/ for
// a look, until a later run clears it away.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/memory_pool.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/map_region.h"
#include "game/world/world.h"
#include "tests/support/run_command.h"
#include "tests/support/scratch_folder.h"

namespace {

const std::string kProgram = NIMBREL_BINARY_DIR "/tarrowind";
const std::string kDriver = NIMBREL_SOURCE_DIR "/tests/game/screens/keyboard_road.sh";
const std::string kOutput = NIMBREL_BINARY_DIR "/keyboard_road";
constexpr int kDriverSkipped = 77;  // no Xvfb, xdotool or ImageMagick

constexpr uint32_t kVillage = 0x1101, kWood = 0x1102;
constexpr uint32_t kTonic = 0x4301, kChestOpened = 0x5005;
constexpr int kChestX = 1, kChestY = 1, kOpenChest = 4;
constexpr int32_t kChestGold = 25;
constexpr int32_t kEasy = 0;

// The process id in the name of a run's folder ("run-1234"); 0 for any
// other name.
pid_t run_folder_pid(const std::string& name) {
    const std::string prefix = "run-";
    if (name.rfind(prefix, 0) != 0) return 0;
    long pid = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, pid);
    return error == std::errc() && stop == end ? pid_t(pid) : 0;
}

// A fresh folder for this run's record. What earlier runs left goes, but
// not the folder of one whose test still runs (in another ctest, say).
std::string fresh_run_folder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    std::vector<fs::path> old_records;
    for (const auto& entry : fs::directory_iterator(kOutput, ignored)) {
        const pid_t pid = run_folder_pid(entry.path().filename().string());
        const bool still_running = pid > 0 && pid != getpid() && (kill(pid, 0) == 0 || errno == EPERM);
        if (!still_running) old_records.push_back(entry.path());
    }
    for (const fs::path& path : old_records) fs::remove_all(path, ignored);
    const std::string folder = kOutput + "/run-" + std::to_string(getpid());
    fs::create_directories(folder);
    return folder;
}

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The width and height a PNG file's header gives; {0, 0} when it is none.
std::array<uint32_t, 2> png_size(const std::string& path) {
    const std::string bytes = file_text(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
    auto big_endian = [&](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | uint8_t(bytes[at + i]);
        return value;
    };
    return {big_endian(16), big_endian(20)};
}

size_t entries_of(const HeroActor& hero, uint32_t item_id) {
    size_t count = 0;
    for (const auto& entry : hero.inventory) count += entry->item && entry->item->id == item_id;
    return count;
}

::testing::AssertionResult load_save(World& world, const std::string& path) {
    if (!world.load_story(NIMBREL_DEMO_DATA_DIR "/Story")) return ::testing::AssertionFailure() << world.last_error();
    if (!world.load_state(path)) return ::testing::AssertionFailure() << world.last_error();
    return ::testing::AssertionSuccess();
}

TEST(KeyboardRoad, TheDemoRoadPlayedWithKeysInTheSdlProgram) {
    // The program plays in real time; under the sanitizers it is left out
    // rather than made slow and flaky.
    if (kPoolPassthrough) GTEST_SKIP() << "real-time play runs in the plain build only";
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "the program is not built";

    const std::string state = make_scratch_folder("keyboard_road");
    const std::string record = fresh_run_folder();
    std::string output;
    const int status = run_command(kDriver + " " + kProgram + " " + state + " " + record, output);
    if (status == kDriverSkipped) GTEST_SKIP() << output;
    const std::string game_output = file_text(record + "/game.log");
    const std::string steps = file_text(record + "/steps.log");
    ASSERT_EQ(status, 0) << output << "\nsteps:\n" << steps << "game:\n" << game_output;

    // The game as it began and as the program saved it on closing.
    World start, end;
    ASSERT_TRUE(load_save(start, state + "/savegame/newgame.gam"));
    ASSERT_TRUE(load_save(end, state + "/savegame/autosave.gam"));
    const HeroActor& hero = end.hero();
    SCOPED_TRACE("steps:\n" + steps + "game:\n" + game_output);

    // "Easy" was chosen on the menu's difficulty page.
    EXPECT_EQ(end.difficulty, kEasy);
    // The chest, opened with the action key: its gold, its tonic, its flag
    // and the open chest's picture in the village's corner.
    // (A won fight adds its gold, or an item: the fight is played in real
    // time, so its draws differ from run to run, and its item may be a
    // second tonic.)
    EXPECT_GE(hero.gold, start.hero().gold + kChestGold);
    EXPECT_GE(hero.inventory.size(), start.hero().inventory.size() + 1);
    const size_t tonics = entries_of(hero, kTonic), tonics_before = entries_of(start.hero(), kTonic);
    EXPECT_TRUE(tonics == tonics_before + 1 || tonics == tonics_before + 2) << tonics << " tonics";
    ASSERT_NE(end.get_flag(kChestOpened), nullptr);
    EXPECT_EQ(end.get_flag(kChestOpened)->value, 1);
    MapLevel* village = end.get_level(kVillage);
    ASSERT_NE(village, nullptr);
    ASSERT_TRUE(end.load_region(*village->map->region)) << end.last_error();
    ASSERT_NE(village->cell(kChestX, kChestY), nullptr);
    EXPECT_EQ(village->cell(kChestX, kChestY)->object, kOpenChest);
    // Over the village's east edge: the hero stands in the wood.
    ASSERT_NE(hero.level, nullptr);
    EXPECT_EQ(hero.level->id, kWood);
    // In the wood a monster met the hero and the fight was won: its
    // experience (or the level it made up, which spends the experience of
    // the step), its reward, and the hero alive on the map.
    EXPECT_TRUE(hero.experience > start.hero().experience || hero.level_number > start.hero().level_number)
        << hero.experience << " experience at level " << hero.level_number;
    EXPECT_TRUE(hero.gold > start.hero().gold + kChestGold || hero.inventory.size() > start.hero().inventory.size() + 1);
    EXPECT_GT(hero.hit_points, 0);
    EXPECT_EQ(game_output.find("the \"Combat\" screen"), std::string::npos);

    // The program's own picture of its last screen.
    EXPECT_EQ(png_size(record + "/screen.png"), (std::array<uint32_t, 2>{240, 320}));
    std::filesystem::remove_all(state);
}

}  // namespace
