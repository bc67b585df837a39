// The audio device output on SDL2: one looping ring (the primary mix buffer)
// that the mixer keeps filled behind the play cursor, and an audio callback
// that plays it. The callback reads only blocks the mixer has finished, and
// the mixer never writes the block under the cursor; but a mixer that fell
// behind (a loaded machine) writes a block late, so the ring has its own
// lock, held by the mixer while it writes a block and by the callback while
// it copies. It is the innermost lock: nothing else is taken under it, so it
// cannot close a cycle with SDL's device lock (held around the callback) and
// the sound system's locks (held while the device is paused or resumed).
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "sound/mixer/mixer.h"
#include "sound/mixer/sound_channel.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

namespace {

constexpr int kCallbackFrames = 512;  // divides the 1024-frame mix block

struct DeviceState {
    SDL_AudioDeviceID device = 0;
    bool open = false;
    bool audio_initialised = false;
    std::atomic<bool> playing{false};
    std::mutex ring_mutex;
    const int16_t* ring = nullptr;
    int ring_frames = 0;
    int channels = 2;
    std::atomic<uint64_t> frames_played{0};
    // Bumped after each mixed block, read by the callback: orders the ring's
    // writes before the callback's reads.
    std::atomic<uint64_t> blocks_published{0};
};

DeviceState g_dev;
// Whether this thread holds the ring lock: an unlock without a lock (a
// caller's stray sample_unlock) must not release a mutex it does not own.
thread_local bool t_ring_held = false;

// Failures here say nothing on stderr: the caller tries a busy device again
// and again, and says once that the game goes on without sound.
bool ensure_audio_subsystem() {
    if (g_dev.audio_initialised) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    g_dev.audio_initialised = true;
    return true;
}

void release_audio_subsystem() {
    if (!g_dev.audio_initialised) return;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_dev.audio_initialised = false;
}

void sdl_enumerate() {
    SoundSystem& s = sound_system();
    s.driver_count = 0;
    if (!ensure_audio_subsystem()) return;
    const int n = SDL_GetNumAudioDevices(0);
    if (n < 0) {
        // The platform cannot list devices but has a default one.
        s.driver_count = 1;
        std::snprintf(s.driver_names[0], kDriverNameBytes, "%s", "Default audio output");
        return;
    }
    s.driver_count = std::min(n, kMaxDriverNames);
    for (int i = 0; i < s.driver_count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        std::snprintf(s.driver_names[i], kDriverNameBytes, "%s", name ? name : "");
    }
}

void audio_callback(void*, Uint8* stream, int len) {
    const int frame_bytes = 2 * g_dev.channels;
    const int frames = len / frame_bytes;
    if (!g_dev.playing.load(std::memory_order_acquire) || !g_dev.ring || g_dev.ring_frames <= 0) {
        std::memset(stream, 0, size_t(len));
        return;
    }
    g_dev.blocks_published.load(std::memory_order_acquire);
    std::lock_guard ring(g_dev.ring_mutex);
    int at = int(g_dev.frames_played.load(std::memory_order_relaxed) % uint64_t(g_dev.ring_frames));
    int done = 0;
    while (done < frames) {
        const int n = std::min(frames - done, g_dev.ring_frames - at);
        std::memcpy(stream + size_t(done) * frame_bytes, g_dev.ring + size_t(at) * g_dev.channels,
                    size_t(n) * frame_bytes);
        done += n;
        at = (at + n) % g_dev.ring_frames;
    }
    g_dev.frames_played.fetch_add(uint64_t(frames), std::memory_order_release);
}

int sdl_init(int rate) {
    SoundSystem& s = sound_system();
    sdl_enumerate();
    if (s.driver_count == 0) {
        release_audio_subsystem();
        return sound_set_error(SOUND_ERR_OUTPUT), 0;
    }
    const int mixer = s.mixer_type;
    g_dev.channels = (mixer == MIXER_MONO || mixer == MIXER_QUALITY_MONO) ? 1 : 2;
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = Uint8(g_dev.channels);
    want.samples = kCallbackFrames;
    want.callback = audio_callback;
    const char* name = s.driver_index >= 0 ? SDL_GetAudioDeviceName(s.driver_index, 0) : nullptr;
    // No allowed changes: SDL converts, so any rate and channel count plays.
    g_dev.device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (g_dev.device == 0) {
        release_audio_subsystem();
        return sound_set_error(SOUND_ERR_OUTPUT), 0;
    }
    g_dev.open = true;
    s.hw_a_channels = s.hw_b_channels = 0;
    return 1;
}

void halt_callback() {
    g_dev.playing.store(false, std::memory_order_release);
    if (!g_dev.device) return;
    SDL_PauseAudioDevice(g_dev.device, 1);
    // A running callback finishes before the lock is granted.
    SDL_LockAudioDevice(g_dev.device);
    SDL_UnlockAudioDevice(g_dev.device);
}

void sdl_close() {
    halt_callback();
    if (g_dev.device) SDL_CloseAudioDevice(g_dev.device);
    g_dev.device = 0;
    g_dev.open = false;
    release_audio_subsystem();
}

uintptr_t sdl_handle() { return g_dev.device; }

int ring_alloc(SoundSample* s) {
    const int channels = (s->mode & SAMPLE_STEREO) ? 2 : 1;
    void* block = SOUND_CALLOC(size_t(s->length) * 2 * channels);
    if (!block) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    s->data = s->data_block = block;
    g_dev.ring = static_cast<const int16_t*>(block);
    g_dev.ring_frames = s->length;
    return 1;
}

void ring_free(SoundSample* s) {
    halt_callback();
    g_dev.ring = nullptr;
    g_dev.ring_frames = 0;
    SOUND_FREE(s->data_block);
    s->data = s->data_block = nullptr;
}

int ring_lock(SoundSample* s, int offset, int length, void** p1, void** p2, int* len1, int* len2) {
    const int channels = (s->mode & SAMPLE_STEREO) ? 2 : 1;
    if (!output_ring_lock(s->data, s->length * 2 * channels, offset, length, p1, p2, len1, len2)) return 0;
    if (!t_ring_held) g_dev.ring_mutex.lock();
    t_ring_held = true;
    return 1;
}

int ring_unlock(SoundSample*, void*, void*, int, int) {
    if (t_ring_held) g_dev.ring_mutex.unlock();
    t_ring_held = false;
    return 1;
}

void sdl_sample_ops(SoundSample* s) {
    s->ops.alloc = ring_alloc;
    s->ops.free = ring_free;
    s->ops.lock = ring_lock;
    s->ops.unlock = ring_unlock;
}

int sdl_start(DspUnit*, SoundChannel*, SoundSample*) {
    if (!g_dev.device) return sound_set_error(SOUND_ERR_START), 0;
    g_dev.frames_played.store(0);
    g_dev.playing.store(true, std::memory_order_release);
    SDL_PauseAudioDevice(g_dev.device, 0);
    return 1;
}

int sdl_stop(SoundChannel*) {
    halt_callback();
    g_dev.frames_played.store(0);
    return 1;
}

int64_t sdl_position(SoundChannel* c) {
    if (!c->has_sample()) return 0;
    return int64_t(g_dev.frames_played.load(std::memory_order_acquire));
}

void sdl_channel_ops(SoundChannel* c) {
    c->ops.start = sdl_start;
    c->ops.stop = sdl_stop;
    c->ops.get_position = sdl_position;
}

void sdl_block_written(const void*, int, const void*, int) {
    g_dev.blocks_published.fetch_add(1, std::memory_order_release);
}

OutputDriver g_sdl = {0, 0, 1, sdl_enumerate, sdl_init, sdl_close, sdl_sample_ops, sdl_channel_ops, nullptr,
                      sdl_handle, nullptr, output_update, output_pool_check, output_set_settings,
                      output_get_settings, sdl_block_written};

// Every program linking this target plays through SDL: the target is linked
// as objects, so this runs before main.
const bool kInstalled = (set_audio_device_driver(&g_sdl), true);

}  // namespace
