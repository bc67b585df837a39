#include "game/sound/sound_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "engine/core/text_helpers.h"
#include "recording_sound_backend.h"

namespace {

// A facade over the recording backend with files served from a map; counts
// every file access.
struct Facade {
    std::shared_ptr<RecordingSoundBackend::Log> log = std::make_shared<RecordingSoundBackend::Log>();
    std::map<std::u16string, std::string> files{{u"sfx/hit.wav", "S1"}, {u"music/a.xm", "M1"},
                                                 {u"music/b.xm", "M2"}, {u"sfx/bad.wav", "x"}};
    int reads = 0;
    SoundManager sound{std::make_unique<RecordingSoundBackend>(log)};

    Facade() {
        sound.read_file = [this](std::u16string_view name) -> std::optional<std::vector<uint8_t>> {
            ++reads;
            auto it = files.find(std::u16string(name));
            if (it == files.end()) return std::nullopt;
            return std::vector<uint8_t>(it->second.begin(), it->second.end());
        };
    }
    int count(const std::string& call) const { return int(std::count(log->calls.begin(), log->calls.end(), call)); }
};

TEST(SoundManagerOutput, OpensWithTheQualityModeAndClosesWhenBothVolumesAreZero) {
    Facade f;
    EXPECT_FALSE(f.sound.is_open());
    f.sound.configure(2, 128, 128);
    EXPECT_TRUE(f.sound.is_open());
    EXPECT_EQ(f.log->calls.front(), "open 9 75 22050");
    f.sound.play_sound(u"sfx/hit.wav", 256, -1, false);
    EXPECT_EQ(f.sound.cached_sample_count(), 1u);

    f.sound.set_music_volume(0);
    EXPECT_TRUE(f.sound.is_open());
    f.sound.set_sound_volume(0);
    EXPECT_FALSE(f.sound.is_open());
    EXPECT_EQ(f.log->closes, 1);
    EXPECT_EQ(f.sound.cached_sample_count(), 0u);
    EXPECT_EQ(f.log->live_samples, 0);

    f.sound.set_sound_volume(64);
    EXPECT_TRUE(f.sound.is_open());
    EXPECT_EQ(f.log->opens, 2);
}

TEST(SoundManagerOutput, QualityChangeReopensAndOutOfRangeValuesAreClamped) {
    Facade f;
    f.sound.configure(9, 640, -5);
    EXPECT_EQ(f.sound.quality(), 4);
    EXPECT_EQ(f.sound.music_volume(), 256);
    EXPECT_EQ(f.sound.sound_volume(), 0);
    EXPECT_EQ(f.log->calls.back(), "open 4 75 44100");
    f.sound.set_quality(-3);
    EXPECT_EQ(f.sound.quality(), 0);
    EXPECT_EQ(f.log->closes, 1);
    EXPECT_EQ(f.log->calls.back(), "open 8 75 11025");
    f.sound.set_quality(0);  // unchanged: no reopen
    EXPECT_EQ(f.log->opens, 2);
}

TEST(SoundManagerOutput, AFailedOpenStillCountsAsOpenAndPlaysNothingHarmful) {
    Facade f;
    f.log->fail_open = true;
    f.sound.configure(2, 256, 256);
    EXPECT_TRUE(f.sound.is_open());
    EXPECT_EQ(f.log->opens, 1);  // no audio driver: no retry loop on the window thread
}

TEST(SoundManagerOutput, ABusyAudioDeviceIsTriedEvery100MsUpTo20TimesThenSilence) {
    struct Case {
        bool audio_driver;
        int failures;
        int opens, waits, silent_opens;
    };
    const Case cases[] = {
        {true, 3, 4, 3, 0},
        {true, 19, 20, 19, 0},
        {true, 20, 20, 19, 1},
        {false, 5, 1, 0, 1},  // no driver at all: silence at once
    };
    for (const Case& c : cases) {
        Facade f;
        f.log->audio_driver = c.audio_driver;
        f.log->open_failures = c.failures;
        std::vector<uint32_t> waits;
        f.sound.wait_ms = [&waits](uint32_t ms) { waits.push_back(ms); };
        f.sound.configure(2, 256, 256);
        EXPECT_TRUE(f.sound.is_open());
        EXPECT_EQ(f.log->opens, c.opens) << c.failures;
        EXPECT_EQ(waits, std::vector<uint32_t>(size_t(c.waits), 100u)) << c.failures;
        EXPECT_EQ(f.log->silent_opens, c.silent_opens) << c.failures;
    }
}

TEST(SoundManagerSamples, VolumeIsScaledAndZeroPlaysNothing) {
    Facade f;
    f.sound.configure(2, 256, 64);
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 256, -1, true), 7);
    EXPECT_EQ(f.log->last_volume, 64);
    EXPECT_EQ(f.count("loop 2"), 1);
    EXPECT_EQ(f.count("unpause"), 1);
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 100, -1, false), 7);
    EXPECT_EQ(f.log->last_volume, 25);  // 64 * 100 / 256, truncated
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 0, -1, false), -1);
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 3, -1, false), -1);  // 64 * 3 / 256 = 0
    EXPECT_EQ(f.count("play -1"), 2);
}

TEST(SoundManagerSamples, CacheMatchesNamesIgnoringCaseAndRemembersMissingFiles) {
    Facade f;
    f.sound.configure(2, 256, 256);
    f.sound.play_sound(u"sfx/hit.wav", 256, -1, false);
    f.sound.play_sound(u"SFX/HIT.WAV", 256, -1, false);
    EXPECT_EQ(f.reads, 1);
    EXPECT_EQ(f.sound.play_sound(u"sfx/none.wav", 256, -1, false), -1);
    EXPECT_EQ(f.sound.play_sound(u"sfx/none.wav", 256, -1, false), -1);
    EXPECT_EQ(f.sound.play_sound(u"sfx/bad.wav", 256, -1, false), -1);
    EXPECT_EQ(f.reads, 3);  // each missing or undecodable file is read once
    EXPECT_EQ(f.sound.cached_sample_count(), 3u);
    f.sound.flush_samples();
    EXPECT_EQ(f.log->live_samples, 0);
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 256, -1, false), 7);
    EXPECT_EQ(f.reads, 4);
}

TEST(SoundManagerSamples, ClosedFacadeReturnsFailure) {
    Facade f;
    EXPECT_EQ(f.sound.play_sound(u"sfx/hit.wav", 256, -1, false), -1);
    EXPECT_EQ(f.reads, 0);
}

TEST(SoundManagerMusic, SameSongInOtherCaseKeepsPlayingAnotherReplacesIt) {
    Facade f;
    f.sound.configure(2, 256, 256);
    f.sound.play_music(u"music/a.xm", 128);
    EXPECT_TRUE(f.sound.has_song());
    EXPECT_EQ(f.log->last_song_volume, 128);
    f.sound.play_music(u"MUSIC/A.XM", 256);
    EXPECT_EQ(f.count("load song"), 1);
    f.sound.play_music(u"music/b.xm", 256);
    EXPECT_EQ(f.count("load song"), 2);
    EXPECT_EQ(f.log->live_songs, 1);
    EXPECT_EQ(f.count("pan"), 0);  // type 3 songs keep their panning
    EXPECT_EQ(f.sound.set_music_order(3), 103);
    EXPECT_EQ(f.sound.music_pattern(), 5);
}

TEST(SoundManagerMusic, AFailedLoadLeavesNoSongButKeepsTheName) {
    Facade f;
    f.sound.configure(2, 256, 256);
    f.sound.play_music(u"music/a.xm", 256);
    f.sound.play_music(u"music/none.xm", 256);
    EXPECT_FALSE(f.sound.has_song());
    EXPECT_EQ(f.log->live_songs, 0);
    ASSERT_TRUE(f.sound.music_name().has_value());
    EXPECT_EQ(*f.sound.music_name(), u"music/none.xm");
    EXPECT_EQ(f.sound.set_music_order(1), 0);
    EXPECT_EQ(f.sound.music_pattern(), 0);
    f.sound.stop_music();  // nothing left to free twice
    EXPECT_EQ(f.log->live_songs, 0);
}

TEST(SoundManagerMusic, MusicVolumeZeroStopsAndRaisingItReplaysTheRememberedSong) {
    Facade f;
    f.sound.configure(2, 256, 256);
    f.sound.play_music(u"music/a.xm", 200);
    f.sound.set_music_volume(0);
    EXPECT_FALSE(f.sound.has_song());
    f.sound.set_music_volume(128);
    EXPECT_TRUE(f.sound.has_song());
    EXPECT_EQ(f.log->last_song_volume, 100);  // 128 * 200 / 256
    EXPECT_EQ(f.count("load song"), 2);
}

TEST(SoundManagerMusic, ClosedFacadeRemembersNothingAndNarrowNamesWidenByByte) {
    Facade f;
    f.sound.play_music(u"music/a.xm", 256);
    EXPECT_FALSE(f.sound.music_name().has_value());
    f.sound.configure(2, 256, 256);
    f.files[u"music/\u00e9.xm"] = "M3";
    f.sound.play_music_narrow("music/\xe9.xm", 256);
    EXPECT_TRUE(f.sound.has_song());
}

TEST(SoundManagerLibrary, SilentLibraryOpensAndCloses) {
    SoundManager sound(make_library_sound_backend(true));
    sound.read_file = [](std::u16string_view) { return std::optional<std::vector<uint8_t>>(); };
    sound.configure(0, 64, 64);
    EXPECT_TRUE(sound.is_open());
    EXPECT_EQ(sound.play_sound(u"sfx/none.wav", 256, -1, false), -1);
    sound.configure(0, 0, 0);
    EXPECT_FALSE(sound.is_open());
}

// The sound library itself on its silent output, reading the demo songs.
TEST(SoundManagerLibrary, DemoSongsLoadPlayAndMoveToAnOrder) {
    SoundManager sound(make_library_sound_backend(true));
    const std::string folder = NIMBREL_DEMO_DATA_DIR "/";
    sound.read_file = [&folder](std::u16string_view name) -> std::optional<std::vector<uint8_t>> {
        std::ifstream in(folder + utf16_to_utf8(name), std::ios::binary);
        if (!in) return std::nullopt;
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    sound.configure(2, 256, 256);
    ASSERT_TRUE(sound.is_open());
    sound.play_music(u"music/village.xm", 256);
    ASSERT_TRUE(sound.has_song());
    // The library takes the order (it starts there on its next tick).
    EXPECT_EQ(sound.set_music_order(1), 1);
    EXPECT_GE(sound.music_pattern(), 0);
    // Not a song: the old one is gone and none is kept.
    sound.play_music(u"Story/story.txt", 256);
    EXPECT_FALSE(sound.has_song());
    sound.play_music(u"music/battle.xm", 256);
    EXPECT_TRUE(sound.has_song());
    sound.configure(2, 0, 0);
    EXPECT_FALSE(sound.is_open());
    EXPECT_FALSE(sound.has_song());
}

}  // namespace
