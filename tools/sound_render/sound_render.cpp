// Renders a sound through the sound library without a device: the library
// runs in its non-real-time mode into the capture output, and the mix is
// written as a 16-bit stereo WAV. A WAV sample plays once on one channel at
// its own rate, full volume, centre pan. An XM song plays once from order 0
// to its end, which is also where it first jumps back to an order it has
// already played (--loops N lets it go round N more times), or for
// --max-seconds (default 600). Each mixed block goes to the file as it is
// made, so memory stays small however long the song.
//
//   sound_render IN OUT.wav [--rate HZ] [--quality N] [--decode] [--max-seconds N] [--loops N]
//
// --quality picks the mixer and rate as the game's quality setting does
// (0..4, default 4); --rate overrides the rate. With --decode the output is
// the sample data the library holds after loading, in its own channel count
// and rate, without mixing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "sound/mixer/channel.h"
#include "sound/music/music_song.h"
#include "sound/output/output_capture.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_system.h"
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
    int loops = 0;
    bool decode = false;
};

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--decode") {
            options.decode = true;
        } else if ((arg == "--rate" || arg == "--quality" || arg == "--max-seconds" || arg == "--loops") &&
                   i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (!end || *end || value < 0 || value > 1000000) return false;
            int& target = arg == "--rate"      ? options.rate
                          : arg == "--quality" ? options.quality
                          : arg == "--loops"   ? options.loops
                                               : options.max_seconds;
            target = int(value);
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

// A 16-bit stereo WAV written as the frames come; the sizes in its header
// are filled in when it is finished. A file that could not be written in
// full is removed.
class WavStream {
public:
    bool open(const std::string& path, int rate) {
        path_ = path;
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_) return false;
        header_ = wav_writer::pcm16({}, 2, rate);
        ok_ = std::fwrite(header_.data(), 1, header_.size(), file_) == header_.size();
        return ok_;
    }
    bool is_open() const { return file_ != nullptr; }
    size_t frames() const { return frames_; }

    // Writes at most `limit` frames in all.
    void write(const int16_t* frames, int count, int channels, size_t limit) {
        if (!file_ || !ok_) return;
        const size_t n = std::min(size_t(std::max(count, 0)), limit > frames_ ? limit - frames_ : 0);
        // Sized once and written through a pointer: growing the vector a
        // byte pair at a time cost a fifth of a song's render.
        buffer_.resize(n * 4);
        uint8_t* out = buffer_.data();
        const int right = channels > 1 ? 1 : 0;
        for (size_t i = 0; i < n; ++i, out += 4) {
            write_u16le(out, uint16_t(frames[i * channels]));
            write_u16le(out + 2, uint16_t(frames[i * channels + right]));
        }
        frames_ += n;
        ok_ = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
    }

    // Fills in the sizes and closes the file; false (and no file) when any
    // write failed or the data would not fit a WAV's 32-bit sizes.
    bool finish() {
        if (!file_) return false;
        const uint64_t data_bytes = uint64_t(frames_) * 4;
        ok_ = ok_ && data_bytes + header_.size() - 8 <= UINT32_MAX;
        if (ok_) {
            write_u32le(header_.data() + 4, uint32_t(header_.size() - 8 + data_bytes));
            write_u32le(header_.data() + header_.size() - 4, uint32_t(data_bytes));
            ok_ = std::fseek(file_, 0, SEEK_SET) == 0 &&
                  std::fwrite(header_.data(), 1, header_.size(), file_) == header_.size();
        }
        ok_ = std::fclose(file_) == 0 && ok_;
        file_ = nullptr;
        if (!ok_) std::remove(path_.c_str());
        return ok_;
    }

    // Closes and removes a file that will not be finished.
    void discard() {
        if (!file_) return;
        std::fclose(file_);
        file_ = nullptr;
        std::remove(path_.c_str());
    }

private:
    std::string path_;
    FILE* file_ = nullptr;
    std::vector<uint8_t> header_;
    std::vector<uint8_t> buffer_;
    size_t frames_ = 0;
    bool ok_ = false;
};

WavStream g_out;
size_t g_frame_limit = 0;

void capture(const int16_t* frames, int count, int channels) { g_out.write(frames, count, channels, g_frame_limit); }

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

bool open_output(const std::string& out, int rate) {
    if (g_out.open(out, rate)) return true;
    std::fprintf(stderr, "sound_render: cannot write %s\n", out.c_str());
    g_out.discard();
    return false;
}

// Plays the sample once and mixes until its channel is done.
bool render(SoundSample* sample, int rate, const std::string& out) {
    sample_set_mode(sample, SAMPLE_LOOP_OFF);
    int handle = channel_play_sound_ex(-1, sample, nullptr, 1);
    if (handle < 0) {
        std::fprintf(stderr, "sound_render: no channel for the sound (error %d)\n", sound_get_error());
        return false;
    }
    channel_set_volume(handle, 255);
    channel_set_pan(handle, 128);
    channel_set_paused(handle, 0);
    // Start-up mixed a silent block before the sound: the file opens now.
    if (!open_output(out, rate)) return false;
    g_frame_limit = size_t(rate) * kMaxSeconds;
    while (channel_is_playing(handle) && g_out.frames() < g_frame_limit) sound_update();
    sound_update();  // the block holding the sound's last frames
    return true;
}

bool is_song(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 17 && std::memcmp(bytes.data(), "Extended Module: ", 17) == 0;
}

// Watches where a song plays: it has come round when it moves to an order
// it has already played since the last time round, or jumps back within the
// order it is in other than by a pattern loop.
class RoundWatch {
public:
    bool came_round(const MusicSong& song) {
        bool round = false;
        if (song.order != order_) round = !played_.insert(song.order).second;
        else round = song.row < row_ && !in_pattern_loop(song);
        order_ = song.order;
        row_ = song.row;
        if (round) played_ = {song.order};
        return round;
    }

private:
    static bool in_pattern_loop(const MusicSong& song) {
        for (int c = 0; c < song.channel_count; ++c)
            if (song.channels[c].loop_count != 0) return true;
        return false;
    }

    std::set<int> played_;
    int order_ = -1, row_ = 0;
};

// Plays the song from order 0 and mixes until it ends, comes round for the
// loops+1st time, or the time is up.
bool render_song(const std::vector<uint8_t>& bytes, int rate, const Options& options) {
    MusicSong* song = music_load_song_ex(bytes.data(), 0, int(bytes.size()), SONG_MODE_MEMORY | SONG_MODE_NO_LOOP,
                                         nullptr, 0);
    if (!song) {
        std::fprintf(stderr, "sound_render: the library refused the song (error %d)\n", sound_get_error());
        return false;
    }
    bool ok = open_output(options.out, rate);
    g_frame_limit = size_t(rate) * size_t(options.max_seconds);
    music_play_song(song);
    RoundWatch rounds;
    rounds.came_round(*song);
    int rounds_left = options.loops;
    while (ok && music_is_playing(song) == 1 && g_out.frames() < g_frame_limit) {
        sound_update();
        if (rounds.came_round(*song) && rounds_left-- == 0) break;
    }
    music_free_song(song);
    return ok;
}

// Finishes the file of a render that succeeded; removes it otherwise.
bool finish_output(bool rendered) {
    if (!rendered) {
        g_out.discard();
        return false;
    }
    if (g_out.finish()) return true;
    std::fprintf(stderr, "sound_render: cannot write the output file\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: sound_render IN OUT.wav [--rate HZ] [--quality 0..4] [--decode] [--max-seconds N] [--loops N]\n");
        return 2;
    }
    std::vector<uint8_t> input = read_input(options.in);
    if (input.empty()) return 1;
    Quality quality = kQualities[options.quality];
    int rate = options.rate ? options.rate : quality.rate;
    if (!start_library(quality.mixer_type, rate)) return 1;
    if (is_song(input) && !options.decode) {
        const bool rendered = render_song(input, rate, options);
        sound_close();
        return finish_output(rendered) ? 0 : 1;
    }

    SoundSample* sample = load(input);
    bool ok = sample != nullptr;
    if (ok && options.decode) {
        const std::vector<uint8_t> output = decoded_wav(sample);
        ok = wav_writer::save(options.out, output);
        if (!ok) std::fprintf(stderr, "sound_render: cannot write %s\n", options.out.c_str());
    } else if (ok) {
        ok = finish_output(render(sample, rate, options.out));
    }
    sample_free(sample);
    sound_close();
    return ok ? 0 : 1;
}
