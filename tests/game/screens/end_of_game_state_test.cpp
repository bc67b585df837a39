// The end of a game: the picture each variant shows, the death knell for
// every one of them, the fade out from wherever the fade in was, the screen
// that follows, and a finished game that can be neither saved nor resumed.
#include "game/screens/end_of_game_state.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/sprite.h"
#include "game/sound/sound_manager.h"
#include "tests/game/screens/item_screen_support.h"
#include "tests/game/sound/recording_sound_backend.h"

namespace {

class EndOfGameTest : public ItemScreenTest {
protected:
    void SetUp() override {
        ItemScreenTest::SetUp();
        sound_log = std::make_shared<RecordingSoundBackend::Log>();
        sounds = std::make_unique<SoundManager>(std::make_unique<RecordingSoundBackend>(sound_log));
        sounds->read_file = [this](std::u16string_view name) -> std::optional<std::vector<uint8_t>> {
            read.push_back(utf16_to_utf8(name));
            return std::vector<uint8_t>{name.find(u".xm") != std::u16string_view::npos ? uint8_t('M') : uint8_t('S')};
        };
        sounds->configure(2, 256, 256);
    }
    void TearDown() override {
        if (g_sound_manager == sounds.get()) g_sound_manager = saved_sounds;
        ItemScreenTest::TearDown();
    }
    // A new game on the map, its sounds recorded from here on.
    void start_on_the_map() {
        start_game();
        ASSERT_TRUE(g_app->game()->start_new_game());
        g_app->game()->switch_state("Walking", 0);
        saved_sounds = g_sound_manager;
        g_sound_manager = sounds.get();
    }
    EndOfGameState& end() { return *static_cast<EndOfGameState*>(current()); }
    void open(const int32_t* variant) {
        g_app->game()->switch_state("EndOfGame", variant);
        ASSERT_EQ(current_name(), "EndOfGame");
    }
    bool was_read(const std::string& name) const { return std::find(read.begin(), read.end(), name) != read.end(); }
    int sounds_played() const {
        return int(std::count_if(sound_log->calls.begin(), sound_log->calls.end(),
                                 [](const std::string& call) { return call.rfind("play ", 0) == 0; }));
    }
    bool stopped(int channel) const {
        const std::string call = "stop " + std::to_string(channel);
        return std::find(sound_log->calls.begin(), sound_log->calls.end(), call) != sound_log->calls.end();
    }

    std::shared_ptr<RecordingSoundBackend::Log> sound_log;
    std::unique_ptr<SoundManager> sounds;
    SoundManager* saved_sounds = nullptr;
    std::vector<std::string> read;
};

TEST_F(EndOfGameTest, EachVariantShowsItsPictureAfterTheDeathKnell) {
    struct Case {
        std::optional<int32_t> variant;  // none: a null argument
        std::u16string picture;
    };
    const Case cases[] = {{std::nullopt, u"screens\\gameover.bmp"}, {0, u"screens\\gameover.bmp"},
                          {1, u"screens\\end1.bmp"},               {2, u"screens\\end2.bmp"},
                          {7, u"screens\\gameover.bmp"},           {-1, u"screens\\gameover.bmp"}};
    start_on_the_map();
    for (const Case& c : cases) {
        const std::string label = c.variant ? std::to_string(*c.variant) : "null";
        if (c.variant) {
            EXPECT_EQ(end_of_game_picture(*c.variant), c.picture) << label;
        }
        g_app->game()->music_locked = true;
        g_app->game()->saved_music_order = 5;
        const int played = sounds_played();
        open(c.variant ? &*c.variant : nullptr);
        const int32_t v = c.variant.value_or(0);
        EXPECT_EQ(end().variant(), v == 1 || v == 2 ? v : 0) << label;
        // The music stops (its lock gone) and the knell sounds, endings too.
        EXPECT_FALSE(g_app->game()->music_locked);
        EXPECT_EQ(g_app->game()->saved_music_order, 0);
        EXPECT_TRUE(g_app->game()->music_name().empty());
        EXPECT_TRUE(was_read("sfx/death.wav") || was_read("sfx\\death.wav")) << label;
        EXPECT_EQ(sounds_played(), played + 1) << label;
        EXPECT_GE(end().death_channel(), 0) << label;
        // The picture over the whole screen, fading in, the map hidden.
        ASSERT_NE(end().picture(), nullptr) << label;
        EXPECT_EQ((Size{end().picture()->frame_width, end().picture()->frame_height}), (Size{240, 320}));
        EXPECT_EQ((Point{end().picture()->x, end().picture()->y}), (Point{0, 0}));
        EXPECT_EQ(end().picture()->alpha, 0);
        EXPECT_FALSE(g_app->game()->ground_group()->is_visible());
        EXPECT_FALSE(g_app->game()->object_group()->is_visible());
        g_app->game()->switch_state("Walking", 0);
        EXPECT_TRUE(g_app->game()->ground_group()->is_visible());
    }
}

TEST_F(EndOfGameTest, AnEarlyKeyFadesOutFromTheAlphaReachedAndStopsTheKnell) {
    start_on_the_map();
    const int32_t ending = 1;
    open(&ending);
    tick(10);
    EXPECT_EQ(end().picture()->alpha, 10);
    end().on_key(kKeyRelease, kKeyAction, 0);
    end().on_pointer(kPenMove, 5, 5);
    end().on_pointer(kPenUp, 5, 5);
    EXPECT_FALSE(end().leaving());
    const int channel = end().death_channel();
    end().on_key(kKeyPress, kKeyUp, 0);  // any key
    EXPECT_TRUE(end().leaving());
    EXPECT_TRUE(stopped(channel));
    tick(10);
    EXPECT_EQ(current_name(), "EndOfGame");
    EXPECT_EQ(end().picture()->alpha, 0);
    tick();
    EXPECT_EQ(current_name(), "Menu");
}

TEST_F(EndOfGameTest, GameOverGoesToTheLoadScreenAndAnEndingToTheMenuWithTheTitleMusic) {
    start_on_the_map();
    const int32_t zero = 0, one = 1, two = 2;
    struct Case {
        const int32_t* variant;
        const char* next;
    };
    for (const Case& c : {Case{nullptr, "GameIO"}, Case{&zero, "GameIO"}, Case{&one, "Menu"}, Case{&two, "Menu"}}) {
        open(c.variant);
        tick(40);  // faded in, and it stays
        EXPECT_EQ(current_name(), "EndOfGame");
        EXPECT_EQ(end().picture()->alpha, 32);
        tap({120, 160});
        tick(32);
        EXPECT_EQ(current_name(), "EndOfGame");
        tick();
        EXPECT_EQ(current_name(), c.next);
        EXPECT_EQ(g_app->game()->music_name(), "music/title-ending.xm");
        EXPECT_FALSE(world().autosave_exists);
        EXPECT_FALSE(world().saving_allowed);
        g_app->game()->switch_state("Walking", 0);
    }
}

TEST_F(EndOfGameTest, AGameEndedOnItsPictureCanNeitherBeContinuedNorSaved) {
    start_on_the_map();
    ASSERT_TRUE(g_app->game()->resumable());
    world().autosave_exists = world().saving_allowed = true;
    const int32_t ending = 1;
    open(&ending);
    // Closing the window now: the exit's save writes nothing, and the menu
    // would offer no "Continue".
    EXPECT_FALSE(g_app->game()->resumable());
    EXPECT_FALSE(world().autosave_exists);
    EXPECT_FALSE(world().saving_allowed);
    EXPECT_GT(hero().hit_points, 0);
    EXPECT_FALSE(g_app->game()->save_for_resume());
    EXPECT_FALSE(std::filesystem::exists(save_file("autosave.gam")));
}

}  // namespace
