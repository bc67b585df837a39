// Renders a sound through the sound library without a device: the library
// runs in its non-real-time mode into the capture output, and the mix is
// written as a 16-bit stereo WAV. A WAV sample plays once on one channel at
// its own rate, full volume, centre pan. An XM song plays once from order 0
// to its end (or for --max-seconds, default 600).
//
//   sound_render IN OUT.wav [--rate HZ] [--quality N] [--decode] [--max-seconds N]
//
// --quality picks the mixer and rate as the game's quality setting does
// (0..4, default 4); --rate overrides the rate. With --decode the output is
// the sample data the library holds after loading, in its own channel count
// and rate, without mixing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "sound/src/channel.h"
#include "sound/src/music_song.h"
#include "sound/src/output_capture.h"
#include "sound/src/sample_load.h"
#include "sound/src/sound_sample.h"
#include "sound/src/sound_system.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

struct Quality {
    int mixer_type;
    int rate;
};
// The game's quality table.
constexpr Quality kQualities[] = {{8, 11025}, {8, 22050}, {9, 22050}, {0, 22050}, {4, 44100}};
constexpr int kChannels = 32;
// The game's load mode: a memory block whose WAV header decides the format.
constexpr uint32_t kGameMode = 0x8130;
// The longest mix written, against a sound whose channel never ends.
constexpr int kMaxSeconds = 600;

struct Options {
    std::string in, out;
    int quality = 4;
    int rate = 0;
    int max_seconds = kMaxSeconds;
    bool decode = false;
};

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--decode") {
            options.decode = true;
        } else if ((arg == "--rate" || arg == "--quality" || arg == "--max-seconds") && i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (!end || *end || value < 0 || value > 1000000) return false;
            (arg == "--rate" ? options.rate : arg == "--quality" ? options.quality : options.max_seconds) = int(value);
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2 || options.quality < 0 || options.quality > 4) return false;
    if (options.rate != 0 && (options.rate < 4000 || options.rate > 65535)) return false;
    options.in = positional[0];
    options.out = positional[1];
    return true;
}

std::vector<uint8_t> read_input(const std::string& path) {
    std::vector<uint8_t> bytes = wav_writer::load(path);
    if (bytes.empty()) std::fprintf(stderr, "sound_render: cannot read %s\n", path.c_str());
    return bytes;
}

SoundSample* load(const std::vector<uint8_t>& bytes) {
    SoundSample* sample = sample_load(kSampleUnmanaged, bytes.data(), kGameMode, 0,
                                      int(bytes.size()));
    if (!sample) std::fprintf(stderr, "sound_render: the library refused the sound (error %d)\n", sound_get_error());
    return sample;
}

// The sample's own data as a WAV: 8-bit data goes back to unsigned bytes.
std::vector<uint8_t> decoded_wav(SoundSample* sample) {
    bool sixteen = sample->mode & SAMPLE_16BITS;
    int channels = (sample->mode & SAMPLE_STEREO) ? 2 : 1;
    int bytes = sample->length * channels * (sixteen ? 2 : 1);
    void *first = nullptr, *second = nullptr;
    int first_length = 0, second_length = 0;
    std::vector<uint8_t> data;
    if (sample_lock(sample, 0, bytes, &first, &first_length, &second, &second_length)) {
        data.assign(static_cast<uint8_t*>(first), static_cast<uint8_t*>(first) + first_length);
        if (second) data.insert(data.end(), static_cast<uint8_t*>(second), static_cast<uint8_t*>(second) + second_length);
        sample_unlock(sample, first, second, first_length, second_length);
    }
    if (sixteen) {
        std::vector<int16_t> values(data.size() / 2);
        std::memcpy(values.data(), data.data(), values.size() * 2);
        return wav_writer::pcm16(values, channels, sample->default_frequency);
    }
    bool is_signed = sample->mode & SAMPLE_SIGNED;
    for (uint8_t& b : data) b = uint8_t(is_signed ? b + 128 : b);
    return wav_writer::pcm8(data, channels, sample->default_frequency);
}

std::vector<int16_t> g_mix;  // captured stereo frames

void capture(const int16_t* frames, int count, int channels) {
    for (int i = 0; i < count; ++i) {
        int16_t left = frames[i * channels];
        g_mix.push_back(left);
        g_mix.push_back(channels > 1 ? frames[i * channels + 1] : left);
    }
}

bool start_library(int mixer_type, int rate) {
    CaptureConfig config;
    config.sink = capture;
    config.threaded = false;
    output_capture_configure(config);
    if (!sound_set_output(12) || !sound_set_mixer(mixer_type) || !sound_init(rate, kChannels, 0)) {
        std::fprintf(stderr, "sound_render: the library did not start (error %d)\n", sound_get_error());
        return false;
    }
    return true;
}

// Plays the sample once and mixes until its channel is done.
bool render(SoundSample* sample, int rate) {
    sample_set_mode(sample, SAMPLE_LOOP_OFF);
    int handle = channel_play_sound_ex(-1, sample, nullptr, 1);
    if (handle < 0) {
        std::fprintf(stderr, "sound_render: no channel for the sound (error %d)\n", sound_get_error());
        return false;
    }
    channel_set_volume(handle, 255);
    channel_set_pan(handle, 128);
    channel_set_paused(handle, 0);
    g_mix.clear();  // start-up mixed a silent block before the sound
    size_t limit = size_t(rate) * kMaxSeconds * 2;
    while (channel_is_playing(handle) && g_mix.size() < limit) sound_update();
    sound_update();  // the block holding the sound's last frames
    return true;
}

bool is_song(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 17 && std::memcmp(bytes.data(), "Extended Module: ", 17) == 0;
}

// Plays the song once from order 0 and mixes until it ends or the time is up.
bool render_song(const std::vector<uint8_t>& bytes, int rate, int max_seconds) {
    MusicSong* song = music_load_song_ex(bytes.data(), 0, int(bytes.size()), SONG_MODE_MEMORY | SONG_MODE_NO_LOOP,
                                         nullptr, 0);
    if (!song) {
        std::fprintf(stderr, "sound_render: the library refused the song (error %d)\n", sound_get_error());
        return false;
    }
    g_mix.clear();
    music_play_song(song);
    const size_t limit = size_t(rate) * size_t(max_seconds) * 2;
    while (music_is_playing(song) == 1 && g_mix.size() < limit) sound_update();
    if (g_mix.size() > limit) g_mix.resize(limit);
    music_free_song(song);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: sound_render IN OUT.wav [--rate HZ] [--quality 0..4] [--decode] [--max-seconds N]\n");
        return 2;
    }
    std::vector<uint8_t> input = read_input(options.in);
    if (input.empty()) return 1;
    Quality quality = kQualities[options.quality];
    int rate = options.rate ? options.rate : quality.rate;
    if (!start_library(quality.mixer_type, rate)) return 1;
    if (is_song(input) && !options.decode) {
        const bool rendered = render_song(input, rate, options.max_seconds);
        sound_close();
        if (!rendered) return 1;
        if (!wav_writer::save(options.out, wav_writer::pcm16(g_mix, 2, rate))) {
            std::fprintf(stderr, "sound_render: cannot write %s\n", options.out.c_str());
            return 1;
        }
        return 0;
    }

    SoundSample* sample = load(input);
    bool ok = sample != nullptr;
    std::vector<uint8_t> output;
    if (ok && options.decode) {
        output = decoded_wav(sample);
    } else if (ok && (ok = render(sample, rate))) {
        output = wav_writer::pcm16(g_mix, 2, rate);
    }
    sample_free(sample);
    sound_close();
    if (!ok) return 1;
    if (!wav_writer::save(options.out, output)) {
        std::fprintf(stderr, "sound_render: cannot write %s\n", options.out.c_str());
        return 1;
    }
    return 0;
}
