// Playing songs: the row and order sequence that the effects give tick by
// tick, tick lengths, note periods and frequencies, envelopes, and the
// player's settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/sound/xm_test_support.h"
#include "tools/wav_tools/wav_writer.h"

using namespace xm_test;
using sound_test::NonRealtimeSound;

namespace {

std::vector<std::pair<int, int>> rows_of(const std::vector<Position>& trace) {
    std::vector<std::pair<int, int>> out;
    for (const Position& p : trace) out.emplace_back(p.order, p.row);
    return out;
}

using Rows = std::vector<std::pair<int, int>>;

TEST(XmPlayer, TickLengthFollowsTempoAndSpeedScale) {
    NonRealtimeSound sound(22050);
    MusicSong* song = load(basic_module());
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(music_play_song(song), 1);
    EXPECT_EQ(song->samples_per_tick, 441);
    music_set_tempo(song, 135);
    EXPECT_EQ(song->samples_per_tick, 408);
    music_set_master_speed(song, 2.0f);
    EXPECT_EQ(song->samples_per_tick, 204);
    const int before = song->samples_per_tick;
    music_set_master_speed(song, 0.0f);  // divisor 0 keeps the old length
    EXPECT_EQ(song->speed_scale, 0);
    EXPECT_EQ(song->samples_per_tick, before);
    music_set_master_speed(song, 10.0f);
    music_set_tempo(song, 65535);  // 64-bit arithmetic, at least one frame
    EXPECT_GE(song->samples_per_tick, 1);
    music_set_master_speed(song, std::nanf(""));
    EXPECT_EQ(song->speed_scale, 0);
    music_free_song(song);
}

TEST(XmPlayer, BreakJumpAndLoopSequences) {
    NonRealtimeSound sound(22050);
    struct Case {
        const char* name;
        std::vector<std::pair<int, xm::Cell>> cells;  // (order 0 row, cell)
        Rows expected;
    };
    const Case cases[] = {
        {"D40 goes to row 40 of the next order", {{1, effect(kFxPatternBreak, 0x40)}},
         {{0, 0}, {0, 1}, {1, 40}, {1, 41}}},
        {"D64 goes to row 0", {{1, effect(kFxPatternBreak, 0x64)}}, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}},
        {"B past the end goes to order 0", {{1, effect(kFxPositionJump, 9)}}, {{0, 0}, {0, 1}, {0, 0}, {0, 1}}},
        {"B to order 1", {{0, effect(kFxPositionJump, 1)}}, {{0, 0}, {1, 0}, {1, 1}}},
        {"E6 loops twice", {{1, extended_effect(kFxPatternLoop, 0)}, {2, extended_effect(kFxPatternLoop, 2)}},
         {{0, 0}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 3}}},
    };
    for (const Case& c : cases) {
        xm::Module m = basic_module(1, 2, 64);
        for (const auto& [row, cell] : c.cells) m.patterns[0].at(row, 0, 1) = cell;
        m.speed = 2;
        MusicSong* song = load(m);
        ASSERT_NE(song, nullptr);
        music_play_song(song);
        const Rows got = rows_of(row_trace(song, int(c.expected.size()) * 2));
        EXPECT_EQ(got, c.expected) << c.name;
        music_free_song(song);
    }
}

TEST(XmPlayer, PatternDelayRepeatsTheRowsTicks) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module(1, 1, 4);
    m.speed = 3;
    m.patterns[0].at(0, 0, 1) = extended_effect(kFxPatternDelay, 2);
    MusicSong* song = load(m);
    music_play_song(song);
    int ticks_on_row0 = 0;
    while (song->row == 0 && ticks_on_row0 < 100) {
        xm_update_song(song);
        ++ticks_on_row0;
        if (song->tick == 0) break;
    }
    EXPECT_EQ(ticks_on_row0, 3 + 2 * 3);
    music_free_song(song);
}

TEST(XmPlayer, SongEndsOrLoopsByMode) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module(1, 2, 2);
    m.speed = 1;
    m.restart = 1;
    MusicSong* looping = load(m, kGameMode);
    music_play_song(looping);
    EXPECT_EQ(rows_of(row_trace(looping, 7)), (Rows{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 1}, {1, 0}}));
    MusicSong* once = load(m, kOnceMode);
    music_play_song(once);
    EXPECT_EQ(rows_of(row_trace(once, 10)), (Rows{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    EXPECT_FALSE(once->playing);
    music_free_song(looping);
    music_free_song(once);
}

TEST(XmPlayer, AFinishedSongEndsItsRender) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module(1, 1, 4);
    m.patterns[0].at(0, 0, 1) = {49, 1, 0, 0, 0};
    MusicSong* song = load(m, kOnceMode);
    music_play_song(song);
    int blocks = 0;
    while (music_is_playing(song) == 1 && blocks < 1000) {
        sound_update();
        ++blocks;
    }
    EXPECT_EQ(music_is_playing(song), 0);
    // 4 rows x 6 ticks x 441 frames, then the block in which it stops.
    EXPECT_GE(int(sound.frame_count()), 24 * 441);
    EXPECT_LT(int(sound.frame_count()), 24 * 441 + 2 * sound_system().block_samples);
    EXPECT_GT(sound_test::rms(sound_test::channel_of(sound.frames, 2, 0)), 100.0) << "the note sounds";
    music_free_song(song);
}

TEST(XmPlayer, NoteFrequenciesAndPeriods) {
    EXPECT_EQ(music_finetune_rate(0), 8363);
    EXPECT_EQ(music_finetune_rate(8), 7895);
    EXPECT_EQ(music_finetune_rate(99), 8363);
    // C-4 (real note 48): 7680 - 48 x 64 = 4608, six octaves down from 535232.
    EXPECT_EQ(xm_period_to_hz(4608, true), 8363);
    EXPECT_EQ(xm_period_interpolate(48, 0), 1712);
    EXPECT_EQ(xm_period_to_hz(1712, false), 14317056 / 1712);
    EXPECT_EQ(xm_period_interpolate(0, 0), 27392);
    EXPECT_EQ(xm_period_interpolate(1, -128), 27392) << "finetune -128 reaches the note below";
    EXPECT_EQ(xm_period_interpolate(500, 0), xm_period_interpolate(131, 0)) << "table indices clamp";
    EXPECT_EQ(xm_period_to_hz(768 * 32, true), 0);
    EXPECT_EQ(xm_period_to_hz(768 * 31, true), 535232 >> 31);
}

struct OneChannel {
    NonRealtimeSound sound{22050};
    MusicSong* song = nullptr;
    explicit OneChannel(xm::Module m) {
        song = load(m);
        if (song) music_play_song(song);
    }
    ~OneChannel() {
        if (song) music_free_song(song);
    }
    ChannelEntry& entry() { return song->channels[0].entry; }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) xm_update_song(song);
    }
};

xm::Module one_row(xm::Cell first, xm::Cell second = {}, uint16_t flags = 1) {
    xm::Module m = basic_module(1, 1, 8);
    m.flags = flags;
    m.patterns[0].at(0, 0, 1) = first;
    m.patterns[0].at(1, 0, 1) = second;
    return m;
}

// Fxx below 32 sets the speed: the row it is on lasts that many ticks.
TEST(XmPlayer, SetSpeedBelow32SetsTheTicksOfARow) {
    OneChannel c(one_row(effect(kFxSetSpeedOrTempo, 0x1F)));
    ASSERT_NE(c.song, nullptr);
    EXPECT_EQ(rows_of(row_trace(c.song, 2 * 31)), (Rows{{0, 0}, {0, 1}}));
    EXPECT_EQ(music_get_speed(c.song), 31);
}

// Fxx from 32 sets the tempo, which gives the tick's length.
TEST(XmPlayer, SetSpeedFrom32SetsTheTempo) {
    OneChannel c(one_row(effect(kFxSetSpeedOrTempo, 0x20)));
    ASSERT_NE(c.song, nullptr);
    c.ticks(1);
    EXPECT_EQ(music_get_tempo(c.song), 32);
    EXPECT_EQ(c.song->samples_per_tick, 22050 * 256 / (32 * 512 / 5));
}

TEST(XmPlayer, SetSpeedZeroEndsTheSong) {
    xm::Module m = one_row({}, effect(kFxSetSpeedOrTempo, 0));
    m.speed = 2;
    OneChannel c(m);
    ASSERT_NE(c.song, nullptr);
    c.ticks(2);
    EXPECT_TRUE(c.song->playing) << "row 0 plays";
    c.ticks(1);
    EXPECT_FALSE(c.song->playing) << "F00 on row 1 ends the song";
    EXPECT_EQ(music_is_finished(c.song), 1);
}

TEST(XmPlayer, PortaUpSlidesOnEveryTickButTheFirstAndStopsAtItsFloor) {
    OneChannel c(one_row({49, 1, 0, kFxPortaUp, 0x10}, effect(kFxPortaUp, 0xFF)));
    c.ticks(6);
    EXPECT_EQ(c.entry().period, 4608 - 5 * 0x10 * 4);
    c.ticks(6);
    EXPECT_EQ(c.entry().period, 56) << "porta up stops at its floor";
}

TEST(XmPlayer, TonePortaSlidesAtItsRememberedSpeedAndStopsAtTheTarget) {
    xm::Module m = one_row({49, 1, 0, 0, 0}, {61, 0, 0, kFxTonePorta, 0x08});
    for (int row = 2; row < 8; ++row) m.patterns[0].at(row, 0, 1) = effect(kFxTonePorta, 0);  // from memory
    OneChannel c(m);
    c.ticks(6 + 6);
    EXPECT_EQ(c.entry().period, 4608 - 5 * 0x08 * 4);
    c.ticks(6 * 6);
    EXPECT_EQ(c.entry().period, 4608 - 12 * 64) << "tone portamento stops at the target";
    const int handle = music_get_channel_handle(c.song, 0);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(channel_get_volume(handle), 128) << "full volume, envelope, fade, global and master give 128";
}

TEST(XmPlayer, SetVolumeClampsTo64) {
    OneChannel c(one_row({49, 1, 0, kFxSetVolume, 0x80}));
    c.ticks(1);
    EXPECT_EQ(c.entry().volume, 64) << "C80 clamps to 64";
}

TEST(XmPlayer, VolumeSlideDownSlidesAfterTheRowsFirstTickAndStopsAtZero) {
    OneChannel c(one_row({49, 1, 0, 0, 0}, effect(kFxVolumeSlide, 0x0F)));  // the sample plays at 64
    c.ticks(6 + 1);
    EXPECT_EQ(c.entry().volume, 64) << "no slide on the row's first tick";
    c.ticks(5);
    EXPECT_EQ(c.entry().volume, 0) << "five slides of 15 from 64 stop at 0";
}

TEST(XmPlayer, KeyOffWithoutEnvelopeSilences) {
    OneChannel c(one_row({49, 1, 0, 0, 0}, {97, 0, 0, 0, 0}));
    c.ticks(1);
    const int handle = music_get_channel_handle(c.song, 0);
    ASSERT_GE(handle, 0);
    EXPECT_GT(channel_get_volume(handle), 0);
    c.ticks(6);
    EXPECT_EQ(channel_get_volume(handle), 0);
}

TEST(XmPlayer, EnvelopeHoldsAtSustainThenFadesAfterKeyOff) {
    xm::Module m = one_row({49, 1, 0, 0, 0});
    xm::Instrument& ins = m.instruments[0];
    ins.volume.points = {{0, 64}, {4, 32}, {8, 0}};
    ins.volume.type = 3;
    ins.volume.sustain = 1;
    ins.fadeout = 0x800;  // 4096 a tick
    m.patterns[0].at(4, 0, 1) = {97, 0, 0, 0, 0};
    OneChannel c(m);
    c.ticks(3);
    EXPECT_EQ(c.entry().volume_envelope.current, 48);
    c.ticks(10);
    EXPECT_EQ(c.entry().volume_envelope.current, 32) << "held at the sustain point";
    c.ticks(24 - 13 + 1);  // the key-off row
    EXPECT_TRUE(c.entry().key_off);
    EXPECT_EQ(c.entry().fadeout_volume, 65536 - 4096);
    c.ticks(20);
    EXPECT_EQ(c.entry().volume_envelope.current, 0);
    EXPECT_EQ(c.entry().fadeout_volume, 0);
}

// A delayed note (ED3) starts at its tick with its own instrument's volume,
// or the row's volume column; until then the note before it goes on as it
// was, and one keyed off stays silent.
TEST(XmPlayer, ADelayedNoteStartsAtItsTickWithItsOwnVolume) {
    struct Case {
        const char* name;
        xm::Cell before;        // row 1; row 0 plays note 49 at volume 16
        xm::Cell delayed;       // row 2
        int volume_during;      // the entry's volume on the delay's ticks 0..2
        bool key_off_during;
        int volume_after;
    };
    constexpr uint8_t kNoteDelay3 = extended_param(kFxNoteDelay, 3);
    const Case cases[] = {
        {"plain", {}, {61, 1, 0, kFxExtended, kNoteDelay3}, 16, false, 64},
        {"volume column", {}, {61, 1, 0x30, kFxExtended, kNoteDelay3}, 16, false, 32},
        {"after a key off", {97, 0, 0, 0, 0}, {61, 1, 0, kFxExtended, kNoteDelay3}, 16, true, 64},
    };
    for (const Case& c : cases) {
        xm::Module m = one_row({49, 1, 0x20, 0, 0}, c.before);
        m.patterns[0].at(2, 0, 1) = c.delayed;
        OneChannel ch(m);
        ch.ticks(2 * 6 + 1);  // rows 0 and 1, then the delayed row's tick 0
        for (int tick = 0; tick < 3; ++tick) {
            EXPECT_EQ(ch.entry().volume, c.volume_during) << c.name << " tick " << tick;
            EXPECT_EQ(ch.entry().key_off, c.key_off_during) << c.name << " tick " << tick;
            EXPECT_EQ(ch.entry().period, 7680 - 48 * 64) << c.name << " tick " << tick;
            ch.ticks(1);
        }
        EXPECT_EQ(ch.entry().volume, c.volume_after) << c.name;
        EXPECT_FALSE(ch.entry().key_off) << c.name;
        EXPECT_EQ(ch.entry().period, 7680 - 60 * 64) << c.name;
    }
}

TEST(XmPlayer, ArpeggioOnTheAmigaTable) {
    OneChannel c(one_row({49, 1, 0, kFxArpeggio, 0x47}, {}, 0));
    c.ticks(2);
    EXPECT_EQ(c.entry().period_delta, xm_period_interpolate(52, 0) - xm_period_interpolate(48, 0));
    c.ticks(1);
    EXPECT_EQ(c.entry().period_delta, xm_period_interpolate(55, 0) - xm_period_interpolate(48, 0));
    c.ticks(1);
    EXPECT_EQ(c.entry().period_delta, 0);
}

TEST(XmPlayer, SettingsAndQueries) {
    NonRealtimeSound sound(22050);
    EXPECT_EQ(music_get_type(nullptr), 0);
    EXPECT_EQ(g_sound_error.load(), SOUND_OK);
    MusicSong* song = load(basic_module(1, 3, 4));
    ASSERT_NE(song, nullptr);
    music_set_master_volume(song, 300);
    EXPECT_EQ(music_get_master_volume(song), 256);
    music_set_pan_separation(song, 0.85f);
    EXPECT_EQ(song->pan_separation, 217);
    music_set_pan_separation(song, 2.0f);
    EXPECT_EQ(song->pan_separation, 256);
    music_play_song(song);
    music_set_order(song, 99);
    xm_update_song(song);
    EXPECT_EQ(song->order, 2);
    music_set_order(song, -4);
    for (int i = 0; i < 6; ++i) xm_update_song(song);
    EXPECT_EQ(song->order, 0);
    EXPECT_EQ(song->row, 0);
    for (int i = 0; i < 12; ++i) xm_update_song(song);
    music_play_song(song);
    EXPECT_EQ(music_get_current_pattern(song), 0);
    EXPECT_EQ(music_get_current_row(song), 0);
    EXPECT_EQ(music_get_num_orders(song), 3);
    EXPECT_EQ(music_get_pattern_length(song, 3), -1);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_PARAM);
    music_free_song(song);
}

TEST(XmPlayer, FreeingASongSampleSilencesItsNotes) {
    NonRealtimeSound sound(22050);
    xm::Module m = one_row({49, 1, 0, 0, 0}, {49, 1, 0, 0, 0});
    MusicSong* song = load(m);
    music_play_song(song);
    xm_update_song(song);
    SoundSample* s = music_get_sample(song, 0);
    sample_free(s);
    EXPECT_EQ(music_get_sample(song, 0), music_dummy_sample());
    EXPECT_STREQ(music_dummy_sample()->name, "Invalid Sample");
    for (int i = 0; i < 12; ++i) xm_update_song(song);
    sound.render_frames(2000);
    music_free_song(song);
}

}  // namespace

namespace {

// The game starts a song at a section's first order and returns there after
// a battle: every demo song loads, sounds, and each section loops in place.
TEST(DemoMusic, EverySectionLoopsInPlace) {
    NonRealtimeSound sound(22050);
    for (const char* name : {"village", "battle", "title-ending", "vale"}) {
        const std::vector<uint8_t> bytes =
            wav_writer::load(std::string(NIMBREL_DEMO_DATA_DIR) + "/music/" + name + ".xm");
        ASSERT_FALSE(bytes.empty()) << name;
        MusicSong* song = load(bytes);
        ASSERT_NE(song, nullptr) << name;
        std::vector<int> section_starts{0};
        music_play_song(song);
        for (int order = 0; order < song->order_count; ++order) {
            const Pattern& p = song->patterns[song->orders[order]];
            for (int c = 0; c < song->channel_count; ++c) {
                const PatternNote& n = p.notes[size_t(p.rows - 1) * song->channel_count + c];
                if (n.effect == kFxPositionJump && order + 1 < song->order_count) section_starts.push_back(order + 1);
            }
        }
        for (int start : section_starts) {
            music_play_song(song);
            music_set_order(song, start);
            std::vector<Position> trace = row_trace(song, 2000);
            ASSERT_FALSE(trace.empty());
            EXPECT_EQ(trace.front().order, start) << name;
            const int last = int(std::count_if(section_starts.begin(), section_starts.end(),
                                               [&](int s) { return s > start; }))
                                 ? *std::find_if(section_starts.begin(), section_starts.end(),
                                                 [&](int s) { return s > start; })
                                 : song->order_count;
            for (const Position& p : trace) {
                EXPECT_GE(p.order, start) << name;
                EXPECT_LT(p.order, last) << name;
            }
        }
        music_free_song(song);
    }
}

}  // namespace
