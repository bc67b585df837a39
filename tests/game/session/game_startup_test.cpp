#include "game/session/game_startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/app/scene_manager.h"
#include "engine/app/screen.h"
#include "engine/core/memory_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap_cache.h"
#include "game/map_view/tile_kinds.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/sound/sound_manager.h"
#include "game/story/monster_record.h"
#include "game/world/action.h"
#include "game/world/actor.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/tile_cell.h"
#include "tests/engine/files/zip_test_support.h"
#include "tests/game/session/demo_game_folder.h"
#include "tools/zippack/zip_writer.h"

namespace {

// The demo archive's members, stored rather than deflated so that the
// archives made of them are quick to write.
std::vector<ZipMember> demo_archive_members() {
    std::vector<ZipMember> members;
    ZipArchive* archive = ZipArchive::open(NIMBREL_DEMO_DATA_DIR "/data.zip");
    if (!archive) return members;
    for (uint32_t i = 0; i < archive->entry_count(); ++i) {
        archive->go_to_entry(i);
        int result = kZipOk;
        ZipMember member(archive->entry_name(), zip_test::read_member(*archive, result));
        member.method = ZipMember::Method::kStored;
        if (result == kZipOk) members.push_back(std::move(member));
    }
    ZipArchive::close(archive);
    return members;
}

class GameStartupTest : public DemoGameFixture {
protected:
    std::string read(const std::string& name) const {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    }
    void TearDown() override {
        set_atomic_write_fault(nullptr);
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        DemoGameFixture::TearDown();
    }
    // Starts the game from `data` and tells what it made: whether it
    // started, the screen it showed, the story's tile parameters and the
    // monsters' combat anchors. The game is shut down again.
    std::string start_up_from(const std::string& data) {
        game_engine_objects_shutdown();  // the file system reads the folder it was made in
        set_program_folder(utf8_to_utf16(data + "/"));
        game_engine_objects_init();
        std::string made = "started " + std::to_string(game_startup());
        if (!g_app) return made;
        made += " screen " + std::to_string(host.front_buffer().crc());
        const TileParams& params = g_app->world.tile_params;
        made += " tile parameters " +
                std::to_string(std::hash<std::string_view>()(
                    std::string_view(reinterpret_cast<const char*>(&params), sizeof params)));
        for (const auto& monster : g_app->world.monsters)
            made += " " + std::to_string(monster->anchor_x) + "," + std::to_string(monster->anchor_y);
        game_shutdown();
        return made;
    }
};

TEST_F(GameStartupTest, StartsOnTheGameSceneWithTheMenuAndTearsEverythingDown) {
    ASSERT_EQ(game_startup(), 1);
    ASSERT_NE(g_current_scene, nullptr);
    EXPECT_EQ(g_current_scene->name(), "Game");
    ASSERT_NE(g_current_scene->current_state(), nullptr);
    EXPECT_EQ(g_current_scene->current_state()->name(), "Menu");
    ASSERT_EQ(g_current_scene->states().size(), kGameStateNames.size());
    for (size_t i = 0; i < kGameStateNames.size(); ++i)
        EXPECT_EQ(g_current_scene->states()[i]->name(), kGameStateNames[i]);
    // Two loading pictures faded in five steps each.
    EXPECT_GE(host.front_buffer().present_count(), 10u);
    // Starting reads the settings and writes none.
    EXPECT_FALSE(std::filesystem::exists(folder + "/settings.ini"));
    ASSERT_NE(g_sound_manager, nullptr);
    EXPECT_TRUE(g_sound_manager->is_open());
    EXPECT_EQ(g_sound_manager->music_volume(), 128);
    // The start level of "story.txt", not the story's first level.
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_EQ(g_app->game()->hero().position(), (Point{4 * 32, 6 * 32}));
    EXPECT_TRUE(g_app->game()->level_entered());
    EXPECT_TRUE(g_app->game()->hero_runs());

    const uint64_t before = host.front_buffer().present_count();
    ASSERT_EQ(game_shutdown(), 1);
    EXPECT_GE(host.front_buffer().present_count(), before + 14);
    EXPECT_EQ(g_app, nullptr);
    EXPECT_EQ(g_sound_manager, nullptr);
    EXPECT_EQ(g_current_scene, nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/autosave.gam"));
}

TEST_F(GameStartupTest, SettingsFromTheWriteFolderConfigureTheSound) {
    std::ofstream(folder + "/settings.ini", std::ios::binary) << "[SETTINGS]\nSoundVol = 1\nMusicVol = 0\n";
    ASSERT_EQ(game_startup(), 1);
    EXPECT_EQ(g_sound_manager->sound_volume(), 64);
    EXPECT_EQ(g_sound_manager->music_volume(), 0);
    EXPECT_EQ(g_app->settings.music_volume, 0);
    game_shutdown();
}

TEST_F(GameStartupTest, FadeEndingUnderMenuAndTicksAdvanceTheGame) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_app->game();
    EXPECT_EQ(game.main_fade().level(), FadeControl::kDark);
    for (int i = 0; i < 40; ++i) game.animate();
    EXPECT_EQ(game.main_fade().level(), 0);
    EXPECT_EQ(game.transition().pending().type, kTransitionNone);
    EXPECT_EQ(game.tile_phase(), 4);
    // Teleporting to a level the story lacks keeps the current one.
    EXPECT_FALSE(game.teleport(0xDEAD, 0, 0, 0));
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_TRUE(game.teleport(0x1102, 64, 64, 0));
    EXPECT_EQ(g_app->world.current_level()->name, "Thistlewood");
    game_shutdown();
}

TEST_F(GameStartupTest, StartUpWritesTheNewGameStateAndAnEmptySlotIndex) {
    ASSERT_EQ(game_startup(), 1);
    EXPECT_EQ(read("savegame/io.ini"), "[savedata]\r\n");
    const std::string new_game = read("savegame/newgame.gam");
    ASSERT_FALSE(new_game.empty());
    EXPECT_EQ(new_game[0], '#');
    // The hero of the new-game key file is what the new game holds.
    const HeroActor& hero = g_app->game()->hero();
    EXPECT_EQ(hero.name, "Tolvanek");
    EXPECT_EQ(hero.gold, 35);
    EXPECT_EQ(hero.inventory.size(), 4u);  // cudgel, jerkin, tonic, twig
    EXPECT_GT(hero.hit_points, 0);
    EXPECT_FALSE(g_app->game()->resumable());
    EXPECT_FALSE(g_app->world.saves_exist);
    game_shutdown();
    // Nothing was started, so nothing is kept to be continued.
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/autosave.gam"));
}

TEST_F(GameStartupTest, AResumableGameIsSavedOnExitAndContinuedOnTheNextStart) {
    ASSERT_EQ(game_startup(), 1);
    ASSERT_TRUE(g_app->game()->teleport(0x1102, 96, 128, 20));
    g_app->game()->hero().gold = 77;
    g_app->game()->set_resumable(true);
    game_shutdown();
    ASSERT_TRUE(std::filesystem::exists(folder + "/savegame/autosave.gam"));

    ASSERT_EQ(game_startup(), 1);
    EXPECT_TRUE(g_app->game()->resumable());
    EXPECT_TRUE(g_app->world.autosave_exists);
    EXPECT_EQ(g_app->world.current_level()->name, "Thistlewood");
    EXPECT_EQ(g_app->game()->hero().position(), (Point{96, 128}));
    EXPECT_EQ(g_app->game()->hero().gold, 77);
    game_shutdown();
}

TEST_F(GameStartupTest, ExitKeepsTheLastSaveWhenTheHeroIsDeadOrTheWriteFails) {
    const std::string old_save = "#previous";
    write("savegame/autosave.gam", old_save);  // unreadable: the start-up falls back to the new game
    ASSERT_EQ(game_startup(), 1);
    EXPECT_FALSE(g_app->game()->resumable());
    g_app->game()->set_resumable(true);
    g_app->game()->hero().hit_points = 0;
    EXPECT_FALSE(g_app->game()->save_for_resume());
    g_app->game()->hero().hit_points = 5;
    set_atomic_write_fault([](AtomicWriteStep step) { return step == AtomicWriteStep::write; });
    game_shutdown();
    EXPECT_EQ(read("savegame/autosave.gam"), old_save);
}

TEST_F(GameStartupTest, ATruncatedAutosaveStartsTheNewGame) {
    ASSERT_EQ(game_startup(), 1);
    ASSERT_TRUE(g_app->game()->teleport(0x1102, 96, 128, 20));
    g_app->game()->set_resumable(true);
    game_shutdown();
    const std::string whole = read("savegame/autosave.gam");
    ASSERT_GT(whole.size(), 20u);
    write("savegame/autosave.gam", whole.substr(0, whole.size() / 2));

    ASSERT_EQ(game_startup(), 1);
    EXPECT_FALSE(g_app->game()->resumable());
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_EQ(g_app->game()->hero().position(), (Point{4 * 32, 6 * 32}));
    game_shutdown();
}

TEST_F(GameStartupTest, NewGameAndLoadDropTheOldGamesActionsAndMakeItResumable) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_app->game();
    auto stale = std::make_shared<Action>();
    ASSERT_TRUE(game.teleport(0x1102, 96, 128, 20));
    ASSERT_TRUE(g_app->world.save_state(g_app->world.save_path("save0.dat")));
    game.actions().push(stale);
    game.music_locked = true;

    ASSERT_TRUE(game.start_new_game());
    EXPECT_TRUE(game.actions().empty());
    EXPECT_FALSE(game.music_locked);
    EXPECT_TRUE(game.resumable());
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_EQ(game.hero().position(), (Point{4 * 32, 6 * 32}));

    game.set_resumable(false);
    game.actions().push(stale);
    EXPECT_FALSE(game.load_game(g_app->world.save_path("save5.dat")));  // no such slot: nothing changes
    EXPECT_EQ(game.actions().size(), 1u);
    EXPECT_FALSE(game.resumable());
    ASSERT_TRUE(game.load_game(g_app->world.save_path("save0.dat")));
    EXPECT_TRUE(game.actions().empty());
    EXPECT_TRUE(game.resumable());
    EXPECT_EQ(g_app->world.current_level()->name, "Thistlewood");
    EXPECT_EQ(game.hero().position(), (Point{96, 128}));
    game_shutdown();
}

TEST_F(GameStartupTest, AStoryFolderWithoutItsStoryFileEndsWithTheMissingFileReport) {
    const std::string empty_data = folder + "/no_data";
    std::filesystem::create_directories(empty_data + "/Story");
    // Only the loading screen's font: the story is what is missing.
    std::filesystem::create_directories(empty_data + "/fonts");
    for (const char* file : {"version.fnt", "version.spr", "version.bmp", "version.txt"})
        std::filesystem::copy_file(std::string(NIMBREL_DEMO_DATA_DIR "/fonts/") + file,
                                   empty_data + "/fonts/" + file);
    game_engine_objects_shutdown();  // the file system reads the folder it was made in
    set_program_folder(utf8_to_utf16(empty_data));
    game_engine_objects_init();
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(game_startup(), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(read("nimbrel_error.txt").find("Failed to open file:\nStory\\story.rpg"), std::string::npos)
        << read("nimbrel_error.txt");
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
}

// A key file stored empty in data.zip is taken as the same empty loose file
// beside an archive without it: as missing, each reader's fallback.
TEST_F(GameStartupTest, AnEmptyKeyFileInTheArchiveStartsAsAnEmptyLooseFileDoes) {
    const std::vector<ZipMember> members = demo_archive_members();
    ASSERT_FALSE(members.empty());
    for (const char* key_file : {"Story/tileparams.ini", "combat/monsters/combatspr.ini", "layout.ini",
                                 "texteffect/texteffects.ini", "texteffect/textanims.ini"}) {
        SCOPED_TRACE(key_file);
        std::vector<ZipMember> emptied = members;
        std::vector<ZipMember> without;
        for (ZipMember& member : emptied) {
            if (member.name == key_file) member.data.clear();
            else without.push_back(member);
        }
        ASSERT_EQ(without.size() + 1, emptied.size());

        const std::string in_archive = folder + "/empty_member";
        zip_test::write_file(in_archive + "/data.zip", zip_write(emptied).bytes);
        const std::string loose = folder + "/empty_loose_file";
        zip_test::write_file(loose + "/data.zip", zip_write(without).bytes);
        zip_test::write_file(loose + "/" + key_file, {});

        const std::string from_archive = start_up_from(in_archive);
        EXPECT_EQ(from_archive.substr(0, 9), "started 1");
        EXPECT_EQ(from_archive, start_up_from(loose));
        std::filesystem::remove_all(in_archive);
        std::filesystem::remove_all(loose);
    }
}

TEST_F(GameStartupTest, TheFadeLayersDarkenAndLightenTheDrawnScreen) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_app->game();
    // The main menu's page covers the map and its fades; leave it.
    game.switch_state("Walking", 0);
    render_frame();
    EXPECT_EQ(host.front_buffer().pixel(120, 160), 0x0000);
    for (int i = 0; i < 40; ++i) game.animate();
    ASSERT_EQ(game.main_fade().level(), 0);
    game.post_transition(kTransitionFadeOutUpper, 0, 0, 0);
    for (int i = 0; i < 17; ++i) game.animate();
    EXPECT_EQ(game.upper_fade().level(), FadeControl::kDark);
    render_frame();
    // The upper fade goes to white over the whole screen.
    EXPECT_EQ(host.front_buffer().pixel(0, 0), 0xFFFF);
    EXPECT_EQ(host.front_buffer().pixel(239, 319), 0xFFFF);
    game_shutdown();
}

TEST_F(GameStartupTest, TheVersionLineEndsFivePixelsFromTheRightEdge) {
    SpriteGroup group;
    group.set_size(480, 320);
    for (int32_t width : {240, 480}) {
        Sprite* line = add_version_line(group, width);
        ASSERT_NE(line, nullptr);
        EXPECT_GT(line->frame_width, 20);
        EXPECT_EQ(line->x + line->frame_width, width - 5);
        EXPECT_EQ(line->y, 5);
    }
}

TEST_F(GameStartupTest, LevelEntryPlacesPeopleSetsTheRunFlagAndSavesOnRegionChanges) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_app->game();
    World& world = g_app->world;
    // Someone placed in the wood stands at home there once the hero arrives.
    world.npc_placements.push_back({0x2003, 0x1102, 200, 200, 160, 96});
    ASSERT_TRUE(game.teleport(0x1102, 64, 64, 30));
    MapLevel& wood = *world.get_level(0x1102);
    ASSERT_EQ(wood.actors.size(), 1u);
    EXPECT_EQ(wood.actors[0]->position(), (Point{160, 96}));
    EXPECT_NE(wood.actors[0]->sprite(), nullptr);
    EXPECT_TRUE(game.hero_runs());
    // Same region: no automatic save.
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/save6.dat"));

    // (Level names come from the region file, so the map takes the word.)
    world.regions.front()->maps.front()->name = "Verworld Vale";
    world.regions.front()->name = "Farshore";
    ASSERT_TRUE(game.teleport(0x1101, 64, 64, 30));
    EXPECT_FALSE(game.hero_runs());
    EXPECT_TRUE(wood.actors.empty());  // people live on the level being shown
    EXPECT_TRUE(std::filesystem::exists(folder + "/savegame/save6.dat"));
    EXPECT_NE(read("savegame/autoio.ini").find("\"Farshore\", \"Autosave!\""), std::string::npos);

    // While the HUD shows its own page, a region change does not save.
    std::filesystem::remove(folder + "/savegame/save6.dat");
    game.set_hud_mode(true);
    world.regions.front()->name = "Fernreach";
    world.regions.front()->maps.front()->name = "Brackenvale";
    ASSERT_TRUE(game.teleport(0x1103, 64, 64, 30));
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/save6.dat"));
    EXPECT_TRUE(game.hero_runs());
    game_shutdown();
}

TEST_F(GameStartupTest, LowMemoryReleasesTheMapsSpritesUntilTheMapShowsAgain) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_app->game();
    g_app->world.npc_placements.push_back({0x2001, 0x1101, 100, 100, 100, 100});
    ASSERT_TRUE(game.teleport(0x1101, 64, 64, 30));
    Actor* marta = g_app->world.get_level(0x1101)->actors.at(0);
    int32_t free_mb = 16;
    game.free_memory = [&free_mb] { return free_mb; };

    game.release_level_sprites();  // plenty of memory: nothing given up
    EXPECT_NE(marta->sprite(), nullptr);
    EXPECT_NE(game.hero().sprite(), nullptr);
    free_mb = 3;
    game.release_level_sprites();
    EXPECT_EQ(marta->sprite(), nullptr);
    EXPECT_EQ(game.hero().sprite(), nullptr);
    game.restore_level_sprites();
    EXPECT_NE(marta->sprite(), nullptr);
    EXPECT_NE(game.hero().sprite(), nullptr);
    game.restore_level_sprites();  // a second restore changes nothing
    EXPECT_NE(game.hero().sprite(), nullptr);
    game_shutdown();
}

// A save with any one byte changed is either refused or plays on: it never
// asks for a picture that does not exist, which would end the program.
TEST_F(GameStartupTest, ASaveWithAnyByteChangedIsRefusedOrPlaysOn) {
    ASSERT_EQ(game_startup(), 1);
    World& world = g_app->world;
    MapLevel* level = world.current_level();
    ASSERT_NE(level, nullptr);
    bool toggled = false;
    for (int y = 0; y < level->height && !toggled; ++y)
        for (int x = 0; x < level->width && !toggled; ++x)
            if (level->cell(x, y) && level->cell(x, y)->object)
                toggled = level->toggle_tile_state(x, y, 0, 1 - level->tile_state(x, y, 0));
    ASSERT_TRUE(toggled);
    const std::vector<uint8_t> good = world.save_state_bytes();
    ASSERT_FALSE(good.empty());
    static std::vector<std::string> failures;
    failures.clear();
    set_resource_failure_handler([](std::u16string_view name, const std::string&) {
        failures.push_back(utf16_to_utf8(name));
    });
    const std::string path = utf16_to_utf8(resolve_path(utf8_to_utf16(world.save_path("save1.dat"))));
    size_t loaded = 0, refused = 0;
    for (size_t at = 0; at < good.size() && failures.empty(); ++at) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = bytes[at] == 0xFF ? 0x00 : 0xFF;
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!g_app->game()->load_game(world.save_path("save1.dat"))) {
            ++refused;
            continue;
        }
        ++loaded;
        render_frame();
        EXPECT_TRUE(failures.empty()) << "byte " << at << ": " << failures.front();
    }
    set_resource_failure_handler(nullptr);
    EXPECT_GT(loaded, 0u);
    EXPECT_GT(refused, 0u);
    game_shutdown();
}

// A save whose tile change names an object picture the tile files do not
// have is refused when it is loaded on the map, where the next frame builds
// the cells around the hero; the map drawn after it asks for no missing
// picture.
TEST_F(GameStartupTest, ASaveWhoseTileChangeNamesAMissingPictureIsRefusedOnTheMap) {
    ASSERT_EQ(game_startup(), 1);
    ASSERT_TRUE(g_app->game()->start_new_game());
    g_app->game()->switch_state("Walking", 0);
    render_frame();
    World& world = g_app->world;
    MapLevel* level = world.current_level();
    ASSERT_NE(level, nullptr);
    constexpr uint32_t kNoPicture = 0xFFFF;
    ASSERT_FALSE(tile_value_has_pictures(kFieldObject, kNoPicture));
    // The hero's own cell, logged as the saved change and then put back.
    const int x = world.hero().x / 32, y = world.hero().y / 32;
    ASSERT_NE(level->cell(x, y), nullptr);
    const uint32_t object = level->cell(x, y)->object;
    level->set_tile_field(x, y, kFieldObject, kNoPicture, true);
    const std::vector<uint8_t> bytes = world.save_state_bytes();
    ASSERT_FALSE(bytes.empty());
    level->tile_changes.pop_back();
    level->set_tile_field(x, y, kFieldObject, object, false);
    const std::string path = utf16_to_utf8(resolve_path(utf8_to_utf16(world.save_path("save1.dat"))));
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    static std::vector<std::string> failures;
    failures.clear();
    set_resource_failure_handler([](std::u16string_view name, const std::string&) {
        failures.push_back(utf16_to_utf8(name));
    });
    EXPECT_FALSE(g_app->game()->load_game(world.save_path("save1.dat")));
    for (int frame = 0; frame < 3; ++frame) render_frame();
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_EQ(g_app->game()->current_state()->name(), "Walking");
    set_resource_failure_handler(nullptr);
    game_shutdown();
}

// The engine's start-up made the caches; an allocation that fails once the
// reserve is gone purges the pictures nobody uses before it is retried.
TEST_F(GameStartupTest, LowMemoryPurgesUnusedPicturesOnceTheReserveIsGone) {
    ensure_memory_reserve();
    g_bitmap_cache->caching = 1;
    g_bitmap_cache->preload_bitmap(u"load\\load1.bmp");
    ASSERT_GE(g_bitmap_cache->find(u"load\\load1.bmp", 0), 0);
    struct Step {
        bool reserve_after;
        bool cached_after;
    };
    for (const Step& step : {Step{false, true}, Step{false, false}}) {
        mem_inject_heap_failures(1);
        mem_free(mem_alloc(4096));
        EXPECT_EQ(mem_reserve_held(), step.reserve_after);
        EXPECT_EQ(g_bitmap_cache->find(u"load\\load1.bmp", 0) >= 0, step.cached_after);
    }
    mem_inject_heap_failures(0);
    ensure_memory_reserve();
    EXPECT_TRUE(mem_reserve_held());
}

}  // namespace
