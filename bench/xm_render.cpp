// Song rendering cost: generated modules of 16 and 32 channels, every channel
// playing notes with effects, rendered in the non-real-time mode into a sink
// that drops the output. Reports times faster than real time; also the cost
// of one song tick on 64 channels against the length of one mixer block.
// For comparison, the same modules are rendered to a file by the `xmp`
// command-line player (nearest interpolation, 44.1 kHz stereo) in the same
// run, when it is installed (tools/install-deps test).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/music/xm_effects.h"
#include "sound/system/sound.h"
#include "tools/xm_tools/xm_writer.h"

namespace {

// Four passes over one pattern of 64 rows at speed 6 and 125 BPM.
constexpr int kBusyOrders = 4;
constexpr double kBusySeconds = kBusyOrders * 64 * 6 * 0.02;

// Every channel plays a looping note each 4 rows with vibrato and volume
// slides, so every voice resamples and every tick has work to do.
std::vector<uint8_t> busy_module(int channels) {
    xm::Module m;
    m.channels = channels;
    m.orders = {0};
    xm::Pattern p;
    p.rows = 64;
    for (int row = 0; row < 64; ++row)
        for (int c = 0; c < channels; ++c) {
            xm::Cell& cell = p.at(row, c, channels);
            if ((row + c) % 4 == 0) cell = {uint8_t(37 + (row + c * 5) % 36), 1, 0x30, kFxVibrato, 0x46};
            else cell.effect = kFxVolumeSlide, cell.param = 0x01;
        }
    m.patterns.push_back(p);
    m.orders = std::vector<uint8_t>(kBusyOrders, 0);
    m.instruments.push_back(xm::simple_instrument(xm::square_sample(32, 64, 60, true)));
    return xm::write(m);
}

struct SongRenderer {
    SongRenderer(int rate, int mixer, int channels) {
        CaptureConfig config;
        config.sink = [](const int16_t*, int, int) {};
        output_capture_configure(std::move(config));
        sound_set_output(OUTPUT_NONREALTIME);
        sound_set_mixer(mixer);
        ok = sound_init(rate, 64, 0) == 1;
        bytes = busy_module(channels);
        song = music_load_song_ex(bytes.data(), 0, int(bytes.size()), SONG_MODE_MEMORY | SONG_MODE_LOOP, nullptr, 0);
        ok = ok && song && music_play_song(song) == 1;
    }
    ~SongRenderer() {
        if (song) music_free_song(song);
        sound_close();
        output_capture_configure({});
        sound_set_output(OUTPUT_DEFAULT);
        sound_set_mixer(MIXER_QUALITY_AUTODETECT);
    }
    bool ok = false;
    std::vector<uint8_t> bytes;
    MusicSong* song = nullptr;
};

// Arguments: mixer type (10 nearest, 11 interpolating), rate, song channels.
void BM_RenderSong(benchmark::State& state) {
    const int mixer = int(state.range(0)), rate = int(state.range(1)), channels = int(state.range(2));
    SongRenderer r(rate, mixer, channels);
    if (!r.ok) {
        state.SkipWithError("the library or the song did not start");
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        sound_update();
        frames += sound_system().block_samples;
    }
    state.counters["x_realtime"] = benchmark::Counter(double(frames) / rate, benchmark::Counter::kIsRate);
    state.counters["ns_per_voice_frame"] =
        benchmark::Counter(double(frames) * channels, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenderSong)
    ->ArgsProduct({{MIXER_C, MIXER_QUALITY_C}, {22050, 44100}, {16, 32}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();  // wall time, as for the xmp process below

// One tick of a 64-channel song (rows and effects, no mixing); compare with
// the block length printed as block_us.
void BM_SongTick64(benchmark::State& state) {
    SongRenderer r(44100, MIXER_C, 64);
    if (!r.ok) {
        state.SkipWithError("the library or the song did not start");
        return;
    }
    for (auto _ : state) xm_update_song(r.song);
    state.counters["block_us"] = 1e6 * sound_system().block_samples / 44100.0;
}
BENCHMARK(BM_SongTick64)->Unit(benchmark::kMicrosecond);

// The same module rendered once through by the xmp player into a raw file:
// the process start is included, against about 30 s of sound.
void BM_XmpRenderToFile(benchmark::State& state) {
    const int channels = int(state.range(0));
    if (std::system("command -v xmp > /dev/null 2>&1") != 0) {
        state.SkipWithError("xmp is not installed");
        return;
    }
    const std::string base = "/tmp/nimbrel-xmp-bench-" + std::to_string(getpid()) + "-" + std::to_string(channels);
    const std::vector<uint8_t> bytes = busy_module(channels);
    if (FILE* f = std::fopen((base + ".xm").c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const std::string command = "xmp --norc -q -i nearest -f 44100 -o " + base + ".raw " + base + ".xm > /dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("xmp failed");
            break;
        }
    }
    std::remove((base + ".xm").c_str());
    std::remove((base + ".raw").c_str());
    state.counters["x_realtime"] = benchmark::Counter(kBusySeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_XmpRenderToFile)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LoadSong32(benchmark::State& state) {
    SongRenderer r(44100, MIXER_C, 32);
    if (!r.ok) {
        state.SkipWithError("the library did not start");
        return;
    }
    for (auto _ : state) {
        MusicSong* song =
            music_load_song_ex(r.bytes.data(), 0, int(r.bytes.size()), SONG_MODE_MEMORY, nullptr, 0);
        music_free_song(song);
    }
}
BENCHMARK(BM_LoadSong32)->Unit(benchmark::kMicrosecond);

}  // namespace
