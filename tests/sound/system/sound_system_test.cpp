// Start-up, shutdown and the settings of the sound system.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sound/mixer/mixer.h"
#include "tests/sound/refusing_audio_device.h"
#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::NonRealtimeSound;
using sound_test::SoundSettingsGuard;

// Starts the library silently (no-sound output) and closes it afterwards.
struct SilentStart {
    SoundSettingsGuard settings;

    explicit SilentStart(int rate = 22050, int channels = 8, int buffer_ms = -1) {
        sound_set_output(OUTPUT_NONREALTIME);
        if (buffer_ms > 0) sound_set_buffer_size(buffer_ms);
        result = sound_init(rate, channels, 2);
    }
    int result;
};

TEST(SoundSystem, StartUpRejectsRatesAndChannelCountsOutOfRange) {
    for (auto [rate, channels] : {std::pair{3999, 8}, {65536, 8}, {22050, -1}, {22050, 1025}}) {
        SilentStart s(rate, channels);
        EXPECT_EQ(s.result, 0) << rate << " " << channels;
        EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
        EXPECT_FALSE(sound_system().initialised);
    }
    for (auto [rate, channels] : {std::pair{4000, 8}, {65535, 8}, {22050, 0}, {22050, 1024}}) {
        SilentStart s(rate, channels);
        EXPECT_EQ(s.result, 1) << rate << " " << channels;
        EXPECT_EQ(sound_get_max_channels(), channels);
    }
}

TEST(SoundSystem, BufferRequestsRoundToQuartersAndDoubleAtStartUp) {
    SoundSettingsGuard settings;
    sound_set_buffer_size(10);
    EXPECT_EQ(sound_system().buffer_ms, 25);
    sound_set_buffer_size(74);
    EXPECT_EQ(sound_system().buffer_ms, 50);
    {
        SilentStart s(8000, 4, 75);
        EXPECT_EQ(sound_system().requested_buffer_ms, 75);
        // 150 ms at 8000 Hz is 1200 frames: less than two blocks, so two.
        EXPECT_EQ(sound_system().buffer_samples, 2048);
        sound_close();
        EXPECT_EQ(sound_system().buffer_ms, -1);  // closing forgets the request
    }
}

TEST(SoundSystem, BlocksAreAlways1024FramesAndTheRingHasAtLeastTwo) {
    for (int rate : {8000, 11025, 22050, 44100, 65535}) {
        SilentStart s(rate, 4);
        EXPECT_EQ(sound_system().block_samples, 1024) << rate;
        EXPECT_EQ(dsp_get_block_length(), 1024);
        EXPECT_EQ(sound_system().block_time, 1024 * 256000 / rate);
    }
    // The game's 75 ms request: 2, 3 and 6 blocks at its three rates.
    for (auto [rate, blocks] : {std::pair{11025, 2}, {22050, 3}, {44100, 6}}) {
        SilentStart s(rate, 4, 75);
        EXPECT_EQ(dsp_get_buffer_length(), blocks * 1024) << rate;
        EXPECT_EQ(sound_system().primary_sample->length, blocks * 1024);
    }
}

TEST(SoundSystem, NoSoftwareChannelsMeansNoPrimaryBufferOrMixer) {
    SilentStart s(22050, 0);
    ASSERT_EQ(s.result, 1);
    EXPECT_TRUE(sound_system().initialised);
    EXPECT_EQ(sound_system().primary_channel, nullptr);
    EXPECT_EQ(sound_system().primary_sample, nullptr);
    EXPECT_EQ(sound_system().mixer_thread, nullptr);
    EXPECT_EQ(sound_system().mixer, nullptr);
    sound_update();  // nothing to mix, nothing to break
}

TEST(SoundSystem, PreStartSettingsAreRefusedWhileRunning) {
    SoundSettingsGuard settings;
    EXPECT_EQ(sound_set_mixer(1), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    ASSERT_EQ(sound_set_mixer(MIXER_MONO), 1);
    SilentStart s;
    ASSERT_EQ(s.result, 1);
    EXPECT_EQ(sound_get_mixer(), MIXER_MONO);
    EXPECT_EQ(sound_set_mixer(MIXER_QUALITY_MONO), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_AFTER_INIT);
    EXPECT_EQ(sound_get_mixer(), MIXER_MONO);
    EXPECT_EQ(sound_set_buffer_size(200), 0);
    EXPECT_EQ(sound_set_output(OUTPUT_NOSOUND), 0);
    EXPECT_EQ(sound_get_output(), OUTPUT_NONREALTIME);
    EXPECT_EQ(sound_set_driver(0), 0);
    EXPECT_EQ(sound_set_output_param(3), 0);
    EXPECT_EQ(sound_set_min_hw_channels(1), 0);
    EXPECT_EQ(mem_set_system(nullptr, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_AFTER_INIT);
    uint32_t caps = 7;
    EXPECT_EQ(sound_get_driver_caps(0, &caps), 0);
}

TEST(SoundSystem, MixerTypesResolveAtStartUp) {
    SoundSettingsGuard settings;
    for (auto [asked, resolved] : {std::pair{0, MIXER_C}, {4, MIXER_QUALITY_C}, {8, MIXER_MONO}, {9, MIXER_QUALITY_MONO}}) {
        sound_set_mixer(asked);
        SilentStart s;
        EXPECT_EQ(sound_get_mixer(), resolved);
        EXPECT_EQ(sound_system().primary_sample->mode & (SAMPLE_MONO | SAMPLE_STEREO),
                  resolved >= MIXER_C ? uint32_t(SAMPLE_STEREO) : uint32_t(SAMPLE_MONO));
    }
}

TEST(SoundSystem, SecondStartUpReplacesTheFirst) {
    SilentStart s(22050, 8);
    SoundSample* first_buffer = sound_system().primary_sample;
    ASSERT_NE(first_buffer, nullptr);
    sound_set_output(OUTPUT_NONREALTIME);  // refused while running, harmless
    ASSERT_EQ(sound_init(44100, 16, 2), 1);
    EXPECT_EQ(sound_get_output_rate(), 44100);
    EXPECT_EQ(sound_get_max_channels(), 16);
    EXPECT_EQ(sound_system().channel_array_size, 16);
}

TEST(SoundSystem, QueriesBeforeStartUpFailWithNotReady) {
    SoundSettingsGuard settings;
    sound_close();
    sound_set_output(OUTPUT_NONREALTIME);
    ASSERT_EQ(sound_init(22050, 1, 2), 1);  // makes this thread the init thread
    sound_close();
    EXPECT_EQ(sound_get_max_samples(), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
    EXPECT_EQ(sound_get_channels_playing(), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
    EXPECT_EQ(sound_get_cpu_usage(), 0.0f);
    EXPECT_EQ(sound_get_output_handle(), 0u);
    EXPECT_EQ(channel_play_sound(kChannelFree, nullptr), -1);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
    EXPECT_EQ(dsp_get_sfx_unit(), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
    for (DspUnit* (*spare)() : {dsp_get_spare_unit_1, dsp_get_spare_unit_2}) {
        sound_set_output(OUTPUT_NONREALTIME);
        EXPECT_EQ(spare(), nullptr);
        EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
        ASSERT_EQ(sound_init(22050, 1, 2), 1);
        EXPECT_EQ(spare(), nullptr);  // the library runs, yet there is no such unit
        EXPECT_EQ(sound_get_error(), SOUND_OK);
        sound_close();
    }
}

TEST(SoundSystem, DriverListsAndTheSettingsBlock) {
    SoundSettingsGuard settings;
    sound_set_output(OUTPUT_NOSOUND);
    EXPECT_EQ(sound_get_num_drivers(), 1);
    EXPECT_STREQ(sound_get_driver_name(0), "No Sound Driver");
    EXPECT_STREQ(sound_get_driver_name(-4), "No Sound Driver");
    EXPECT_EQ(sound_get_driver_name(1), nullptr);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    // An index the driver does not have selects the no-sound output.
    sound_set_output(OUTPUT_NONREALTIME);
    EXPECT_EQ(sound_set_driver(5), 1);
    EXPECT_EQ(sound_get_output(), OUTPUT_NOSOUND);

    uint32_t block[kSettingsWords];
    ASSERT_EQ(sound_system().driver->get_settings(block), 1);
    EXPECT_EQ(block[29], 831u);
    EXPECT_EQ(block[14], 200u);
    EXPECT_EQ(int32_t(block[3]), -10000);
    float f;
    std::memcpy(&f, &block[1], 4);
    EXPECT_EQ(f, 7.5f);
    block[0] = 99;
    ASSERT_EQ(sound_system().driver->set_settings(block), 1);
    uint32_t again[kSettingsWords] = {};
    sound_system().driver->get_settings(again);
    EXPECT_EQ(again[0], 99u);
    block[0] = 0;
    sound_system().driver->set_settings(block);
    EXPECT_EQ(sound_system().driver->set_settings(nullptr), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
}

TEST(SoundSystem, ADeviceThatWillNotOpenFailsStartUpWithItsReasonAndOpensOnALaterTry) {
    SoundSettingsGuard settings;
    struct Case {
        int reason;    // what the device says
        int reported;  // what start-up leaves
    };
    const Case cases[] = {
        {SOUND_ERR_DEVICE_BUSY, SOUND_ERR_DEVICE_BUSY},
        {SOUND_ERR_OUTPUT, SOUND_ERR_OUTPUT},
        {SOUND_OK, SOUND_ERR_OUTPUT},  // a device that gives no reason still fails
    };
    for (const Case& c : cases) {
        sound_test::RefusingAudioDevice device(1, c.reason);
        sound_set_output(OUTPUT_AUDIO_DEVICE);
        EXPECT_EQ(sound_init(22050, 8, 2), 0) << c.reason;
        EXPECT_EQ(sound_get_error(), c.reported) << c.reason;
        EXPECT_FALSE(sound_system().initialised);
        // Not switched to the silent output behind the caller's back.
        EXPECT_EQ(sound_get_output(), OUTPUT_AUDIO_DEVICE);
        EXPECT_EQ(sound_system().driver, device.record());
        // The next try finds the device free and plays on it.
        ASSERT_EQ(sound_init(22050, 8, 2), 1) << c.reason;
        EXPECT_EQ(sound_system().driver, device.record());
        EXPECT_NE(sound_system().mixer_thread, nullptr);
        EXPECT_EQ(device.opens_tried(), 2);
        sound_close();
    }
}

TEST(SoundSystem, PanSeparationAndSpeakerMode) {
    SoundSettingsGuard settings;
    EXPECT_EQ(sound_set_pan_separation(0.5f), 128);
    EXPECT_EQ(sound_set_pan_separation(9.0f), 256);
    EXPECT_EQ(sound_set_pan_separation(-1.0f), 0);
    EXPECT_EQ(sound_set_pan_separation(std::nanf("")), 0);
    sound_set_output(OUTPUT_NOSOUND);
    sound_set_speaker_mode(2);
    EXPECT_EQ(sound_system().pan_separation, 0);
    sound_set_speaker_mode(4);
    EXPECT_EQ(sound_system().pan_separation, 256);
}

TEST(SoundSystem, NonRealtimeModeRunsWithoutThreadsOrLocks) {
    NonRealtimeSound s;
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(sound_system().mixer_thread, nullptr);
    EXPECT_EQ(sound_system().mixer->lock, nullptr);
    EXPECT_TRUE(sound_system().init_flags & SOUND_INIT_UPDATE_DRIVES);
    sound_update();
    EXPECT_EQ(s.frame_count(), 1024u);  // one block per update
}

TEST(SoundSystem, NoSoundOutputKeepsTheLibraryRunningWithoutBufferMemory) {
    SoundSettingsGuard settings;
    // The no-sound primary buffer locks as two empty pieces; mixing into it
    // must write nothing and go on.
    sound_set_output(OUTPUT_NONREALTIME);
    ASSERT_EQ(sound_init(22050, 4, 2), 1);
    EXPECT_EQ(sound_system().primary_sample->data, nullptr);
    SoundSample* s = sound_test::make_sample(sound_test::wave(4000, 440, 22050), 1, SAMPLE_LOOP_NORMAL, 22050);
    ASSERT_NE(s, nullptr);
    ASSERT_GE(channel_play_sound(kChannelFree, s), 0);
    for (int i = 0; i < 8; ++i) sound_update();
    EXPECT_EQ(sound_get_channels_playing(), 1);
}

}  // namespace
