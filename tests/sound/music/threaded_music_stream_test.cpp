// Songs and streams with every thread running (mixer, stream thread and the
// asynchronous-open worker) while the game thread loads, plays, reorders,
// seeks, stops and frees: run under ThreadSanitizer by tools/test --tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/sound/xm_test_support.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

using namespace std::chrono_literals;

// The library on the capture output, mixed by its own thread in real time.
struct ThreadedSound {
    sound_test::SoundSettingsGuard settings;  // made before the library starts, gone after it closes

    explicit ThreadedSound(int rate = 22050) {
        CaptureConfig config;
        config.threaded = true;
        config.sink = [this](const int16_t*, int count, int) { frames += count; };
        output_capture_configure(std::move(config));
        sound_set_output(OUTPUT_CAPTURE);
        sound_set_buffer_size(50);
        ok = sound_init(rate, 16, 0) == 1;
    }
    ~ThreadedSound() { sound_close(); }  // before the frame count goes
    bool ok = false;
    std::atomic<int64_t> frames{0};
};

// A song whose rows run fast (speed 1) over four orders.
xm::Module quick_module() {
    xm::Module m = xm_test::basic_module(4, 4, 8);
    m.speed = 1;
    m.tempo = 255;
    for (xm::Pattern& p : m.patterns) {
        p.at(0, 0, 4) = {49, 1, 0, 0, 0};
        p.at(4, 1, 4) = {61, 1, 0x30, 0, 0};
    }
    return m;
}

// Counts the row callbacks of one song (its user data); called on the mixer
// thread, or on the game thread for the rows still queued when it is freed.
void count_row(MusicSong* song, intptr_t, intptr_t) {
    ++*reinterpret_cast<std::atomic<int>*>(music_get_user_data(song));
}

TEST(ThreadedMusic, GameThreadLoadsPlaysReordersAndFreesWhileTheMixerRuns) {
    ThreadedSound sound;
    ASSERT_TRUE(sound.ok);
    const std::vector<uint8_t> bytes = xm::write(quick_module());
    static std::atomic<int> rows{0};
    rows = 0;
    MusicSong* keeper = xm_test::load(bytes);
    ASSERT_NE(keeper, nullptr);
    music_set_row_callback(keeper, [](MusicSong*, intptr_t, intptr_t) { ++rows; }, 1);
    music_play_song(keeper);
    constexpr int kSongs = 60;
    std::vector<std::atomic<int>> calls(kSongs);
    std::vector<int> calls_when_freed(kSongs);
    for (int i = 0; i < kSongs; ++i) {
        MusicSong* song = i % 3 ? xm_test::load(bytes)
                                : xm_test::load(bytes, xm_test::kGameMode | SONG_MODE_ASYNC_OPEN);
        ASSERT_NE(song, nullptr);
        if (i % 3 == 0) {
            ASSERT_TRUE(sound_test::eventually([&] { return music_get_open_state(song) == 0; }));
        }
        music_set_user_data(song, reinterpret_cast<intptr_t>(&calls[size_t(i)]));
        music_set_row_callback(song, count_row, 1);
        music_play_song(song);
        music_set_order(keeper, i % 4);
        music_set_master_volume(keeper, 64 + i);
        music_set_pan_separation(keeper, 0.5f + float(i % 2) / 2);
        music_set_paused(song, i % 2);
        if (i % 4 == 1) music_stop_song(song);  // its queued rows play out on the mixer thread
        music_get_current_pattern(keeper);
        music_get_elapsed_ms(keeper);
        std::this_thread::sleep_for(1ms);
        music_free_song(song);
        calls_when_freed[size_t(i)] = calls[size_t(i)].load();
    }
    EXPECT_TRUE(sound_test::eventually([] { return rows.load() > 8; }));
    EXPECT_GT(music_get_elapsed_ms(keeper), 0);
    music_free_song(keeper);
    // No callback came after its song was freed.
    for (int i = 0; i < kSongs; ++i) EXPECT_EQ(calls[size_t(i)].load(), calls_when_freed[size_t(i)]) << i;
}

// The game thread asks a song how it plays while the mixer plays it to its
// end (once): the answers are read safely and the end is seen.
TEST(ThreadedMusic, GameThreadQueriesASongWhileTheMixerEndsIt) {
    ThreadedSound sound;
    ASSERT_TRUE(sound.ok);
    MusicSong* song = xm_test::load(xm::write(quick_module()), xm_test::kOnceMode);
    ASSERT_NE(song, nullptr);
    music_play_song(song);
    int speed = 0, tempo = 0, volume = 0, pattern = -1;
    EXPECT_TRUE(sound_test::eventually([&] {
        speed = music_get_speed(song);
        tempo = music_get_tempo(song);
        volume = music_get_global_volume(song);
        pattern = music_get_current_pattern_number(song);
        music_get_current_pattern(song);
        music_get_current_row(song);
        music_get_paused(song);
        return music_is_finished(song) == 1;
    }));
    EXPECT_EQ(music_is_playing(song), 0);
    EXPECT_EQ(speed, 1);
    EXPECT_EQ(tempo, 255);
    EXPECT_EQ(volume, 64);
    EXPECT_EQ(pattern, 3) << "the last order plays pattern 3";
    music_free_song(song);
}

struct StreamEvents {
    std::atomic<int> syncs{0};
    std::atomic<int> ends{0};
};

// Stops its own stream from inside the sync callback (mixer thread).
void stop_on_sync(SoundStream* stream, const char*, int, intptr_t user) {
    ++reinterpret_cast<StreamEvents*>(user)->syncs;
    stream_stop(stream);
}

void count_end(SoundStream*, intptr_t user) { ++reinterpret_cast<StreamEvents*>(user)->ends; }

TEST(ThreadedStreams, GameThreadPlaysSeeksStopsAndClosesWhileTheStreamThreadRefills) {
    ThreadedSound sound;
    ASSERT_TRUE(sound.ok);
    stream_set_buffer_size(50);
    const std::vector<uint8_t> wav = wav_writer::pcm16(sound_test::wave(6000, 440, 22050), 1, 22050);
    StreamEvents events;
    std::vector<SoundStream*> open;
    for (int i = 0; i < 24; ++i) {
        const uint32_t mode = SAMPLE_FROM_MEMORY | (i % 4 == 0 ? STREAM_MODE_ASYNC_OPEN : 0) |
                              (i % 2 ? SAMPLE_LOOP_NORMAL : SAMPLE_LOOP_OFF);
        SoundStream* s = stream_open(wav.data(), mode, 0, int(wav.size()));
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(sound_test::eventually([&] { return stream_get_open_state(s) == 0; }));
        stream_set_end_callback(s, count_end, reinterpret_cast<intptr_t>(&events));
        stream_set_sync_callback(s, stop_on_sync, reinterpret_cast<intptr_t>(&events));
        stream_add_syncpoint(s, 2000 + i, "stop here");
        ASSERT_GE(stream_play(kChannelFree, s), 0);
        open.push_back(s);
        if (i % 3 == 1) stream_set_time(s, 20);
        if (i % 5 == 2) stream_stop(open[open.size() / 2]);
        stream_get_time(s);
        std::this_thread::sleep_for(2ms);
        if (open.size() > 6) {
            EXPECT_EQ(stream_close(open.front()), 1);
            open.erase(open.begin());
        }
    }
    // The remaining streams reach their sync point, which stops them.
    EXPECT_TRUE(sound_test::eventually([&] { return events.syncs.load() >= 3; }));
    for (SoundStream* s : open) EXPECT_EQ(stream_close(s), 1);

    // A stream that plays to its end calls its end callback once.
    SoundStream* last = stream_open(wav.data(), SAMPLE_FROM_MEMORY, 0, int(wav.size()));
    const int ends_before = events.ends.load();
    stream_set_end_callback(last, count_end, reinterpret_cast<intptr_t>(&events));
    stream_play(kChannelFree, last);
    EXPECT_TRUE(sound_test::eventually([&] { return events.ends.load() == ends_before + 1; }));
    stream_close(last);
}

}  // namespace
