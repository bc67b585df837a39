#include "sound/mixer/dsp_mix.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::NonRealtimeSound;

constexpr int kRate = 22050;

std::vector<int16_t> tone(int frames) { return sound_test::wave(frames, 441.0, kRate, 12000.0); }

std::vector<int32_t> mix(const std::vector<int16_t>& source, int frames, int frequency, int volume, int pan,
                         int channels) {
    std::vector<int32_t> accumulator(size_t(frames) * size_t(channels), 0);
    // A heap copy of exactly the frames given: a read past them is caught.
    std::unique_ptr<int16_t[]> exact(new int16_t[size_t(frames)]);
    std::copy(source.begin(), source.begin() + frames, exact.get());
    EXPECT_EQ(dsp_mix_buffers(accumulator.data(), exact.get(), frames, frequency, volume, pan,
                              SAMPLE_16BITS | SAMPLE_MONO),
              1);
    return accumulator;
}

class DspMixBuffers : public ::testing::TestWithParam<int> {};

TEST_P(DspMixBuffers, TheLastFramesNeighbourIsSilence) {
    NonRealtimeSound library(kRate, GetParam());
    ASSERT_TRUE(library.ok);
    int channels = sound_system().mixer->channels;
    const int frames = 100;
    std::vector<int16_t> source = tone(frames);
    // Just over the mix rate: the last output frame falls between the last
    // source frame and the one after it.
    int frequency = kRate * 1005 / 1000;
    std::vector<int32_t> exact = mix(source, frames, frequency, 255, 128, channels);
    std::vector<int16_t> with_silence = source;
    with_silence.push_back(0);
    std::vector<int32_t> padded = mix(with_silence, frames + 1, frequency, 255, 128, channels);
    padded.resize(exact.size());
    EXPECT_EQ(exact, padded);
    int64_t energy = 0;
    for (int32_t v : exact) energy += std::abs(v);
    EXPECT_GT(energy, 0);
}

TEST_P(DspMixBuffers, AddsIntoTheDestinationAndFollowsVolume) {
    NonRealtimeSound library(kRate, GetParam());
    ASSERT_TRUE(library.ok);
    int channels = sound_system().mixer->channels;
    const int frames = 256;
    std::vector<int16_t> source = tone(frames);
    std::vector<int32_t> loud = mix(source, frames, kRate, 255, 128, channels);
    std::vector<int32_t> quiet = mix(source, frames, kRate, 64, 128, channels);
    std::vector<int32_t> twice(loud.size(), 0);
    for (int i = 0; i < 2; ++i)
        dsp_mix_buffers(twice.data(), source.data(), frames, kRate, 255, 128, SAMPLE_16BITS | SAMPLE_MONO);
    int64_t loud_sum = 0, quiet_sum = 0;
    for (size_t i = 0; i < loud.size(); ++i) {
        EXPECT_EQ(twice[i], 2 * loud[i]);
        loud_sum += std::abs(loud[i]);
        quiet_sum += std::abs(quiet[i]);
    }
    EXPECT_GT(quiet_sum, loud_sum / 5);
    EXPECT_LT(quiet_sum, loud_sum / 3);
}

INSTANTIATE_TEST_SUITE_P(Mixers, DspMixBuffers,
                         ::testing::Values(MIXER_MONO, MIXER_QUALITY_MONO, MIXER_AUTODETECT, MIXER_QUALITY_AUTODETECT));

TEST(DspMixBuffersRefusals, NeedsAStartedLibraryAndRealArguments) {
    int32_t accumulator[4] = {};
    int16_t source[2] = {1, 2};
    EXPECT_EQ(dsp_mix_buffers(accumulator, source, 2, kRate, 255, 128, SAMPLE_16BITS), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
    NonRealtimeSound library(kRate);
    ASSERT_TRUE(library.ok);
    EXPECT_EQ(dsp_mix_buffers(nullptr, source, 2, kRate, 255, 128, SAMPLE_16BITS), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(dsp_mix_buffers(accumulator, nullptr, 2, kRate, 255, 128, SAMPLE_16BITS), 0);
    EXPECT_EQ(dsp_mix_buffers(accumulator, source, 0, kRate, 255, 128, SAMPLE_16BITS), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(accumulator[0], 0);
}

TEST(DspClearMixBuffer, SilencesTheAccumulatorAndThePrimaryBuffer) {
    NonRealtimeSound library(kRate);
    ASSERT_TRUE(library.ok);
    SoundSample* sample = sound_test::make_sample(tone(20000), 1, SAMPLE_LOOP_NORMAL, kRate);
    ASSERT_NE(sample, nullptr);
    ASSERT_GE(channel_play_sound(-1, sample), 0);
    library.render_frames(4096);
    SoundSystem& system = sound_system();
    const int values = system.buffer_samples * system.mixer->channels;
    auto accumulator_energy = [&] {
        int64_t sum = 0;
        for (int i = 0; i < values; ++i) sum += std::abs(system.mixer->buffer[i]);
        return sum;
    };
    auto primary_energy = [&] {
        void *p1, *p2;
        int len1, len2;
        int64_t sum = 0;
        SoundSample* primary = system.primary_sample;
        if (!sample_lock(primary, 0, sample_total_bytes(primary), &p1, &len1, &p2, &len2)) return int64_t(-1);
        for (int i = 0; p1 && i < len1 / 2; ++i) sum += std::abs(static_cast<int16_t*>(p1)[i]);
        sample_unlock(primary, p1, p2, len1, len2);
        return sum;
    };
    ASSERT_GT(accumulator_energy(), 0);
    ASSERT_GT(primary_energy(), 0);
    dsp_clear_mix_buffer();
    EXPECT_EQ(accumulator_energy(), 0);
    EXPECT_EQ(primary_energy(), 0);
    channel_stop_sound(-3);
    sample_free(sample);
}

TEST(DspClearMixBuffer, TheNoSoundOutputsNullPiecesAreLeftAlone) {
    // Without a capture sink the non-real-time mode plays through the
    // no-sound output, whose primary buffer locks as null pieces.
    sound_test::SoundSettingsGuard settings;
    sound_set_output(OUTPUT_NONREALTIME);
    ASSERT_EQ(sound_init(kRate, 8, 0), 1);
    SoundSample* primary = sound_system().primary_sample;
    ASSERT_NE(primary, nullptr);
    void *p1 = &p1, *p2 = &p2;
    int len1 = -1, len2 = -1;
    sample_lock(primary, 0, 64, &p1, &len1, &p2, &len2);
    EXPECT_EQ(p1, nullptr);
    EXPECT_EQ(len1, 0);
    dsp_clear_mix_buffer();
    sound_update();
    dsp_clear_mix_buffer();
    sound_close();
    dsp_clear_mix_buffer();  // not started: nothing happens
}

}  // namespace
