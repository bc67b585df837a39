// What a song reports while it plays: positions of the block the output
// plays now (not the block being mixed), elapsed time past 2^31/256 ms,
// row/order/Zxx/instrument callbacks when heard, replaced and unreadable
// samples, and asynchronous loading.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "sound/samples/sample_load.h"
#include "tests/sound/xm_test_support.h"

namespace {

using namespace xm_test;
using sound_test::NonRealtimeSound;

// Four orders of 4 rows at speed 1: a new row every tick.
xm::Module fast_module() {
    xm::Module m = basic_module(2, 4, 4);
    m.speed = 1;
    m.patterns[1].at(1, 0, 2) = {49, 1, 0, kFxCallback, 0x42};  // Z42
    m.patterns[2].at(2, 1, 2) = {49, 1, 0, 0, 0};
    return m;
}

int ring_blocks() {
    const SoundSystem& s = sound_system();
    return s.buffer_samples / s.block_samples;
}

TEST(MusicPosition, QueriesAnswerForTheBlockTheOutputPlays) {
    NonRealtimeSound sound(22050);
    MusicSong* song = load(fast_module());
    ASSERT_NE(song, nullptr);
    music_play_song(song);
    const int blocks = ring_blocks();
    ASSERT_GE(blocks, 2);
    struct Mixed {
        int order, row;
        int64_t ms;
    };
    std::vector<Mixed> mixed;
    int behind = 0;
    for (int j = 0; j < 3 * blocks; ++j) {
        sound_update();
        mixed.push_back({song->order, song->row, song->elapsed >> 8});
        const int audible = j - (blocks - 1);
        const Mixed expected = audible >= 0 ? mixed[size_t(audible)] : Mixed{0, 0, 0};
        EXPECT_EQ(music_get_current_pattern(song), expected.order) << j;
        EXPECT_EQ(music_get_current_row(song), expected.row) << j;
        EXPECT_EQ(music_get_elapsed_ms(song), expected.ms) << j;
        behind += expected.order != song->order || expected.row != song->row;
    }
    EXPECT_GT(behind, 0) << "the mixer runs ahead of the output";

    // Past 2^31 / 256 ms (about 2.3 hours) the 24-bit ring entries still give
    // the whole time.
    song->elapsed = int64_t(1) << 33;
    for (int j = 0; j < blocks; ++j) sound_update();
    const int64_t first_ms = (int64_t(1) << 25) + sound_system().block_time / 256;
    EXPECT_NEAR(music_get_elapsed_ms(song), first_ms, 1);
    music_free_song(song);
}

TEST(MusicPosition, WithoutPositionTrackingQueriesAnswerAtOnce) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 32, SOUND_INIT_MUSIC_FLAG);
    MusicSong* song = load(fast_module());
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->position_ring, nullptr);
    music_play_song(song);
    for (int j = 0; j < 5; ++j) {
        sound_update();
        EXPECT_EQ(music_get_current_pattern(song), song->order);
        EXPECT_EQ(music_get_current_row(song), song->row);
    }
    music_free_song(song);
}

struct Heard {
    static inline std::vector<std::pair<char, intptr_t>> events;
    static inline std::vector<int64_t> at;
    static void record(char kind, MusicSong* song, intptr_t value) {
        events.emplace_back(kind, value);
        at.push_back(song->elapsed);
    }
    static void row(MusicSong* s, intptr_t v, intptr_t) { record('r', s, v); }
    static void order(MusicSong* s, intptr_t v, intptr_t) { record('o', s, v); }
    static void zxx(MusicSong* s, intptr_t v, intptr_t) { record('z', s, v); }
    static void instrument(MusicSong* s, intptr_t v, intptr_t) { record('i', s, v); }
};

TEST(MusicPosition, CallbacksFireWhenTheirRowIsHeard) {
    for (uint32_t flags : {0u, uint32_t(SOUND_INIT_MUSIC_FLAG)}) {
        NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 32, flags);
        MusicSong* song = load(fast_module());
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(music_set_row_callback(song, Heard::row, 2), 1);
        EXPECT_EQ(music_set_order_callback(song, Heard::order, 1), 1);
        EXPECT_EQ(music_set_zxx_callback(song, Heard::zxx), 1);
        EXPECT_EQ(music_set_instrument_callback(song, Heard::instrument, 1), 1);
        EXPECT_EQ(music_set_instrument_callback(song, Heard::instrument, 256), 0);
        Heard::events.clear();
        Heard::at.clear();
        music_play_song(song);
        const int64_t delay = int64_t(sound_system().buffer_samples - sound_system().block_samples) * 256000 / 22050;
        for (int j = 0; j < 10 * ring_blocks(); ++j) sound_update();
        // Each kind in the order it was read (kinds due in one block may interleave).
        auto of_kind = [](char kind, size_t first) {
            std::vector<intptr_t> values;
            for (const auto& [k, v] : Heard::events)
                if (k == kind && values.size() < first) values.push_back(v);
            return values;
        };
        EXPECT_EQ(of_kind('o', 5), (std::vector<intptr_t>{0, 1, 2, 3, 0})) << flags;
        EXPECT_EQ(of_kind('r', 8), (std::vector<intptr_t>{0, 2, 0, 2, 0, 2, 0, 2})) << flags;
        EXPECT_EQ(of_kind('z', 2), (std::vector<intptr_t>{0x42, 0x42})) << flags;
        EXPECT_EQ(of_kind('i', 4), (std::vector<intptr_t>{1, 1, 1, 1})) << flags;
        // Queued callbacks wait for their row to reach the output.
        ASSERT_FALSE(Heard::at.empty());
        if (flags == 0) {
            EXPECT_GE(Heard::at.front(), delay);
        } else {
            EXPECT_LT(Heard::at.front(), delay);
        }
        music_free_song(song);
    }
}

int queued(const SongCallbackQueue* q) {
    int n = 0;
    for (int64_t stamp : q->stamps) n += stamp != -1;
    return n;
}

std::vector<intptr_t> heard_values() {
    std::vector<intptr_t> values;
    for (const auto& [kind, value] : Heard::events) values.push_back(value);
    return values;
}

// Rows already mixed are heard even when their song stops: their callbacks
// still come, once each and in order, when the output plays them. Freeing a
// song calls what is left at once, while the song still exists (ASan).
TEST(MusicPosition, CallbacksOfRowsStillInTheOutputAreCalledAfterTheSongStops) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 32, 0, 200);
    const SoundSystem& sys = sound_system();
    const int64_t block_time = int64_t(sys.block_samples) * 256000 / 22050;
    const int64_t delay = int64_t(sys.buffer_samples) * 256000 / 22050 - block_time;
    ASSERT_GE(ring_blocks(), 4) << "the last rows must still be in the output when the song ends";
    std::vector<intptr_t> every_row;  // four orders of four rows, twice
    for (intptr_t k = 0; k < 32; ++k) every_row.push_back(k % 4);

    // A once-song ends inside the mix.
    MusicSong* song = load(fast_module(), kOnceMode);
    ASSERT_NE(song, nullptr);
    music_set_row_callback(song, Heard::row, 1);
    Heard::events.clear();
    Heard::at.clear();
    music_play_song(song);
    for (int j = 0; j < 100 && !music_is_finished(song); ++j) sound_update();
    ASSERT_EQ(music_is_finished(song), 1);
    EXPECT_GT(queued(song->row_callback), 0);
    for (int j = 0; j < 2 * ring_blocks(); ++j) sound_update();
    EXPECT_EQ(heard_values(), std::vector<intptr_t>(every_row.begin(), every_row.begin() + 16));
    for (size_t k = 0; k < Heard::at.size(); ++k) {
        const int64_t mixed_in_block = int64_t(k) * song->samples_per_tick / sys.block_samples;
        EXPECT_GE(Heard::at[k], mixed_in_block * block_time + delay) << "row " << k << " called before it was heard";
    }

    // Stopped by the caller while it loops: what was queued is still called
    // when heard.
    music_set_looping(song, 1);
    music_play_song(song);
    Heard::events.clear();
    for (int j = 0; j < 10; ++j) sound_update();
    size_t called = Heard::events.size();
    int pending = queued(song->row_callback);
    ASSERT_GT(called, 0u);
    ASSERT_GT(pending, 0);
    music_stop_song(song);
    EXPECT_EQ(Heard::events.size(), called);
    for (int j = 0; j < ring_blocks(); ++j) sound_update();
    EXPECT_EQ(Heard::events.size(), called + size_t(pending));
    EXPECT_EQ(queued(song->row_callback), 0);
    EXPECT_EQ(heard_values(), std::vector<intptr_t>(every_row.begin(), every_row.begin() + long(Heard::events.size())));

    // Freed: the rest is called before the song goes, in the order heard.
    music_play_song(song);
    Heard::events.clear();
    for (int j = 0; j < 10; ++j) sound_update();
    called = Heard::events.size();
    pending = queued(song->row_callback);
    ASSERT_GT(pending, 0);
    music_free_song(song);
    EXPECT_EQ(Heard::events.size(), called + size_t(pending));
    EXPECT_EQ(heard_values(), std::vector<intptr_t>(every_row.begin(), every_row.begin() + long(Heard::events.size())));
}

// A callback may free its own song, or the song the mixer walks to next,
// from inside the mix; and a song's last callbacks, called while it is freed,
// may free it again. Each song is freed once, after its last callback (ASan).
struct Freeing {
    static inline MusicSong* other = nullptr;
    static inline std::vector<std::pair<MusicSong*, intptr_t>> calls;
    static void row(MusicSong* song, intptr_t row, intptr_t) {
        calls.emplace_back(song, row);
        if (row == 1 && other) music_free_song(std::exchange(other, nullptr));
        if (row == 2) music_free_song(song);
    }
};

TEST(MusicPosition, CallbacksMayFreeSongsFromInsideTheMix) {
    NonRealtimeSound sound(22050);
    MusicSong* first = load(fast_module());
    MusicSong* second = load(fast_module());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    music_set_row_callback(first, Freeing::row, 1);
    music_set_row_callback(second, Freeing::row, 1);
    Freeing::other = second;
    Freeing::calls.clear();
    music_play_song(first);
    music_play_song(second);
    for (int j = 0; j < 20 && !list_empty(sound_system().songs); ++j) sound_update();
    EXPECT_TRUE(list_empty(sound_system().songs));
    // Each song's rows were called in order, without gaps or repeats.
    for (MusicSong* song : {first, second}) {
        std::vector<intptr_t> rows;
        for (const auto& [s, row] : Freeing::calls)
            if (s == song) rows.push_back(row);
        ASSERT_GE(rows.size(), 3u);
        for (size_t k = 0; k < rows.size(); ++k) EXPECT_EQ(rows[k], intptr_t(k % 4));
    }
    const size_t calls = Freeing::calls.size();
    for (int j = 0; j < 10; ++j) sound_update();
    EXPECT_EQ(Freeing::calls.size(), calls);
}

TEST(MusicPosition, ReplacedAndUnreadableSamples) {
    NonRealtimeSound sound(22050);
    // Sample data whose bytes 4..7 read "OggS" goes to the sample loader,
    // which cannot read it: the slot gets the dummy sample and the song loads.
    xm::Module m = basic_module(1, 1, 4);
    const uint8_t stored[8] = {1, 2, 3, 4, 'O', 'g', 'g', 'S'};
    xm::Sample tagged;
    int value = 0;
    for (uint8_t b : stored) tagged.frames.push_back(int16_t(int8_t(value = int8_t(value + b))));
    m.instruments.push_back(xm::simple_instrument(tagged));
    MusicSong* song = load(m);
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(music_get_num_samples(song), 2);
    EXPECT_EQ(music_get_sample(song, 1), music_dummy_sample());
    EXPECT_EQ(song->instruments[1].samples[0], music_dummy_sample());
    EXPECT_EQ(song->instruments[0].samples[5], music_dummy_sample()) << "empty slots";

    // music_set_sample: the new sample takes the old one's music fields and
    // its instrument slots; the song frees its own samples, never the caller's.
    SoundSample* old = music_get_sample(song, 0);
    old->finetune = -16;
    old->relative_note = 12;
    SoundSample* mine = sound_test::make_sample(sound_test::wave(400, 440, 22050), 1, SAMPLE_LOOP_NORMAL, 22050);
    EXPECT_EQ(music_set_sample(song, -1, mine), 0);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_PARAM);
    EXPECT_EQ(music_set_sample(song, 0, mine), 1);
    EXPECT_EQ(mine->finetune, -16);
    EXPECT_EQ(mine->relative_note, 12);
    EXPECT_EQ(song->instruments[0].samples[0], mine);
    EXPECT_EQ(music_set_sample(song, 4, mine), 1);
    EXPECT_EQ(music_get_num_samples(song), 5);
    EXPECT_EQ(music_get_sample(song, 3), nullptr);
    music_free_song(song);
    EXPECT_EQ(sample_get_length(mine), 400);
    sample_free(mine);
}

TEST(MusicPosition, AsynchronousLoadsReportTheirState) {
    NonRealtimeSound sound(22050);
    EXPECT_EQ(music_get_open_state(nullptr), -1);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_PARAM);
    const std::vector<uint8_t> good = xm::write(fast_module());
    std::vector<uint8_t> bad = good;
    bad[0] = 'X';
    MusicSong* a = load(good, kGameMode | SONG_MODE_ASYNC_OPEN);
    MusicSong* b = load(bad, kGameMode | SONG_MODE_ASYNC_OPEN);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(music_get_open_state(a), -2);
    EXPECT_EQ(music_play_song(a), 0) << "not to be used before it is loaded";
    sound_update();
    EXPECT_EQ(music_get_open_state(a), 0);
    EXPECT_EQ(music_get_open_state(b), -3);
    EXPECT_EQ(music_play_song(a), 1);
    sound_update();
    EXPECT_GT(a->elapsed, 0);
    MusicSong* c = load(good, kGameMode | SONG_MODE_ASYNC_OPEN);
    music_free_song(c);  // freed while still queued
    MusicSong* now = load(good);
    EXPECT_EQ(music_get_open_state(now), 0);
    music_free_song(now);
    music_free_song(a);
    music_free_song(b);
}

}  // namespace
