#include "game/session/game_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/files/atomic_file.h"
#include "game/session/start_config.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr const char* kDefaultText =
    "[SETTINGS]\nMusicVol = 2\nSoundVol = 2\nSndQuality = 2\nGfxQuality = 1\nBrightness = 0\n"
    "WeatherFx = 1\nAutoHeal = 1\nAutoEquip = 1\n";

TEST(GameSettings, MissingFileGivesDefaultsAndIsNotWritten) {
    ScratchFolder folder("settings");
    const GameSettings s = load_settings_file(folder / "settings.ini");
    EXPECT_EQ(s, GameSettings{});
    EXPECT_FALSE(std::filesystem::exists(folder / "settings.ini"));
    EXPECT_TRUE(save_settings_file(folder / "settings.ini", s));
    EXPECT_EQ(folder.read("settings.ini"), kDefaultText);
}

TEST(GameSettings, PartialAndOutOfRangeValuesAreClampedAndTheHandEditedFileKept) {
    ScratchFolder folder("settings");
    const std::string hand_edited =
        "; mine\r\n[SETTINGS]\r\nSoundVol = 3\r\nSndQuality = 9\r\nMusicVol = -4\r\nWeatherFx = 7\r\nBrightness = 12\r\n";
    folder.write("settings.ini", hand_edited);
    const GameSettings s = load_settings_file(folder / "settings.ini");
    EXPECT_EQ(s.sound_volume, 3);
    EXPECT_EQ(s.sound_quality, 4);
    EXPECT_EQ(s.music_volume, 0);
    EXPECT_EQ(s.weather_fx, 1);
    EXPECT_EQ(s.brightness, 12);  // kept as it is
    EXPECT_EQ(s.auto_heal, 1);
    EXPECT_EQ(folder.read("settings.ini"), hand_edited);
}

TEST(GameSettings, OnlySoundVolKeepsTheOtherDefaults) {
    const GameSettings s = GameSettings::parse("[SETTINGS]\nSoundVol = 1\n");
    EXPECT_EQ(s.sound_volume, 1);
    EXPECT_EQ(s.music_volume, 2);
    EXPECT_EQ(s.sound_quality, 2);
}

TEST(GameSettings, GarbageGivesDefaultsWithoutACrash) {
    ScratchFolder folder("settings");
    const std::string garbage("\x00\xff[[[=\"\n\x01", 10);
    folder.write("settings.ini", garbage);
    EXPECT_EQ(load_settings_file(folder / "settings.ini"), GameSettings{});
    EXPECT_EQ(folder.read("settings.ini"), garbage);
}

TEST(GameSettings, AFailedWriteKeepsTheOldFile) {
    ScratchFolder folder("settings");
    const std::string path = folder / "settings.ini";
    folder.write("settings.ini", "old");
    set_atomic_write_fault([](AtomicWriteStep step) { return step == AtomicWriteStep::write; });
    GameSettings s;
    s.music_volume = 4;
    EXPECT_FALSE(save_settings_file(path, s));
    set_atomic_write_fault(nullptr);
    EXPECT_EQ(folder.read("settings.ini"), "old");
    EXPECT_TRUE(save_settings_file(path, s));
    EXPECT_EQ(GameSettings::parse(folder.read("settings.ini")).music_volume, 4);
}

TEST(StartConfig, KeysDefaultsQuestsAndItemsUpToAll) {
    const StartConfig c = StartConfig::parse(
        "[Start]\nLevel = \"Millbrook\"\nPosX = 7\n[Hero]\nName = \"Wren\"\nHealth = 0\n"
        "[QUESTS]\nQUEST = \"The Drowned Lantern\", 1\nQUEST = \"Other\"\n"
        "[ITEMS]\nITEM = \"Ash Cudgel\"\nITEM = \"All\"\nITEM = \"Minor Tonic\"\n");
    EXPECT_EQ(c.level, "Millbrook");
    EXPECT_EQ(c.region, "");
    EXPECT_EQ(c.tile_x, 7);
    EXPECT_EQ(c.tile_y, 3);
    EXPECT_EQ(c.name, "Wren");
    EXPECT_EQ(c.health, 0);
    EXPECT_EQ(c.money, 20);
    ASSERT_EQ(c.quests.size(), 2u);
    EXPECT_EQ(c.quests[0], (std::pair<std::string, int32_t>{"The Drowned Lantern", 1}));
    EXPECT_EQ(c.quests[1].second, 0);
    EXPECT_EQ(c.items, std::vector<std::string>{"Ash Cudgel"});
    EXPECT_TRUE(c.all_items);
}

TEST(StartConfig, AllMatchesCaseExactlyAndEmptyTextGivesDefaults) {
    EXPECT_FALSE(StartConfig::parse("[ITEMS]\nITEM = \"all\"\n").all_items);
    const StartConfig c = StartConfig::parse("");
    EXPECT_EQ(c.name, "hero");
    EXPECT_EQ(c.hero_level, 20);
    EXPECT_TRUE(c.items.empty());
}

}  // namespace
