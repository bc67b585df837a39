// Whole renders in the deterministic non-real-time mode, checked by what can
// be measured in the sound: pitch, level and balance, and by hashes.
#include <gtest/gtest.h>

#include <map>

#include "sound/mixer/mixer.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace sound_test;

struct Quality {
    int rate;
    int mixer;
};
// The five qualities the game offers.
const Quality kQualities[] = {{11025, 8}, {22050, 8}, {22050, 9}, {22050, 0}, {44100, 4}};

TEST(Render, PitchFollowsTheChannelFrequency) {
    for (const Quality& q : kQualities) {
        NonRealtimeSound s(q.rate, q.mixer);
        ASSERT_TRUE(s.ok);
        // One period of 100 frames at 44100 Hz: a 441 Hz tone at its own rate.
        SoundSample* tone = make_sample(wave(100, 441, 44100), 1, SAMPLE_LOOP_NORMAL, 44100);
        const int h = channel_play_sound(kChannelFree, tone);
        ASSERT_GE(h, 0);
        s.render_frames(size_t(q.rate));
        const auto left = channel_of(s.frames, s.out_channels, 0);
        EXPECT_NEAR(measured_frequency(left, q.rate), 441.0, 3.0) << q.rate << "/" << q.mixer;
        channel_set_frequency(h, 88200);  // an octave up
        s.frames.clear();
        s.render_frames(size_t(q.rate));
        EXPECT_NEAR(measured_frequency(channel_of(s.frames, s.out_channels, 0), q.rate), 882.0, 5.0);
    }
}

TEST(Render, LevelFollowsVolumeAndMasterVolume) {
    NonRealtimeSound s(22050, MIXER_QUALITY_MONO);
    ASSERT_TRUE(s.ok);
    SoundSample* tone = make_sample(wave(200, 110.25, 22050, 20000.0), 1, SAMPLE_LOOP_NORMAL, 22050, -1);
    const int h = channel_play_sound(kChannelFree, tone);
    s.render_frames(8192);
    const double full = rms(channel_of(s.frames, 1, 0));
    EXPECT_NEAR(full, 20000.0 / std::sqrt(2.0), 300.0);
    channel_set_volume(h, 128);
    s.frames.clear();
    s.render_frames(8192);
    EXPECT_NEAR(rms(channel_of(s.frames, 1, 0)) / full, 128.0 / 255.0, 0.02);
    sound_set_sfx_volume(64);
    s.frames.clear();
    s.render_frames(8192);
    EXPECT_NEAR(rms(channel_of(s.frames, 1, 0)) / full, (128 * 64 / 255) / 255.0, 0.02);
    sound_set_sfx_volume(255);
}

TEST(Render, PanMovesTheBalanceBetweenSides) {
    NonRealtimeSound s(44100, MIXER_QUALITY_AUTODETECT);
    ASSERT_TRUE(s.ok);
    SoundSample* tone = make_sample(wave(400, 441, 44100, 12000.0, true), 1, SAMPLE_LOOP_NORMAL, 44100);
    const int h = channel_play_sound(kChannelFree, tone);
    std::map<int, double> balance;
    for (int pan : {0, 64, 128, 192, 255}) {
        channel_set_pan(h, pan);
        s.frames.clear();
        s.render_frames(4096);
        const double l = rms(channel_of(s.frames, 2, 0)), r = rms(channel_of(s.frames, 2, 1));
        balance[pan] = r / (l + r);
    }
    EXPECT_LT(balance[0], 0.01);
    EXPECT_NEAR(balance[128], 0.5, 0.01);
    EXPECT_GT(balance[255], 0.99);
    EXPECT_LT(balance[64], balance[128]);
    EXPECT_GT(balance[192], balance[128]);
}

TEST(Render, ManyFullScaleVoicesClipInsteadOfWrapping) {
    NonRealtimeSound s(22050, MIXER_C, 48);
    ASSERT_TRUE(s.ok);
    SoundSample* square = make_sample(wave(220, 100.2, 22050, 32767.0, true), 1, SAMPLE_LOOP_NORMAL, 22050);
    for (int i = 0; i < 48; ++i) {
        const int h = channel_play_sound(kChannelFree, square);
        ASSERT_GE(h, 0);
        channel_set_pan(h, -1);
    }
    s.render_frames(2048);
    int highest = 0, lowest = 0;
    for (int16_t v : s.frames) highest = std::max<int>(highest, v), lowest = std::min<int>(lowest, v);
    EXPECT_EQ(highest, 32767);
    EXPECT_EQ(lowest, -32768);
    for (size_t i = 0; i + 2 < s.frames.size(); i += 2) ASSERT_TRUE(s.frames[i] == 32767 || s.frames[i] == -32768);
}

TEST(Render, StereoSamplesKeepTheirSides) {
    NonRealtimeSound s(44100, MIXER_C);
    ASSERT_TRUE(s.ok);
    const auto left = wave(400, 441, 44100, 10000.0), right = wave(400, 882, 44100, 10000.0);
    std::vector<int16_t> interleaved;
    for (size_t i = 0; i < left.size(); ++i) interleaved.push_back(left[i]), interleaved.push_back(right[i]);
    SoundSample* stereo = make_sample(interleaved, 2, SAMPLE_LOOP_NORMAL, 44100, -1);
    ASSERT_GE(channel_play_sound(kChannelFree, stereo), 0);
    s.render_frames(44100);
    EXPECT_NEAR(measured_frequency(channel_of(s.frames, 2, 0), 44100), 441.0, 3.0);
    EXPECT_NEAR(measured_frequency(channel_of(s.frames, 2, 1), 44100), 882.0, 5.0);
}

// Renders a small fixed scene: a looping tone, a one-shot, a ping-pong loop
// and a varied sample, over two seconds.
uint64_t render_scene(const Quality& q) {
    NonRealtimeSound s(q.rate, q.mixer);
    if (!s.ok) return 0;
    SoundSample* tone = make_sample(wave(100, 441, 44100), 1, SAMPLE_LOOP_NORMAL, 44100);
    SoundSample* shot = make_sample(wave(3000, 1000, 22050, 9000.0, true), 1, SAMPLE_LOOP_OFF, 22050);
    SoundSample* swing = make_sample(wave(500, 300, 22050, 7000.0), 1, SAMPLE_LOOP_BIDI, 16000);
    sample_set_loop_points(swing, 100, 420);
    sample_set_defaults_ex(shot, -1, -1, -1, -1, 300, 30, 60);
    channel_set_pan(channel_play_sound(kChannelFree, tone), 40);
    channel_play_sound(kChannelFree, swing);
    for (int block = 0; block < int((2 * q.rate + 1023) / 1024); ++block) {
        if (block % 7 == 0) channel_play_sound(kChannelFree, shot);
        sound_update();
    }
    int peak = 0;
    for (int16_t v : s.frames) peak = std::max(peak, std::abs(int(v)));
    return peak > 8000 ? fnv1a(s.frames) : 0;  // a silent render proves nothing
}

TEST(Render, RepeatedRendersAreIdenticalAtEveryQuality) {
    for (const Quality& q : kQualities) {
        const uint64_t first = render_scene(q);
        EXPECT_NE(first, 0u);
        EXPECT_EQ(render_scene(q), first) << q.rate << "/" << q.mixer;
    }
}

TEST(Render, RendersMatchTheirRecordedHashes) {
    // Recorded from this mixer; the same under every optimisation level and
    // sanitizer build, since mixing is integer arithmetic only.
    const uint64_t expected[] = {16833226608735816035ull, 10726785807783706149ull, 1377818151758221213ull,
                                 15427142929663114098ull, 1286141783803833519ull};
    for (size_t i = 0; i < std::size(kQualities); ++i)
        EXPECT_EQ(render_scene(kQualities[i]), expected[i]) << "quality " << i;
}

}  // namespace
