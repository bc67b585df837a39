// IMA ADPCM decoding speed (output samples per second) of the decoders, of a
// whole WAV load from memory (the game's path), and, side by side, of sox
// decoding the same file to raw as a separate process.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/files/sound_file.h"
#include "sound/formats/adpcm.h"
#include "sound/formats/wav_reader.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"
#include "tools/wav_tools/ima_encoder.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

constexpr int kRate = 22050;
constexpr int kSeconds = 30;

std::vector<int16_t> signal(int channels) {
    std::vector<int16_t> pcm(size_t(kRate) * kSeconds * channels);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = int16_t(12000 * std::sin(double(i) * 0.013) + 6000 * std::sin(double(i) * 0.31));
    return pcm;
}

struct Encoded {
    int channels, block_align, samples_per_block;
    std::vector<uint8_t> data;
    std::vector<uint8_t> wav;
    int blocks() const { return int(data.size()) / block_align; }
    int64_t samples() const { return int64_t(blocks()) * samples_per_block * channels; }
};

const Encoded& encoded(int channels) {
    static Encoded mono{1, 256, 505, {}, {}}, stereo{2, 512, 505, {}, {}};
    Encoded& e = channels == 1 ? mono : stereo;
    if (e.data.empty()) {
        e.data = ima_encoder::encode(signal(channels), channels, e.block_align, e.samples_per_block);
        e.wav = wav_writer::riff({wav_writer::adpcm_format(channels, kRate, e.block_align, e.samples_per_block),
                                  wav_writer::data(e.data)});
    }
    return e;
}

void BM_ImaDecodeBlocks(benchmark::State& state) {
    const Encoded& e = encoded(int(state.range(0)));
    std::vector<int16_t> out(size_t(e.samples()));
    for (auto _ : state) {
        int ok = e.channels == 1
                     ? adpcm_decode_mono(e.data.data(), out.data(), e.blocks(), e.block_align, e.samples_per_block, 1)
                     : adpcm_decode_stereo(e.data.data(), out.data(), e.blocks(), e.block_align, e.samples_per_block);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * e.samples());
}
BENCHMARK(BM_ImaDecodeBlocks)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The library runs in its non-real-time mode without a device.
void start_library() {
    static bool started = [] {
        sound_set_output(OUTPUT_NONREALTIME);
        return sound_init(kRate, 8, 0) == 1;
    }();
    (void)started;
}

// Loads the WAV from memory as the game does; reports the library memory a
// loaded sample holds (bytes_per_sample) against the file's size.
void load_from_memory(benchmark::State& state, const std::vector<uint8_t>& wav, int64_t samples) {
    start_library();
    uint64_t held = 0;
    for (auto _ : state) {
        uint64_t before = 0, after = 0;
        sound_mem_get_stats(&before, nullptr);
        SoundFile* file = sound_file_open(wav.data(), SOUND_FILE_MEMORY, int(wav.size()));
        uint32_t mode = 0x8130;
        SoundSample* sample = wav_load_sample(kSampleUnmanaged, file, &mode);
        sound_file_close(file);
        sound_mem_get_stats(&after, nullptr);
        held = after - before;
        if (!sample) {
            state.SkipWithError("load failed");
            break;
        }
        sample_free(sample);
    }
    state.SetItemsProcessed(state.iterations() * samples);
    state.counters["sample_bytes_held"] = double(held);
    state.counters["file_bytes"] = double(wav.size());
}

void BM_WavLoadFromMemoryAdpcm(benchmark::State& state) {
    const Encoded& e = encoded(int(state.range(0)));
    load_from_memory(state, e.wav, e.samples());
}
BENCHMARK(BM_WavLoadFromMemoryAdpcm)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_WavLoadFromMemoryPcm(benchmark::State& state) {
    static std::vector<int16_t> pcm = signal(1);
    static std::vector<uint8_t> wav = wav_writer::pcm16(pcm, 1, kRate);
    load_from_memory(state, wav, int64_t(pcm.size()));
}
BENCHMARK(BM_WavLoadFromMemoryPcm)->Unit(benchmark::kMillisecond);

// Whole-process decoding of the same file to raw samples.
std::string bench_file(int channels) {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("bench_ima_" + std::to_string(channels) + ".wav");
    if (!std::filesystem::exists(path)) wav_writer::save(path.string(), encoded(channels).wav);
    return path.string();
}

void run_process(benchmark::State& state, const std::string& command, int64_t samples) {
    for (auto _ : state) {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * samples);
}

void BM_SoxProcessDecode(benchmark::State& state) {
    int channels = int(state.range(0));
    run_process(state, "sox -D " + bench_file(channels) + " -t raw -e signed -b 16 -L /dev/null",
                encoded(channels).samples());
}
BENCHMARK(BM_SoxProcessDecode)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file through our render tool's decode path (load and write back).
void BM_SoundRenderProcessDecode(benchmark::State& state) {
    int channels = int(state.range(0));
    std::string tool = std::string(NIMBREL_TEST_DATA_DIR) + "/../tools/sound_render/sound_render";
    std::string out = (std::filesystem::temp_directory_path() / "bench_ima_decoded.wav").string();
    run_process(state, tool + " " + bench_file(channels) + " " + out + " --decode", encoded(channels).samples());
}
BENCHMARK(BM_SoundRenderProcessDecode)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
