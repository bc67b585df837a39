// The DSP unit chain: order by priority, inactive units, the level meter,
// and effect parameter checks on channels.
#include <gtest/gtest.h>

#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::NonRealtimeSound;

std::vector<DspUnit*> chain() {
    std::vector<DspUnit*> units;
    ListNode& head = sound_system().dsp_units;
    for (ListNode* n = head.next; n != &head; n = n->next) units.push_back(static_cast<DspUnit*>(n));
    return units;
}

struct Trace {
    static inline std::vector<std::pair<int, void*>> calls;
    static void* record(void* block, void* buffer, int, void* user) {
        calls.emplace_back(int(reinterpret_cast<intptr_t>(user)), buffer);
        return user == reinterpret_cast<void*>(1) ? static_cast<int32_t*>(block) + 8 : buffer;
    }
};

TEST(DspChain, UnitsRunInPriorityThenInsertionOrder) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    SoundSystem& s = sound_system();
    DspUnit* streams = stream_get_dsp_unit();
    ASSERT_NE(streams, nullptr);
    EXPECT_EQ(chain(), (std::vector<DspUnit*>{s.clear_unit, s.sfx_unit, streams, s.music_unit, s.copy_unit}));
    DspUnit* low = dsp_create_unit(Trace::record, -5, reinterpret_cast<void*>(1));
    DspUnit* same_a = dsp_create_unit(Trace::record, 150, reinterpret_cast<void*>(2));
    DspUnit* same_b = dsp_create_unit(Trace::record, 150, reinterpret_cast<void*>(3));
    EXPECT_EQ(dsp_get_priority(low), 0);
    EXPECT_EQ(dsp_get_priority(nullptr), -1);
    EXPECT_EQ(chain(),
              (std::vector<DspUnit*>{s.clear_unit, low, s.sfx_unit, streams, same_a, same_b, s.music_unit, s.copy_unit}));
    EXPECT_EQ(dsp_get_active(low), 0);  // new units wait to be switched on
    for (DspUnit* u : {low, same_a, same_b}) dsp_set_active(u, 1);
    dsp_set_active(same_a, 0);
    Trace::calls.clear();
    sound_update();
    ASSERT_EQ(Trace::calls.size(), 2u);
    EXPECT_EQ(Trace::calls[0].first, 1);
    EXPECT_EQ(Trace::calls[1].first, 3);
    // The inactive unit was skipped: the next one got the buffer the first returned.
    EXPECT_EQ(static_cast<int32_t*>(Trace::calls[1].second) - static_cast<int32_t*>(Trace::calls[0].second), 8);
    dsp_set_priority(same_b, 2000);
    EXPECT_EQ(chain().back(), same_b);
    EXPECT_EQ(dsp_unit_in_list(nullptr), 1);
    DspUnit outside;
    EXPECT_EQ(dsp_unit_in_list(&outside), 0);
    dsp_free_unit(&outside);  // not in the list: left alone
    for (DspUnit* u : {low, same_a, same_b}) dsp_free_unit(u);
    EXPECT_EQ(chain().size(), 5u);
}

TEST(DspChain, LevelMeterMeasuresPlayingChannels) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 4, SOUND_INIT_LEVEL_METER);
    ASSERT_TRUE(sound.ok);
    ASSERT_NE(sound_system().meter_unit, nullptr);
    EXPECT_EQ(chain()[1], sound_system().meter_unit);  // right after the clear unit
    SoundSample* loud = sound_test::make_sample(sound_test::wave(220, 100.2, 22050, 30000.0), 1, SAMPLE_LOOP_NORMAL,
                                                22050);
    const int h = channel_play_sound(kChannelFree, loud);
    channel_set_pan(h, 0);
    for (int i = 0; i < 4; ++i) sound_update();
    float left = 0, right = 0;
    ASSERT_EQ(channel_get_levels(h, &left, &right), 1);
    EXPECT_GT(left, 0.4f);
    EXPECT_EQ(right, 0.0f);
}

TEST(DspChain, LevelsAreMeasuredOnDemandWithoutTheMeter) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 4);
    ASSERT_TRUE(sound.ok);
    SoundSample* tone = sound_test::make_sample(sound_test::wave(220, 100.2, 22050, 30000.0), 1, SAMPLE_LOOP_NORMAL,
                                                22050);
    const int h = channel_play_sound(kChannelFree, tone);
    float left = 0, right = 0;
    channel_get_levels(h, &left, &right);
    EXPECT_NEAR(left, right, 0.02f);
    EXPECT_GT(left, 0.3f);
    channel_set_mute(h, 1);
    channel_get_levels(h, &left, &right);
    EXPECT_EQ(left, 0.0f);
}

TEST(ChannelEffects, ParametersAreCheckedAndEffectsAreUnavailable) {
    NonRealtimeSound sound(22050, MIXER_QUALITY_AUTODETECT, 4);
    ASSERT_TRUE(sound.ok);
    SoundSample* tone = sound_test::make_sample(sound_test::wave(220, 100.2, 22050), 1, SAMPLE_LOOP_NORMAL, 22050);
    const int h = channel_play_sound_ex(kChannelFree, tone, nullptr, 1);
    EXPECT_EQ(channel_set_effect_params(h, 1.0f, 2.0f, 3, -4.0f, 5.0f), 1);
    EXPECT_EQ(channel_set_effect_params(h, -1.0f, 2.0f, 3, 4.0f, 5.0f), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(channel_set_effect_params(h, 1.0f, std::nanf(""), 3, 4.0f, 5.0f), 0);
    EXPECT_EQ(channel_reset_effect_params(h), 1);
    EXPECT_EQ(channel_enable_fx(h, 2), -1);  // paused, but no output offers effects
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    const int channel = h & kChannelIndexMask;
    EXPECT_EQ(channel_set_fx_params_5(channel | (5 << 16), {1.0f, 2.0f}), 1);
    EXPECT_EQ(channel_set_fx_params_5(channel | (4 << 16), {1.0f, 2.0f}), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(channel_set_fx_params_8(999 | (8 << 16), {1, 2, 3, 4}), 0);
}

}  // namespace
