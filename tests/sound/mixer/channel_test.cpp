// Channels: handles, choice by priority, setters and the software slots'
// steps and gains.
#include <gtest/gtest.h>

#include "sound/mixer/mixer.h"
#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::NonRealtimeSound;

struct Channels : ::testing::Test {
    Channels() : sound(44100, MIXER_QUALITY_AUTODETECT, 4) {}
    SoundSample* tone(int priority = 128, uint32_t loop = SAMPLE_LOOP_NORMAL) {
        SoundSample* s = sound_test::make_sample(sound_test::wave(2048, 441, 44100), 1, loop, 44100);
        sample_set_defaults(s, -1, -1, -1, priority);
        return s;
    }
    SoundChannel& record(int handle) { return *channel_lookup(handle); }
    NonRealtimeSound sound;
};

TEST_F(Channels, StaleHandlesFailWhileThePlainIndexStillWorks) {
    ASSERT_TRUE(sound.ok);
    SoundSample* s = tone();
    const int h = channel_play_sound(kChannelFree, s);
    ASSERT_GE(h, 0);
    EXPECT_NE(h >> kChannelIndexBits, 0);
    EXPECT_EQ(channel_get_current_sample(h), s);
    ASSERT_EQ(channel_stop_sound(h), 1);
    EXPECT_EQ(channel_set_volume(h, 10), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(channel_get_volume(h), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    const int index = h & kChannelIndexMask;
    EXPECT_EQ(channel_set_volume(index, 10), 1);
    EXPECT_EQ(channel_get_volume(index), 10);
    EXPECT_EQ(channel_get_current_sample(index), nullptr);
    EXPECT_EQ(channel_get_priority(index), 0);
    EXPECT_EQ(channel_lookup(4095), nullptr);
    EXPECT_EQ(channel_lookup(-7), nullptr);
}

TEST_F(Channels, ReuseCountWrapsToOne) {
    ASSERT_TRUE(sound.ok);
    SoundChannel& c = record(2);
    c.reuse = kChannelReuseMax;
    EXPECT_EQ(channel_reset_handle(2), 2 | (kChannelReuseMax << kChannelIndexBits));
    EXPECT_EQ(c.reuse, 1);
    EXPECT_EQ(channel_reset_handle(2), 2 | (1 << kChannelIndexBits));
    EXPECT_EQ(channel_reset_handle(kPrimaryChannel), kPrimaryChannel);
    EXPECT_EQ(channel_reset_handle(99), -1);
}

TEST_F(Channels, FreePlaysStealByPriorityThenLoudness) {
    ASSERT_TRUE(sound.ok);
    SoundSample* high = tone(255);
    int handles[4];
    for (int& h : handles) ASSERT_GE(h = channel_play_sound(kChannelFree, high), 0);
    // Every channel busy at 255: a sound of 128 may not take one.
    SoundSample* low = tone(128);
    EXPECT_EQ(channel_play_sound(kChannelFree, low), -1);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NO_CHANNEL);
    // One channel drops to 200: a sound of 255 steals it.
    channel_set_priority(handles[2], 200);
    const int stolen = channel_play_sound(kChannelFree, high);
    ASSERT_GE(stolen, 0);
    EXPECT_EQ(stolen & kChannelIndexMask, handles[2] & kChannelIndexMask);
    // Equal lowest priorities: the quieter sound goes.
    channel_set_priority(handles[0], 10);
    channel_set_priority(handles[3], 10);
    channel_set_volume(handles[0], 200);
    channel_set_volume(handles[3], 50);
    const int quieter = channel_play_sound(kChannelFree, low);
    EXPECT_EQ(quieter & kChannelIndexMask, handles[3] & kChannelIndexMask);
    // A reserved channel is never taken.
    channel_set_reserved(handles[0] & kChannelIndexMask, 1);
    channel_set_priority(handles[0], 0);
    const int next = channel_play_sound(kChannelFree, low);
    EXPECT_NE(next & kChannelIndexMask, handles[0] & kChannelIndexMask);
}

TEST_F(Channels, IdleChannelsAreTakenRoundRobin) {
    ASSERT_TRUE(sound.ok);
    SoundSample* s = tone();
    const int a = channel_play_sound(kChannelFree, s);
    const int b = channel_play_sound(kChannelFree, s);
    EXPECT_EQ(a & kChannelIndexMask, 0);
    EXPECT_EQ(b & kChannelIndexMask, 1);
    channel_stop_sound(a);
    EXPECT_EQ(channel_play_sound(kChannelFree, s) & kChannelIndexMask, 2);
}

TEST_F(Channels, PlayingOnAllChannelsReturnsTheLast) {
    ASSERT_TRUE(sound.ok);
    const int h = channel_play_sound(kChannelAll, tone());
    EXPECT_EQ(h & kChannelIndexMask, 3);
    EXPECT_EQ(sound_get_channels_playing(), 4);
    EXPECT_EQ(channel_stop_sound(kChannelAll), 1);
    EXPECT_EQ(sound_get_channels_playing(), 0);
}

TEST_F(Channels, MaxPlaybacksRefusesQuietly) {
    ASSERT_TRUE(sound.ok);
    SoundSample* s = tone();
    sample_set_max_playbacks(s, 2);
    EXPECT_GE(channel_play_sound(kChannelFree, s), 0);
    EXPECT_GE(channel_play_sound(kChannelFree, s), 0);
    EXPECT_EQ(channel_play_sound(kChannelFree, s), -1);
    EXPECT_EQ(sound_get_error(), SOUND_OK);
}

TEST_F(Channels, VolumeClampsAndTheMasterScalesIt) {
    ASSERT_TRUE(sound.ok);
    const int h = channel_play_sound(kChannelFree, tone());
    channel_set_pan(h, -1);
    channel_set_volume(h, 300);
    EXPECT_EQ(channel_get_volume(h), 255);
    EXPECT_EQ(record(h).mix_volume, 255);
    channel_set_volume(h, -5);
    EXPECT_EQ(channel_get_volume(h), 0);
    channel_set_volume(h, 200);
    sound_set_sfx_volume(128);
    EXPECT_EQ(record(h).mix_volume, 200 * 128 / 255);
    channel_set_volume_absolute(h, 200);
    EXPECT_EQ(record(h).mix_volume, 200);
    channel_set_mute(h, 1);
    EXPECT_EQ(record(h).mix_volume, 0);
    EXPECT_EQ(channel_get_mute(h), 1);
    channel_set_mute(h, 0);
    EXPECT_EQ(record(h).mix_volume, 200);
    sound_set_sfx_volume(255);
}

TEST_F(Channels, PanLawAndSeparation) {
    ASSERT_TRUE(sound.ok);
    const int h = channel_play_sound(kChannelFree, tone());
    channel_set_volume(h, 255);
    SoundChannel& c = record(h);
    for (auto [pan, left, right] : {std::tuple{0, 255, 0}, {128, 180, 181}, {255, 0, 255}}) {
        channel_set_pan(h, pan);
        EXPECT_EQ(c.left_gain, left) << pan;
        EXPECT_EQ(c.right_gain, right) << pan;
        EXPECT_EQ(c.mean_gain, (left + right) / 2);
    }
    channel_set_pan(h, -1);
    EXPECT_EQ(channel_get_pan(h), -1);
    EXPECT_EQ(c.left_gain, c.right_gain);
    sound_set_pan_separation(0.0f);
    channel_set_pan(h, 17);
    EXPECT_EQ(channel_get_pan(h), 128);
    channel_set_pan(h, -1);
    EXPECT_EQ(channel_get_pan(h), 128);
    sound_set_pan_separation(0.5f);
    channel_set_pan(h, 255);
    EXPECT_EQ(channel_get_pan(h), (127 * 128 + 32768) >> 8);
    sound_set_pan_separation(1.0f);
    EXPECT_EQ(mixer_pan_gain(64), 128);
}

TEST_F(Channels, FrequencyStepsKeepTheirExactFixedPoint) {
    ASSERT_TRUE(sound.ok);
    const int h = channel_play_sound(kChannelFree, tone());
    SoundChannel& c = record(h);
    const uint32_t hundred_hz = uint32_t(((100 % 44100) * 65536 / 44100) * 65536);
    channel_set_frequency(h, 50);
    EXPECT_EQ(c.step_integer, 0);
    EXPECT_EQ(c.step_fraction, hundred_hz);
    EXPECT_EQ(c.direction, PLAY_FORWARD);
    channel_set_frequency(h, -50);
    EXPECT_EQ(c.step_fraction, hundred_hz);
    EXPECT_EQ(c.direction, PLAY_BACKWARD);
    channel_set_frequency(h, 10000000);
    EXPECT_EQ(c.step_integer, 16);
    EXPECT_EQ(c.step_fraction, 0u);
    channel_set_frequency(h, 22050);
    EXPECT_EQ(c.step_integer, 0);
    EXPECT_EQ(c.step_fraction, 0x80000000u);
    EXPECT_EQ(channel_get_frequency(h), 22050);
    channel_set_frequency_float(h, 11025.5f);
    EXPECT_EQ(channel_get_frequency(h), 11025);
    EXPECT_EQ(uint64_t(c.step_fraction), (uint64_t(11025 * 256 + 128) << 24) / 44100);
    channel_set_frequency_float(h, std::nanf(""));
    EXPECT_EQ(c.step_integer, 0);
    EXPECT_EQ(c.direction, PLAY_FORWARD);
    channel_set_frequency_float(h, 1e30f);
    EXPECT_EQ(c.step_integer, 16);
}

TEST(ChannelSteps, DoubleSpeedAtHalfTheRate) {
    int32_t whole;
    uint32_t fraction;
    int direction;
    mixer_compute_step(22050, int64_t(44100) * 256, &whole, &fraction, &direction);
    EXPECT_EQ(whole, 2);
    EXPECT_EQ(fraction, 0u);
    mixer_compute_step(44100, -int64_t(20) * 256, &whole, &fraction, &direction);
    EXPECT_EQ(direction, PLAY_BACKWARD);
    EXPECT_EQ(uint64_t(fraction), (uint64_t(100 * 256) << 24) / 44100);
}

TEST_F(Channels, PositionLoopModeAndFlags) {
    ASSERT_TRUE(sound.ok);
    const int h = channel_play_sound_ex(kChannelFree, tone(), nullptr, 1);
    EXPECT_EQ(channel_get_paused(h), 1);
    EXPECT_EQ(channel_set_position(h, 2048), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(channel_set_position(h, 100), 1);
    EXPECT_EQ(channel_get_position(h), 100);
    channel_set_loop_mode(h, SAMPLE_LOOP_BIDI | 8);
    EXPECT_EQ(channel_get_loop_mode(h), int(SAMPLE_LOOP_BIDI));
    channel_set_mark(h, 1);
    EXPECT_EQ(channel_get_mark(h), 1);
    channel_set_paused(h, 0);
    EXPECT_EQ(channel_get_paused(h), 0);
    sound_update();
    EXPECT_GT(channel_get_position(h), 100);
    EXPECT_GT(channel_get_amplitude(h), 0);
    EXPECT_EQ(channel_enable_fx(h, 0), -1);  // no effects on a playing channel
    EXPECT_EQ(channel_get_num_subchannels(h), 0);
    EXPECT_EQ(channel_get_subchannel(h, 0), h & kChannelIndexMask);
    EXPECT_EQ(channel_get_subchannel(h, 1), -1);
}

TEST_F(Channels, ChannelGroupsMixThroughTheirUnitAndFallBackWhenFreed) {
    ASSERT_TRUE(sound.ok);
    DspUnit* group = dsp_create_unit(nullptr, 150, nullptr);
    dsp_set_active(group, 1);
    const int h = channel_play_sound_ex(kChannelFree, tone(), group, 0);
    ASSERT_GE(h, 0);
    EXPECT_EQ(record(h).dsp_unit, group);
    sound.render_frames(1024);
    EXPECT_GT(sound_test::rms(sound_test::channel_of(sound.frames, 2, 0)), 1000.0);
    dsp_free_unit(group);
    EXPECT_EQ(record(h).dsp_unit, sound_system().sfx_unit);
    sound.frames.clear();
    sound.render_frames(1024);
    EXPECT_GT(sound_test::rms(sound_test::channel_of(sound.frames, 2, 0)), 1000.0);
    DspUnit outsider;
    EXPECT_EQ(channel_play_sound_ex(kChannelFree, tone(), &outsider, 0), -1);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
}

SoundSample* g_forgotten = nullptr;
bool g_playing_when_forgotten = false;

TEST_F(Channels, FreeingASampleStopsItsChannels) {
    ASSERT_TRUE(sound.ok);
    SoundSample* s = tone();
    const int a = channel_play_sound(kChannelFree, s);
    const int b = channel_play_sound(kChannelFree, s);
    // Songs are told before the channels stop.
    sound_layer_hooks().songs_forget_sample = [](SoundSample* gone) {
        g_forgotten = gone;
        g_playing_when_forgotten = sound_get_channels_playing() == 2;
    };
    sample_free(s);
    sound_layer_hooks().songs_forget_sample = nullptr;
    EXPECT_EQ(g_forgotten, s);
    EXPECT_TRUE(g_playing_when_forgotten);
    EXPECT_EQ(channel_is_playing(a & kChannelIndexMask), 0);
    EXPECT_EQ(channel_is_playing(b & kChannelIndexMask), 0);
    EXPECT_EQ(sound_get_channels_playing(), 0);
    sound.render_frames(2048);  // nothing reads the freed data (ASan)
}

TEST_F(Channels, VariancesDrawFromTheSeededGenerator) {
    ASSERT_TRUE(sound.ok);
    SoundSample* s = tone();
    sample_set_defaults_ex(s, 22050, 200, 128, -1, 1000, 20, 30);
    sound_srand(7);
    const int h1 = channel_play_sound(kChannelFree, s);
    const int f1 = channel_get_frequency(h1), v1 = channel_get_volume(h1);
    sound_srand(7);
    const int h2 = channel_play_sound(kChannelFree, s);
    EXPECT_EQ(channel_get_frequency(h2), f1);
    EXPECT_EQ(channel_get_volume(h2), v1);
    EXPECT_GE(f1, 22050 - 1000);
    EXPECT_LT(f1, 22050 + 1000);
    EXPECT_GE(v1, 180);
    EXPECT_LT(v1, 220);
}

}  // namespace
