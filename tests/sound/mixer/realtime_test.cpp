// The library with its threads: the mixer thread against a clock, the poll
// that feeds the output ring, the watchdog reopening a stalled output, and
// game and music threads playing at once. These are the tests the
// ThreadSanitizer build runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "sound/mixer/mixer.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace std::chrono_literals;
using sound_test::make_sample;
using sound_test::wave;

using sound_test::eventually;

struct CaptureOutput {
    sound_test::SoundSettingsGuard settings;  // made before the library starts, gone after it closes

    explicit CaptureOutput(bool threaded, std::function<int64_t()> clock = nullptr, int rate = 44100) {
        CaptureConfig config;
        config.threaded = threaded;
        config.clock_frames = std::move(clock);
        config.sink = [this](const int16_t* data, int count, int channels) {
            std::lock_guard guard(lock);
            if (sound_system().primary_sample)
                blocks.push_back(int((data - static_cast<const int16_t*>(sound_system().primary_sample->data)) /
                                     (1024 * channels)));
            for (int i = 0; i < count * channels; ++i) peak = std::max(peak, std::abs(int(data[i])));
            frames += count;
        };
        output_capture_configure(std::move(config));
        sound_set_output(OUTPUT_CAPTURE);
        sound_set_buffer_size(75);
        ok = sound_init(rate, 16, 2) == 1;
    }
    ~CaptureOutput() { sound_close(); }  // before the sink's state goes
    std::vector<int> take_blocks() {
        std::lock_guard guard(lock);
        return std::exchange(blocks, {});
    }
    std::mutex lock;
    std::vector<int> blocks;
    int peak = 0;
    int64_t frames = 0;
    bool ok = false;
};

TEST(Realtime, PollFillsEveryBlockBehindTheCursorAndNeverTheOneUnderIt) {
    CaptureOutput out(false);
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(sound_system().buffer_samples, 6 * 1024);
    EXPECT_EQ(sound_system().mixer_thread, nullptr);
    out.take_blocks();
    mixer_poll(0);
    EXPECT_TRUE(out.take_blocks().empty());
    mixer_poll(3 * 1024 + 5);
    EXPECT_EQ(out.take_blocks(), (std::vector<int>{0, 1, 2}));
    mixer_poll(5 * 1024);
    EXPECT_EQ(out.take_blocks(), (std::vector<int>{3, 4}));
    mixer_poll(6 * 1024 + 1);  // the cursor wrapped to block 0
    EXPECT_EQ(out.take_blocks(), (std::vector<int>{5}));
    mixer_poll(10 * 1024 + 7);  // far behind: catches up to block 4
    EXPECT_EQ(out.take_blocks(), (std::vector<int>{0, 1, 2, 3}));
}

std::atomic<int64_t> g_wall{0}, g_ticks{0};
int64_t fake_wall() { return g_wall.load(); }
int64_t fake_ticks() { return g_ticks.load(); }

TEST(Realtime, StalledOutputIsReopenedOnceAndPlaysAgain) {
    CaptureOutput out(false);
    ASSERT_TRUE(out.ok);
    output_watchdog_set_clocks(fake_wall, fake_ticks);
    output_watchdog_reset();
    ce_take_output_reset();
    const int opens = output_capture_open_count();
    for (int poll = 0; poll < 81; ++poll) mixer_poll(2048);
    EXPECT_EQ(output_capture_open_count(), opens);
    mixer_poll(2048);
    EXPECT_EQ(output_capture_open_count(), opens + 1);
    EXPECT_EQ(ce_take_output_reset(), 1);
    EXPECT_TRUE(channel_is_playing(kPrimaryChannel));
    // Movement resets the count: no reopen for a moving position.
    for (int poll = 0; poll < 100; ++poll) mixer_poll(2048 + poll);
    EXPECT_EQ(output_capture_open_count(), opens + 1);
    // A suspend (boot clock jumps, monotonic does not) reopens at once, and
    // a device that refuses twice is retried until it opens.
    output_capture_configure([] {
        CaptureConfig again;
        again.threaded = false;
        again.failing_opens = 2;
        return again;
    }());
    g_wall += 5000;
    g_ticks += 10;
    mixer_poll(4096);
    EXPECT_EQ(output_capture_open_count(), 3);
    EXPECT_EQ(ce_take_output_reset(), 1);
}

TEST(Realtime, MixerThreadFollowsTheClock) {
    std::atomic<int64_t> clock{0};
    CaptureOutput out(true, [&clock] { return clock.load(); });
    ASSERT_TRUE(out.ok);
    EXPECT_NE(sound_system().mixer_thread, nullptr);
    SoundSample* tone = make_sample(wave(100, 441, 44100), 1, SAMPLE_LOOP_NORMAL, 44100);
    ASSERT_GE(channel_play_sound(kChannelFree, tone), 0);
    clock.store(4 * 1024 + 100);
    ASSERT_TRUE(eventually([&] {
        std::lock_guard guard(out.lock);
        return out.blocks.size() >= 4;
    }));
    std::this_thread::sleep_for(30ms);
    const auto blocks = out.take_blocks();
    EXPECT_EQ(blocks, (std::vector<int>{0, 1, 2, 3}));
    std::lock_guard guard(out.lock);
    EXPECT_GT(out.peak, 10000);
}

TEST(Realtime, GameAndMusicThreadsPlayAndFreeAtOnce) {
    CaptureOutput out(true);
    ASSERT_TRUE(out.ok);
    SoundSample* song_voice = make_sample(wave(100, 441, 44100), 1, SAMPLE_LOOP_NORMAL, 44100);
    sample_set_defaults(song_voice, -1, -1, -1, 255);
    std::atomic<bool> stop{false};
    // Plays like a song: takes channels at priority 255, reserves and frees them.
    std::thread music([&] {
        while (!stop.load()) {
            const int h = channel_play_sound_ex(kChannelFree, song_voice, nullptr, 0);
            if (h >= 0) {
                channel_set_reserved(h, 1);
                channel_set_volume(h, 100);
                channel_set_frequency(h, 22050 + (h & 0xFF));
                channel_set_reserved(h, 0);
                channel_stop_sound(h);
            }
        }
    });
    for (int i = 0; i < 10000; ++i) {
        SoundSample* s = make_sample(wave(64, 689, 44100), 1, i % 3 ? SAMPLE_LOOP_OFF : SAMPLE_LOOP_NORMAL, 44100);
        ASSERT_NE(s, nullptr);
        const int h = channel_play_sound(kChannelFree, s);
        if (i % 2) channel_stop_sound(h);
        channel_set_pan(h, i & 0xFF);
        if (i % 5 == 0) std::this_thread::yield();
        sample_free(s);
    }
    stop.store(true);
    music.join();
    EXPECT_EQ(sound_system().sample_capacity, 256);
}

}  // namespace
