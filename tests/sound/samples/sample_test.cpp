// Samples as the mixer sees them: mode rules, the table, loop points and the
// interpolation tail, locking, and multichannel planes played on linked channels.
#include <gtest/gtest.h>

#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::NonRealtimeSound;

int16_t frame16(const SoundSample* s, int i) { return static_cast<const int16_t*>(s->data)[i]; }

TEST(SampleModes, NormalisationFillsDefaultsAndDropsDriverBits) {
    EXPECT_EQ(sample_normalise_mode(0), 0x29u);
    EXPECT_EQ(sample_normalise_mode(0x8130), 0x8130u | SAMPLE_LOOP_OFF);
    EXPECT_EQ(sample_normalise_mode(SAMPLE_16BITS | SAMPLE_8BITS | SAMPLE_STEREO | SAMPLE_MONO),
              uint32_t(SAMPLE_16BITS | SAMPLE_STEREO | SAMPLE_LOOP_OFF));
    EXPECT_EQ(sample_normalise_mode(SAMPLE_ADPCM | SAMPLE_8BITS) & (SAMPLE_ADPCM | SAMPLE_8BITS | SAMPLE_16BITS),
              uint32_t(SAMPLE_16BITS));
    EXPECT_EQ(sample_normalise_mode(SAMPLE_DRIVER) & SAMPLE_DRIVER, 0u);
    // The primary buffer's mode keeps its driver-sample bit (bit 31 set).
    EXPECT_TRUE(sample_normalise_mode(0x80084012u | SAMPLE_STEREO) & SAMPLE_DRIVER_2);
}

TEST(Samples, TableGrowsAndLooksUpByIndex) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    for (int i = 0; i < 256; ++i) ASSERT_NE(sample_create(kSampleAnyFree, 1, 0, 8000, 255, 128, 255), nullptr);
    EXPECT_EQ(sound_get_max_samples(), 256);
    SoundSample* next = sample_create(kSampleAnyFree, 1, 0, 8000, 255, 128, 255);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->index, 256);
    EXPECT_EQ(sound_get_max_samples(), 512);
    EXPECT_EQ(sample_get_by_index(256), next);
    EXPECT_EQ(sample_get_by_index(300), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_OK);
    EXPECT_EQ(sample_get_by_index(512), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(sample_get_by_index(kPrimarySampleIndex), sound_system().primary_sample);
    // A new sample at a taken index replaces the old one.
    SoundSample* replaced = sample_create(256, 4, 0, 8000, 255, 128, 255);
    EXPECT_EQ(sample_get_by_index(256), replaced);
    EXPECT_EQ(sample_create(kSampleAnyFree, 0, 0, 8000, 255, 128, 255), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(sample_create(-7, 4, 0, 8000, 255, 128, 255), nullptr);
}

TEST(Samples, DefaultsTakeOnlyValidValues) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    SoundSample* s = sample_create(kSampleAnyFree, 10, 0, 8000, 200, 30, 40);
    sample_set_defaults(s, 100, 300, -1, 256);
    EXPECT_EQ(s->default_frequency, 8000);
    EXPECT_EQ(s->default_volume, 255);
    EXPECT_EQ(s->default_pan, 30);
    EXPECT_EQ(s->default_priority, 255);
    sample_set_defaults_ex(s, 101, -1, 0, -1, 5, -1, 7);
    EXPECT_EQ(s->default_frequency, 101);
    EXPECT_EQ(s->default_pan, 0);
    EXPECT_EQ(s->frequency_variance, 5);
    EXPECT_EQ(s->volume_variance, 0);
    EXPECT_EQ(s->pan_variance, 7);
}

TEST(Samples, LoopPointsClampAndTheTailFollowsTheLoop) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    const std::vector<int16_t> data = {10, 20, 30, 40, 50, 60, 70, 80};
    SoundSample* s = sound_test::make_sample(data, 1, SAMPLE_LOOP_NORMAL, 8000);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->tail_position, 8);
    EXPECT_EQ(frame16(s, 8), 10);  // behind the data: the loop start
    EXPECT_EQ(sample_set_loop_points(s, 5, 5), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(sample_set_loop_points(s, 8, 9), 0);
    ASSERT_EQ(sample_set_loop_points(s, 2, 5), 1);
    int start = 0, end = 0;
    sample_get_loop_points(s, &start, &end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 5);
    EXPECT_EQ(frame16(s, 6), 30);  // the frame after the loop repeats its start
    ASSERT_EQ(sample_set_loop_points(s, 1, 100), 1);  // end cut to the last frame
    sample_get_loop_points(s, &start, &end);
    EXPECT_EQ(end, 7);
    EXPECT_EQ(frame16(s, 6), 70);  // the overwritten frame is back
    EXPECT_EQ(frame16(s, 8), 20);
    s->mode = (s->mode & ~kSampleLoopBits) | SAMPLE_LOOP_BIDI;
    sample_set_loop_points(s, 0, 3);
    EXPECT_EQ(frame16(s, 4), 40);  // bidirectional: repeats the loop end
    EXPECT_EQ(frame16(s, 8), 0);   // original slack back
    s->mode = (s->mode & ~kSampleLoopBits) | SAMPLE_LOOP_OFF;
    sample_fix_loop_tail(s);
    EXPECT_EQ(frame16(s, 4), 0);  // no loop: silence
    // Locking puts the real data back before the caller rewrites it.
    void *p1, *p2;
    int len1, len2;
    ASSERT_EQ(sample_lock(s, 0, 16, &p1, &len1, &p2, &len2), 1);
    EXPECT_EQ(static_cast<int16_t*>(p1)[4], 50);
    EXPECT_EQ(s->tail_position, -1);
    sample_unlock(s, p1, p2, len1, len2);
}

TEST(Samples, LocksFormARingAndRefuseOutsideOffsets) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    SoundSample* s = sample_create(kSampleAnyFree, 100, SAMPLE_16BITS, 8000, 255, 128, 255);
    void *p1, *p2;
    int len1, len2;
    ASSERT_EQ(sample_lock(s, 150, 100, &p1, &len1, &p2, &len2), 1);
    EXPECT_EQ(p1, static_cast<uint8_t*>(s->data) + 150);
    EXPECT_EQ(len1, 50);
    EXPECT_EQ(p2, s->data);
    EXPECT_EQ(len2, 50);
    sample_unlock(s, p1, p2, len1, len2);
    ASSERT_EQ(sample_lock(s, 0, 1000, &p1, &len1, &p2, &len2), 1);
    EXPECT_EQ(len1, 200);  // cut to the sample
    EXPECT_EQ(p2, nullptr);
    sample_unlock(s, p1, p2, len1, len2);
    EXPECT_EQ(sample_lock(s, 201, 4, &p1, &len1, &p2, &len2), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(p1, nullptr);
    EXPECT_EQ(len1 + len2, 0);
    EXPECT_EQ(sample_lock(s, -1, 4, &p1, &len1, &p2, &len2), 0);
    EXPECT_EQ(sample_lock(nullptr, 0, 4, &p1, &len1, &p2, &len2), 0);
    EXPECT_EQ(sample_create(kSampleAnyFree, 10, SAMPLE_COMPRESSED, 8000, 255, 128, 255), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT);
}

TEST(Samples, MultichannelDataIsSplitIntoPlanesAndPlaysOnLinkedChannels) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 8);
    ASSERT_TRUE(sound.ok);
    SoundSample* s = sample_alloc(kSampleAnyFree, 256, SAMPLE_16BITS | SAMPLE_MULTICHANNEL | SAMPLE_LOOP_NORMAL, 22050,
                                  255, 128, 200, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(sample_frame_channels(s), 3);
    void *p1, *p2;
    int len1, len2;
    ASSERT_EQ(sample_lock(s, 0, 256 * 2 * 3, &p1, &len1, &p2, &len2), 1);
    EXPECT_NE(p1, s->data);  // the caller writes interleaved frames into staging
    void *q1, *q2;
    int l1, l2;
    EXPECT_EQ(sample_lock(s, 0, 2, &q1, &l1, &q2, &l2), 0);  // one lock at a time
    auto* frames = static_cast<int16_t*>(p1);
    for (int f = 0; f < 256; ++f)
        for (int k = 0; k < 3; ++k) frames[f * 3 + k] = int16_t((k + 1) * 1000 * (f % 2 ? 1 : -1));
    ASSERT_EQ(sample_unlock(s, p1, p2, len1, len2), 1);
    const int plane_bytes = 256 * 2 + 8;
    for (int k = 0; k < 3; ++k) {
        const auto* plane = reinterpret_cast<const int16_t*>(static_cast<const uint8_t*>(s->data) + k * plane_bytes);
        EXPECT_EQ(plane[1], (k + 1) * 1000) << k;
        EXPECT_EQ(plane[2], -(k + 1) * 1000) << k;
    }
    const int h = channel_play_sound(kChannelFree, s);
    ASSERT_GE(h, 0);
    EXPECT_EQ(channel_get_num_subchannels(h), 2);
    const int second = channel_get_subchannel(h, 1);
    ASSERT_GE(second, 0);
    EXPECT_TRUE(channel_lookup(second)->is_sub);
    EXPECT_EQ(channel_lookup(second)->data, static_cast<const uint8_t*>(s->data) + plane_bytes);
    EXPECT_EQ(sound_get_channels_playing(), 3);
    sound.render_frames(1024);
    int peak = 0;
    for (int16_t v : sound.frames) peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 3000);  // three planes summed
    channel_stop_sound(h);
    EXPECT_EQ(sound_get_channels_playing(), 0);
    EXPECT_EQ(channel_get_num_subchannels(h & kChannelIndexMask), 0);
}

}  // namespace
