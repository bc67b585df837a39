// The mix kernels on channels built by hand: no library start-up, sample
// memory sized exactly so that AddressSanitizer sees any read outside it.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "sound/mixer/mix_kernels.h"
#include "sound/mixer/sound_channel.h"
#include "sound/samples/sound_sample.h"

namespace {

constexpr uint64_t kFrame = uint64_t(1) << 32;

// A sample over caller-owned data, and a channel that plays it.
struct Voice {
    SoundSample sample{};
    SoundChannel channel;
    ListNode list;

    Voice(const void* data, int length, uint32_t mode, double step_frames, int gain_l = 255, int gain_r = 255) {
        sample.data = const_cast<void*>(data);
        sample.length = length;
        sample.loop_start = 0;
        sample.loop_length = length;
        sample.mode = mode;
        channel.sample.store(&sample);
        channel.data = data;
        channel.mode = mode;
        channel.priority.store(100);
        set_step(step_frames);
        channel.left_gain = gain_l;
        channel.right_gain = gain_r;
        channel.mean_gain = (gain_l + gain_r) / 2;
        list_append(list, &channel);
    }
    ~Voice() { list_unlink(&channel); }
    void set_step(double frames) {
        const auto step = uint64_t(frames * double(kFrame));
        channel.step_integer = int32_t(step >> 32);
        channel.step_fraction = uint32_t(step);
    }
    void loop(int start, int length, uint32_t kind) {
        sample.loop_start = start;
        sample.loop_length = length;
        channel.mode = (channel.mode & ~kSampleLoopBits) | kind;
    }
};

using Kernel = void (*)(ListNode&, int32_t*, int);

std::vector<int32_t> mix(Voice& v, Kernel kernel, int frames, int out_channels) {
    std::vector<int32_t> acc(size_t(frames) * out_channels, 0);
    kernel(v.list, acc.data(), frames);
    return acc;
}

// Exact-size heap copies, so any read past the end is an ASan error.
template <class T>
std::unique_ptr<T[]> exact(const std::vector<T>& v) {
    auto p = std::make_unique<T[]>(v.size());
    std::copy(v.begin(), v.end(), p.get());
    return p;
}

TEST(MixKernels, EightBitMixesLikeSixteenBitShiftedUp) {
    std::vector<int8_t> s8 = {0, 10, -20, 127, -128, 55, -1, 3};
    std::vector<int16_t> s16;
    for (int8_t v : s8) s16.push_back(int16_t(v * 256));
    auto d8 = exact(s8);
    auto d16 = exact(s16);
    for (auto [kernel, out] : {std::pair<Kernel, int>{mix_channel_stereo, 2}, {mix_channel_mono, 1}}) {
        Voice a(d8.get(), 8, SAMPLE_8BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 1.0, 200, 77);
        Voice b(d16.get(), 8, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 1.0, 200, 77);
        const auto r8 = mix(a, kernel, 20, out);
        const auto r16 = mix(b, kernel, 20, out);
        EXPECT_EQ(r8, r16);
        EXPECT_EQ(r8[out == 2 ? 6 : 3], 127 * (out == 2 ? 200 : 138));  // frame 3 reads 127
    }
}

TEST(MixKernels, StereoGainsAndStereoSources) {
    std::vector<int16_t> frames = {1000, -2000, 3000, -4000};  // two stereo frames
    auto d = exact(frames);
    Voice v(d.get(), 2, SAMPLE_16BITS | SAMPLE_STEREO | SAMPLE_LOOP_NORMAL, 1.0, 128, 64);
    const auto out = mix(v, mix_channel_stereo, 2, 2);
    EXPECT_EQ(out, (std::vector<int32_t>{1000 * 128 >> 8, -2000 * 64 >> 8, 3000 * 128 >> 8, -4000 * 64 >> 8}));
    // Mono output takes the mean gain of (left + right) / 2.
    Voice m(d.get(), 2, SAMPLE_16BITS | SAMPLE_STEREO | SAMPLE_LOOP_NORMAL, 1.0, 128, 64);
    const auto mono = mix(m, mix_channel_mono, 2, 1);
    EXPECT_EQ(mono, (std::vector<int32_t>{(-500 * 96) >> 8, (-500 * 96) >> 8}));
}

TEST(MixKernels, QualityInterpolatesBetweenNeighbours) {
    // Length 4 plus the tail frame the library keeps behind every sample.
    std::vector<int16_t> s = {0, 1000, 2000, 3000, 0};
    auto d = exact(s);
    Voice v(d.get(), 4, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 0.5, 256, 256);
    const auto out = mix(v, mix_channel_stereo_quality, 4, 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 500);
    EXPECT_EQ(out[4], 1000);
    EXPECT_EQ(out[6], 1500);
    // Plain mixing holds the sample instead.
    Voice p(d.get(), 4, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 0.5, 256, 256);
    EXPECT_EQ(mix(p, mix_channel_stereo, 4, 2)[2], 0);
}

TEST(MixKernels, ClippingSaturatesAtSixteenBits) {
    const std::vector<int32_t> acc = {48 * 32767, -48 * 32768, 32767, -32768, 32768, -32769, 5};
    std::vector<int16_t> out(acc.size());
    mixer_clip_to_16bit_mono(out.data(), acc.data(), int(acc.size()));
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768, 5}));
    std::vector<int16_t> stereo(6);
    mixer_clip_to_16bit_stereo(stereo.data(), acc.data(), 3);
    EXPECT_EQ(stereo, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768}));
}

TEST(MixKernels, ShortLoopsAtLargeStepsStayInsideTheSample) {
    std::vector<int16_t> s(64);
    for (int i = 0; i < 64; ++i) s[size_t(i)] = int16_t(i * 100);
    s.push_back(0);  // tail
    auto d = exact(s);
    for (Kernel k : {mix_channel_mono, mix_channel_mono_quality, mix_channel_stereo, mix_channel_stereo_quality}) {
        Voice v(d.get(), 64, SAMPLE_16BITS | SAMPLE_MONO, 64.0);
        v.loop(40, 16, SAMPLE_LOOP_NORMAL);
        v.channel.position = 50;
        mix(v, k, 1024, 2);
        EXPECT_GE(v.channel.position, 40);
        EXPECT_LT(v.channel.position, 56);
        EXPECT_NE(v.channel.sample.load(), nullptr);
        // A step of 64 over a 16-frame loop lands where it started: 50 again.
        EXPECT_EQ(v.channel.position, 50);
    }
}

TEST(MixKernels, PingPongLoopsOfOneAndTwoFramesReflect) {
    std::vector<int16_t> s = {100, 200, 300, 400, 0};
    auto d = exact(s);
    for (int length : {1, 2}) {
        for (double step : {0.3, 1.0, 7.25}) {
            Voice v(d.get(), 4, SAMPLE_16BITS | SAMPLE_MONO, step);
            v.loop(1, length, SAMPLE_LOOP_BIDI);
            v.channel.position = 1;
            const auto out = mix(v, mix_channel_stereo, 512, 2);
            for (size_t i = 0; i < out.size(); i += 2) {
                EXPECT_GE(out[i], 200 * 255 >> 8) << "length " << length << " step " << step;
                EXPECT_LE(out[i], (length == 1 ? 200 : 300) * 255 >> 8);
            }
            EXPECT_GE(v.channel.position, 1);
            EXPECT_LT(v.channel.position, 1 + length);
        }
    }
}

TEST(MixKernels, BidirectionalLoopTurnsAtBothEnds) {
    std::vector<int16_t> s = {0, 1, 2, 3, 4, 5, 6, 7};
    auto d = exact(s);
    Voice v(d.get(), 8, SAMPLE_16BITS | SAMPLE_MONO, 1.0, 256, 256);
    v.loop(2, 4, SAMPLE_LOOP_BIDI);  // frames 2..5
    const auto out = mix(v, mix_channel_stereo, 14, 2);
    std::vector<int32_t> left;
    for (size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]);
    EXPECT_EQ(left, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 2, 3, 4, 5}));
}

TEST(MixKernels, OneShotEndingMidBlockLeavesSilenceAndFreesTheChannel) {
    std::vector<int16_t> s(100, 1000);
    s.push_back(0);  // tail frame read by interpolation at the last frame
    auto d = exact(s);
    Voice v(d.get(), 100, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_OFF, 1.0, 256, 256);
    v.channel.handle = 0x5007;
    const auto out = mix(v, mix_channel_stereo_quality, 256, 2);
    for (size_t f = 0; f < 256; ++f) EXPECT_EQ(out[2 * f], f < 100 ? 1000 : 0) << f;
    EXPECT_EQ(v.channel.sample.load(), nullptr);
    EXPECT_EQ(v.channel.priority.load(), 0);
    EXPECT_EQ(v.channel.position, 0);
    EXPECT_EQ(v.channel.handle, 0x5007);
}

TEST(MixKernels, OneShotEndingExactlyAtTheBlockEdgeDoesNotRestart) {
    std::vector<int16_t> s(256, 700);
    auto d = exact(s);
    Voice v(d.get(), 256, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_OFF, 1.0, 256, 256);
    const auto first = mix(v, mix_channel_stereo, 256, 2);
    EXPECT_EQ(first[2 * 255], 700);
    EXPECT_EQ(v.channel.sample.load(), nullptr);
}

TEST(MixKernels, BackwardPlayStopsAtZeroAndNormalLoopsWrapBackward) {
    std::vector<int16_t> s = {10, 20, 30, 40, 50, 60, 70, 80};
    auto d = exact(s);
    Voice off(d.get(), 8, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_OFF, 1.0, 256, 256);
    off.channel.direction = PLAY_BACKWARD;
    off.channel.position = 3;
    const auto out = mix(off, mix_channel_stereo, 8, 2);
    EXPECT_EQ(out[0], 40);
    EXPECT_EQ(out[6], 10);
    EXPECT_EQ(out[8], 0);
    EXPECT_EQ(off.channel.sample.load(), nullptr);

    Voice loop(d.get(), 8, SAMPLE_16BITS | SAMPLE_MONO, 1.0, 256, 256);
    loop.loop(4, 4, SAMPLE_LOOP_NORMAL);
    loop.channel.direction = PLAY_BACKWARD;
    loop.channel.position = 5;
    const auto wrapped = mix(loop, mix_channel_stereo, 6, 2);
    std::vector<int32_t> left;
    for (size_t i = 0; i < wrapped.size(); i += 2) left.push_back(wrapped[i]);
    EXPECT_EQ(left, (std::vector<int32_t>{60, 50, 80, 70, 60, 50}));
}

TEST(MixKernels, NormalLoopModeOnAnEmptyLoopPlaysOnce) {
    std::vector<int16_t> s(10, 500);
    auto d = exact(s);
    Voice v(d.get(), 10, SAMPLE_16BITS | SAMPLE_MONO, 1.0, 256, 256);
    v.loop(3, 0, SAMPLE_LOOP_NORMAL);
    const auto out = mix(v, mix_channel_stereo, 30, 2);
    EXPECT_EQ(out[2 * 9], 500);
    EXPECT_EQ(out[2 * 10], 0);
    EXPECT_EQ(v.channel.sample.load(), nullptr);
}

TEST(MixKernels, SilentChannelsAdvanceWithoutReading) {
    std::vector<int16_t> s(100, 1234);
    auto d = exact(s);
    Voice v(d.get(), 100, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 2.5, 0, 0);
    const auto out = mix(v, mix_channel_stereo_quality, 10, 2);
    for (int32_t x : out) EXPECT_EQ(x, 0);
    EXPECT_EQ(v.channel.position, 25);
}

TEST(MixKernels, PausedAndEmptySamplesAreSkipped) {
    std::vector<int16_t> s(16, 100);
    auto d = exact(s);
    Voice paused(d.get(), 16, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 1.0);
    paused.channel.set_flag(CHANNEL_PAUSED, true);
    for (int32_t x : mix(paused, mix_channel_stereo, 8, 2)) EXPECT_EQ(x, 0);
    Voice empty(d.get(), 0, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 1.0);
    for (int32_t x : mix(empty, mix_channel_mono_quality, 8, 1)) EXPECT_EQ(x, 0);
}

TEST(MixKernels, PeakMeasurementFollowsTheMixWithoutMovingIt) {
    std::vector<int16_t> s = {100, -3000, 200, 50};
    auto d = exact(s);
    Voice v(d.get(), 4, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 1.0, 256, 128);
    int l = 0, r = 0;
    mix_measure_peaks(v.channel, 16, &l, &r);
    EXPECT_EQ(l, 2 * 3000);
    EXPECT_EQ(r, 2 * 1500);
    EXPECT_EQ(v.channel.position, 0);
}

// The stereo kernels take mono samples four frames at a time; frame by frame
// is the reference. Random voices over both sample widths, forward and
// backward play, every loop kind (short loops, ends inside a group of four),
// fractional and large steps, gains beyond 16 bits (which fall back), and
// one-shots that end inside the block must give the same sums and leave the
// channel in the same state.
TEST(MixKernels, GroupedFramesMixLikeFrameByFrame) {
    std::mt19937 random(38);
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    struct Outcome {
        std::vector<int32_t> acc;
        int32_t position;
        uint32_t fraction;
        int direction;
        bool playing;
    };
    for (int trial = 0; trial < 800; ++trial) {
        const bool sixteen = below(2) == 1;
        const bool stereo_source = below(5) == 0;
        const int channels = stereo_source ? 2 : 1;
        const int length = 1 + below(trial % 10 == 0 ? 5 : 300);
        std::vector<int16_t> s16(size_t(length + 1) * channels);
        std::vector<int8_t> s8(s16.size());
        for (size_t i = 0; i < s16.size(); ++i) {
            s16[i] = int16_t(random());
            s8[i] = int8_t(random());
        }
        if (below(4) == 0) std::fill(s16.begin(), s16.begin() + channels, int16_t(-32768));
        auto d16 = exact(s16);
        auto d8 = exact(s8);
        const void* data = sixteen ? static_cast<const void*>(d16.get()) : d8.get();
        const uint32_t mode = (sixteen ? SAMPLE_16BITS : SAMPLE_8BITS) | (stereo_source ? SAMPLE_STEREO : SAMPLE_MONO);
        const uint32_t loops[] = {SAMPLE_LOOP_OFF, SAMPLE_LOOP_NORMAL, SAMPLE_LOOP_BIDI};
        const uint32_t loop = loops[below(3)];
        const int loop_start = below(length), loop_length = 1 + below(length - loop_start);
        const double step = below(8) == 0 ? 1 + below(40) + below(1000) / 1000.0 : (1 + below(4000)) / 1000.0;
        const int big = below(10) == 0 ? 40000 : 0;
        const int gain_l = below(256) + big, gain_r = below(256), frames = 1 + below(700);
        const int position = below(length), direction = below(3) == 0 ? PLAY_BACKWARD : PLAY_FORWARD;
        const uint32_t fraction = uint32_t(random());
        std::vector<int32_t> start(size_t(frames) * 2);
        for (int32_t& a : start) a = int32_t(random() % 2000001) - 1000000;
        for (Kernel kernel : {mix_channel_stereo, mix_channel_stereo_quality}) {
            Outcome outcome[2];
            for (bool grouped : {false, true}) {
                Voice v(data, length, mode | loop, step, gain_l, gain_r);
                v.loop(loop_start, loop_length, loop);
                v.channel.position = position;
                v.channel.fraction = fraction;
                v.channel.direction = direction;
                const bool before = mix_use_vectors(grouped);
                std::vector<int32_t> acc = start;
                kernel(v.list, acc.data(), frames);
                mix_use_vectors(before);
                outcome[grouped] = {acc, v.channel.position, v.channel.fraction, v.channel.direction,
                                    v.channel.sample.load() != nullptr};
            }
            const auto& [reference, grouped] = outcome;
            ASSERT_EQ(grouped.acc, reference.acc) << "trial " << trial;
            EXPECT_EQ(grouped.position, reference.position) << "trial " << trial;
            EXPECT_EQ(grouped.fraction, reference.fraction) << "trial " << trial;
            EXPECT_EQ(grouped.direction, reference.direction) << "trial " << trial;
            EXPECT_EQ(grouped.playing, reference.playing) << "trial " << trial;
        }
    }
}

}  // namespace
