// Helpers shared by the sound library's tests: a library started in the
// deterministic non-real-time mode with its output captured, test samples,
// and measurements of rendered sound.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "sound/system/sound.h"
#include "tests/sound/sound_settings_guard.h"

namespace sound_test {

// Waits (bounded) for a condition that other threads make true.
template <class Cond>
bool eventually(Cond cond, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Starts the library in non-real-time mode (output type 12) with every
// clipped block appended to `frames`; closes it again on destruction and
// leaves the settings as it found them.
class NonRealtimeSound {
    SoundSettingsGuard settings_;  // first made, last gone

public:
    NonRealtimeSound(int rate = 44100, int mixer = MIXER_QUALITY_AUTODETECT, int channels = 32, uint32_t flags = 0,
                     int buffer_ms = 75) {
        CaptureConfig config;
        config.sink = [this](const int16_t* data, int count, int ch) {
            out_channels = ch;
            frames.insert(frames.end(), data, data + size_t(count) * ch);
        };
        output_capture_configure(std::move(config));
        sound_srand(1);
        sound_set_output(OUTPUT_NONREALTIME);
        sound_set_mixer(mixer);
        sound_set_buffer_size(buffer_ms);
        ok = sound_init(rate, channels, flags) == 1;
        frames.clear();  // start-up mixes one silent block
    }
    // Closed before the frames go; the guard then puts the settings back.
    ~NonRealtimeSound() { sound_close(); }
    // Mixes whole blocks until at least `count` more frames were captured.
    void render_frames(size_t count) {
        const size_t target = frames.size() / size_t(out_channels) + count;
        while (frames.size() / size_t(out_channels) < target) sound_update();
    }
    size_t frame_count() const { return frames.size() / size_t(out_channels); }

    bool ok = false;
    int out_channels = 2;
    std::vector<int16_t> frames;
};

// A sine (or square) wave of `cycles_per_second` at `rate`, 16-bit.
inline std::vector<int16_t> wave(int length, double cycles_per_second, int rate, double amplitude = 16000.0,
                                 bool square = false) {
    std::vector<int16_t> v(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double s = std::sin(2.0 * M_PI * cycles_per_second * i / rate);
        v[size_t(i)] = int16_t(std::lround(square ? (s >= 0 ? amplitude : -amplitude) : s * amplitude));
    }
    return v;
}

// Creates a managed 16-bit sample holding `data` (interleaved when stereo).
inline SoundSample* make_sample(const std::vector<int16_t>& data, int channels, uint32_t loop_mode, int frequency,
                                int pan = 128) {
    const uint32_t mode = SAMPLE_16BITS | (channels == 2 ? SAMPLE_STEREO : SAMPLE_MONO) | loop_mode;
    const int length = int(data.size()) / channels;
    SoundSample* s = sample_create(kSampleAnyFree, length, mode, frequency, 255, pan, 128);
    if (!s) return nullptr;
    void *p1, *p2;
    int len1, len2;
    if (!sample_lock(s, 0, length * 2 * channels, &p1, &len1, &p2, &len2)) return nullptr;
    std::memcpy(p1, data.data(), size_t(len1));
    sample_unlock(s, p1, p2, len1, len2);
    return s;
}

// One channel of interleaved frames.
inline std::vector<int> channel_of(const std::vector<int16_t>& frames, int channels, int which) {
    std::vector<int> out;
    for (size_t i = size_t(which); i < frames.size(); i += size_t(channels)) out.push_back(frames[i]);
    return out;
}

// Upward zero crossings per second.
inline double measured_frequency(const std::vector<int>& x, int rate) {
    int crossings = 0;
    for (size_t i = 1; i < x.size(); ++i) crossings += (x[i - 1] < 0 && x[i] >= 0);
    return double(crossings) * rate / double(x.size());
}

inline double rms(const std::vector<int>& x) {
    double sum = 0;
    for (int v : x) sum += double(v) * v;
    return x.empty() ? 0.0 : std::sqrt(sum / double(x.size()));
}

inline uint64_t fnv1a(const std::vector<int16_t>& frames) {
    uint64_t h = 1469598103934665603ull;
    for (int16_t v : frames) {
        for (int b = 0; b < 2; ++b) {
            h ^= uint8_t(uint16_t(v) >> (8 * b));
            h *= 1099511628211ull;
        }
    }
    return h;
}

}  // namespace sound_test
