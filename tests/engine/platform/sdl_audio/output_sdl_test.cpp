// The audio device output on SDL2's dummy driver: it opens, plays and closes
// again and again; a missing driver fails start-up without a word.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sound/system/sound_system.h"
#include "tests/sound/sound_settings_guard.h"
#include "tests/sound/sound_test_support.h"

namespace {

using sound_test::eventually;
using sound_test::make_sample;
using sound_test::SoundSettingsGuard;
using sound_test::wave;

struct AudioDriverEnv {
    explicit AudioDriverEnv(const char* name) {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        had = old != nullptr;
        if (had) previous = old;
        setenv("SDL_AUDIODRIVER", name, 1);
    }
    ~AudioDriverEnv() {
        if (had) setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
        else unsetenv("SDL_AUDIODRIVER");
    }
    bool had = false;
    std::string previous;
};

TEST(SdlAudioOutput, AudioDeviceOpensPlaysAndClosesRepeatedly) {
    AudioDriverEnv env("dummy");
    SoundSettingsGuard settings;
    for (int round = 0; round < 100; ++round) {
        sound_set_output(OUTPUT_AUDIO_DEVICE);
        sound_set_mixer(round % 2 ? MIXER_MONO : MIXER_QUALITY_AUTODETECT);
        // 44.1 kHz keeps the dummy device's short buffers, so closing is quick.
        ASSERT_EQ(sound_init(44100, 8, 2), 1) << round;
        ASSERT_EQ(sound_get_output(), OUTPUT_AUDIO_DEVICE) << "the dummy device opens";
        EXPECT_NE(sound_get_output_handle(), 0u);
        ASSERT_NE(sound_system().mixer_thread, nullptr);
        if (round % 25 == 0) {
            SoundSample* tone = make_sample(wave(100, 441, 44100), 1, SAMPLE_LOOP_NORMAL, 44100);
            ASSERT_GE(channel_play_sound(kChannelFree, tone), 0);
            SoundChannel* primary = channel_lookup(kPrimaryChannel);
            EXPECT_TRUE(eventually([&] { return primary->ops.get_position(primary) > 4096; }));
        }
        sound_close();
        EXPECT_EQ(sound_system().mixer_thread, nullptr);
        EXPECT_TRUE(sound_system().mixer_done.load());
    }
}

TEST(SdlAudioOutput, MissingAudioDriverFailsStartUpQuietlyAndListsNoDevice) {
    // The caller decides what a failed start means (the game tries again or
    // goes on without sound and says so once), so the output says nothing.
    AudioDriverEnv env("no-such-audio-driver");
    SoundSettingsGuard settings;
    sound_set_output(OUTPUT_DEFAULT);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(sound_init(22050, 8, 2), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_OUTPUT);
    EXPECT_FALSE(sound_system().initialised);
    EXPECT_EQ(sound_get_output(), OUTPUT_AUDIO_DEVICE);
    EXPECT_EQ(sound_get_num_drivers(), 0);  // no device that a later try could find
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    // The no-sound output still starts and mixes.
    sound_set_output(OUTPUT_NOSOUND);
    ASSERT_EQ(sound_init(22050, 8, 2), 1);
    SoundSample* blip = make_sample(wave(2205, 441, 22050), 1, SAMPLE_LOOP_OFF, 22050);  // 100 ms
    const int h = channel_play_sound(kChannelFree, blip);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(eventually([&] { return channel_is_playing(h & kChannelIndexMask) == 0; }));
}

}  // namespace
