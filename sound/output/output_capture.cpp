#include "sound/output/output_capture.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "sound/mixer/sound_channel.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

namespace {

std::mutex g_config_lock;
CaptureConfig g_config;
std::atomic<int> g_open_count{0};
int g_channels = 2;
std::atomic<bool> g_playing{false};
std::chrono::steady_clock::time_point g_started;

void capture_enumerate() {
    SoundSystem& s = sound_system();
    s.driver_count = 1;
    std::strncpy(s.driver_names[0], "Capture", kDriverNameBytes - 1);
}

int capture_init(int);
void capture_block_written(const void* p1, int len1, const void* p2, int len2);

int ring_alloc(SoundSample* s) {
    g_channels = (s->mode & SAMPLE_STEREO) ? 2 : 1;
    const size_t bytes = size_t(s->length) * 2 * g_channels;
    void* block = SOUND_CALLOC(bytes);
    if (!block) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    s->data = s->data_block = block;
    return 1;
}

void ring_free(SoundSample* s) {
    SOUND_FREE(s->data_block);
    s->data = s->data_block = nullptr;
}

int ring_lock(SoundSample* s, int offset, int length, void** p1, void** p2, int* len1, int* len2) {
    return output_ring_lock(s->data, s->length * 2 * g_channels, offset, length, p1, p2, len1, len2);
}

int ring_unlock(SoundSample*, void*, void*, int, int) { return 1; }

void capture_sample_ops(SoundSample* s) {
    s->ops.alloc = ring_alloc;
    s->ops.free = ring_free;
    s->ops.lock = ring_lock;
    s->ops.unlock = ring_unlock;
}

int capture_start(DspUnit*, SoundChannel*, SoundSample*) {
    g_started = std::chrono::steady_clock::now();
    g_playing.store(true);
    return 1;
}

int capture_stop(SoundChannel*) {
    g_playing.store(false);
    return 1;
}

int64_t capture_position(SoundChannel* c) {
    if (!c->has_sample()) return 0;
    {
        std::lock_guard guard(g_config_lock);
        if (g_config.clock_frames) return g_config.clock_frames();
    }
    using namespace std::chrono;
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - g_started).count();
    return int64_t(elapsed) * sound_system().mix_rate / 1000;
}

void capture_channel_ops(SoundChannel* c) {
    c->ops.start = capture_start;
    c->ops.stop = capture_stop;
    c->ops.get_position = capture_position;
}

OutputDriver g_capture = {
    0, 0, 1, capture_enumerate, capture_init, nullptr, capture_sample_ops, capture_channel_ops,
    nullptr, nullptr, nullptr, output_update, output_pool_check, output_set_settings, output_get_settings,
    capture_block_written};

int capture_init(int) {
    SoundSystem& s = sound_system();
    g_open_count.fetch_add(1);
    capture_enumerate();
    std::lock_guard guard(g_config_lock);
    if (g_config.failing_opens > 0) {
        --g_config.failing_opens;
        return sound_set_error(SOUND_ERR_OUTPUT), 0;
    }
    s.hw_a_channels = s.hw_b_channels = 0;
    g_capture.realtime = (s.output_type != OUTPUT_NONREALTIME && g_config.threaded) ? 1 : 0;
    return 1;
}

void capture_block_written(const void* p1, int len1, const void* p2, int len2) {
    std::function<void(const int16_t*, int, int)> sink;
    {
        std::lock_guard guard(g_config_lock);
        sink = g_config.sink;
    }
    if (!sink) return;
    const int frame_bytes = 2 * g_channels;
    if (p1 && len1 > 0) sink(static_cast<const int16_t*>(p1), len1 / frame_bytes, g_channels);
    if (p2 && len2 > 0) sink(static_cast<const int16_t*>(p2), len2 / frame_bytes, g_channels);
}

}  // namespace

void output_capture_configure(CaptureConfig config) {
    std::lock_guard guard(g_config_lock);
    g_config = std::move(config);
    g_open_count.store(0);
}

bool output_capture_configured() {
    std::lock_guard guard(g_config_lock);
    return bool(g_config.sink);
}

int output_capture_open_count() { return g_open_count.load(); }

OutputDriver* output_capture_driver() { return &g_capture; }
