// The XM reader on modules from our own writer: what it keeps, what it
// clamps and what it refuses.
#include <gtest/gtest.h>

#include "tests/sound/xm_test_support.h"

using namespace xm_test;
using sound_test::NonRealtimeSound;

namespace {

TEST(XmLoader, ReadsPackedAndFullNotesAndMapsSpecialValues) {
    NonRealtimeSound sound(22050);
    ASSERT_TRUE(sound.ok);
    xm::Module m = basic_module(2, 2, 4);
    m.patterns[0].at(0, 0, 2) = {49, 1, 0x40, kFxSetSpeedOrTempo, 0x03};
    m.patterns[0].at(1, 1, 2) = {97, 0, 0, 0, 0};    // key off
    m.patterns[0].at(2, 0, 2) = {10, 200, 0, 0, 0};  // instrument above 128
    m.patterns[1] = m.patterns[0];
    m.patterns[1].pack = false;
    MusicSong* song = load(m);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(music_get_type(song), 3);
    EXPECT_STREQ(music_get_name(song), "test");
    for (int p = 0; p < 2; ++p) {
        const PatternNote* n = song->patterns[p].notes;
        EXPECT_EQ(n[0].note, 49);
        EXPECT_EQ(n[0].instrument, 1);
        EXPECT_EQ(n[0].volume, 0x40);
        EXPECT_EQ(n[0].effect, kFxSetSpeedOrTempo);
        EXPECT_EQ(n[0].param, 3);
        EXPECT_EQ(n[3].note, kNoteKeyOff);
        EXPECT_EQ(n[4].note, 10);
        EXPECT_EQ(n[4].instrument, 0);
    }
    music_free_song(song);
}

TEST(XmLoader, GivesMissingAndEmptyPatternsSilentRows) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module(3, 1, 16);
    m.patterns[0].cells.clear();  // packed size 0
    m.orders = {0, 5};           // pattern 5 is not in the file
    xm::Pattern zero;
    zero.rows = 0;
    m.patterns.push_back(zero);  // pattern 1: 0 rows
    m.orders.push_back(1);
    MusicSong* song = load(m);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(music_get_pattern_length(song, 0), 16);
    EXPECT_EQ(music_get_pattern_length(song, 1), 64);
    EXPECT_EQ(music_get_pattern_length(song, 2), 64);
    for (int o = 0; o < 3; ++o) {
        const Pattern& p = song->patterns[song->orders[o]];
        for (int i = 0; i < p.rows * 3; ++i) ASSERT_EQ(p.notes[i].note, 0);
    }
    music_free_song(song);
}

TEST(XmLoader, DecodesDeltaSamplesExactlyIncludingStereoPlanes) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module();
    xm::Sample s8;
    s8.frames = {0, 5, -7, 127, -128, 3};
    xm::Sample s16;
    s16.bits16 = true;
    s16.frames = {0, 1000, -32768, 32767, 12};
    xm::Sample stereo;
    stereo.bits16 = true;
    stereo.stereo = true;
    stereo.frames = {1, -1, 2, -2, 300, -300};
    m.instruments = {xm::simple_instrument(s8), xm::simple_instrument(s16), xm::simple_instrument(stereo)};
    MusicSong* song = load(m);
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(music_get_num_samples(song), 3);
    SoundSample* a = music_get_sample(song, 0);
    ASSERT_EQ(a->length, 6);
    const auto* d8 = static_cast<const int8_t*>(a->data);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(d8[i], s8.frames[size_t(i)]) << i;
    SoundSample* b = music_get_sample(song, 1);
    ASSERT_EQ(b->length, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(static_cast<const int16_t*>(b->data)[i], s16.frames[size_t(i)]) << i;
    SoundSample* c = music_get_sample(song, 2);
    ASSERT_EQ(c->length, 3);
    EXPECT_TRUE(c->mode & SAMPLE_STEREO);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<const int16_t*>(c->data)[i], stereo.frames[size_t(i)]) << i;
    music_free_song(song);
}

TEST(XmLoader, KeepsLoopTypesAndClampsLoopsInsideTheSample) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module();
    xm::Sample forward = xm::square_sample(8, 4);
    forward.loop_start = 8, forward.loop_length = 16;
    xm::Sample bidi = forward;
    bidi.loop = 2;
    xm::Sample past = forward;
    past.loop_start = 30, past.loop_length = 1000;  // runs past the end
    xm::Sample outside = forward;
    outside.loop_start = 500;  // starts past the end: loop off
    xm::Sample none = forward;
    none.loop = 0;
    m.instruments = {xm::simple_instrument(forward), xm::simple_instrument(bidi), xm::simple_instrument(past),
                     xm::simple_instrument(outside), xm::simple_instrument(none)};
    MusicSong* song = load(m);
    ASSERT_NE(song, nullptr);
    auto sample = [&](int i) { return music_get_sample(song, i); };
    EXPECT_TRUE(sample(0)->mode & SAMPLE_LOOP_NORMAL);
    EXPECT_EQ(sample(0)->loop_start, 8);
    EXPECT_EQ(sample(0)->loop_length, 16);
    EXPECT_TRUE(sample(1)->mode & SAMPLE_LOOP_BIDI);
    EXPECT_EQ(sample(2)->loop_start, 30);
    EXPECT_EQ(sample(2)->loop_length, 2);
    for (int i : {3, 4}) {
        EXPECT_TRUE(sample(i)->mode & SAMPLE_LOOP_OFF) << i;
        EXPECT_EQ(sample(i)->loop_start, 0);
        EXPECT_EQ(sample(i)->loop_length, 32);
    }
    music_free_song(song);
}

TEST(XmLoader, SanitisesEnvelopes) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module();
    xm::Instrument& ins = m.instruments[0];
    ins.volume.points = {{0, 64}, {10, 200}, {5, 10}};  // value over 64, falling tick
    ins.volume.type = 7;
    ins.volume.sustain = 20;  // past the points
    ins.volume.loop_start = 1, ins.volume.loop_end = 2;
    ins.pan.points = {{0, 32}};  // one point: off
    ins.pan.type = 1;
    xm::Module many = m;
    many.instruments[0].volume.count_override = 13;
    for (const xm::Module& module : {m, many}) {
        MusicSong* song = load(module);
        ASSERT_NE(song, nullptr);
        const Envelope& v = song->instruments[0].volume_envelope;
        EXPECT_LE(v.point_count, kEnvelopeMaxPoints);
        EXPECT_EQ(v.values[1], 64);
        EXPECT_GE(v.ticks[2], v.ticks[1]);
        EXPECT_FALSE(v.type & 2) << "sustain past the points is dropped";
        EXPECT_TRUE(v.type & 4);
        EXPECT_FALSE(song->instruments[0].pan_envelope.on());
        music_free_song(song);
    }
}

TEST(XmLoader, RefusesBrokenHeadersWithTheirErrors) {
    NonRealtimeSound sound(22050);
    const std::vector<uint8_t> good = xm::write(basic_module());
    std::vector<uint8_t> bad_signature = good;
    bad_signature[0] = 'X';
    std::vector<uint8_t> bad_mark = good;
    bad_mark[37] = 0;
    const std::vector<uint8_t> short_header(good.begin(), good.begin() + 10);
    const std::vector<uint8_t> short_orders(good.begin(), good.begin() + 100);
    xm::Module many = basic_module();
    many.instruments[0].sample_count_override = 17;
    struct Case {
        std::vector<uint8_t> bytes;
        int error;
    };
    const Case cases[] = {{bad_signature, SOUND_ERR_FORMAT},
                          {bad_mark, SOUND_ERR_FORMAT},
                          {short_header, SOUND_ERR_CORRUPT},
                          {short_orders, SOUND_ERR_CORRUPT},
                          {xm::write(many), SOUND_ERR_CORRUPT}};
    for (const Case& c : cases) {
        EXPECT_EQ(load(c.bytes), nullptr);
        EXPECT_EQ(g_sound_error.load(), c.error);
    }
    for (int channels : {0, 65}) {
        xm::Module m = basic_module();
        m.channels_override = channels;
        EXPECT_EQ(load(m), nullptr) << channels;
        EXPECT_EQ(g_sound_error.load(), SOUND_ERR_FORMAT);
    }
    for (int orders : {0, 257}) {
        xm::Module m = basic_module();
        m.orders_override = orders;
        EXPECT_EQ(load(m), nullptr) << orders;
        EXPECT_EQ(g_sound_error.load(), SOUND_ERR_FORMAT);
    }
    EXPECT_TRUE(list_empty(sound_system().songs)) << "failed loads leave no song behind";
}

TEST(XmLoader, ClampsRestartAndTruncatedSamples) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module();
    m.restart = 300;
    m.instruments[0].samples[0].length_override = 1 << 30;  // far more than the file holds
    std::vector<uint8_t> bytes = xm::write(m);
    bytes.resize(bytes.size() - 100);  // and the data is cut short
    MusicSong* song = load(bytes);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->restart_order, 0);
    SoundSample* s = music_get_sample(song, 0);
    EXPECT_EQ(s->length, 256 - 100);
    EXPECT_LE(s->loop_start + s->loop_length, s->length);
    music_free_song(song);
}

TEST(XmLoader, SurvivesEveryTruncation) {
    NonRealtimeSound sound(22050);
    xm::Module m = basic_module(2, 2, 4);
    m.patterns[0].at(1, 1, 2) = {49, 1, 0x40, 4, 0x44};
    m.instruments[0].volume.points = {{0, 64}, {4, 0}};
    m.instruments[0].volume.type = 1;
    const std::vector<uint8_t> bytes = xm::write(m);
    int loaded = 0;
    for (size_t n = 0; n <= bytes.size(); n += 7) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(n));
        MusicSong* song = load(part);
        if (!song) continue;
        ++loaded;
        music_play_song(song);
        for (int t = 0; t < 40; ++t) xm_update_song(song);
        music_free_song(song);
    }
    EXPECT_GT(loaded, 0);
}

}  // namespace
