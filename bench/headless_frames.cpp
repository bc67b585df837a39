// Wall time per frame of the headless back end running the shell's frame
// loop on the empty "Load" scene: 10,000 frame timers of 5 ms each.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "engine/app/shell.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"

namespace {

void BM_HeadlessEmptySceneFrames(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/bench_headless_frames/";
    std::filesystem::create_directories(folder);
    set_state_folder(utf8_to_utf16(folder));
    constexpr uint32_t kFrames = 10000;
    for (auto _ : state) {
        HeadlessPlatform host;
        set_platform(&host);
        // The engine starts at 100 ms; the frame timer then fires every 5 ms.
        host.close_at(100 + kFrames * 5 + 1);
        run_shell();
        set_platform(nullptr);
    }
    // items_per_second is frames per second of wall time.
    state.SetItemsProcessed(state.iterations() * kFrames);
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_HeadlessEmptySceneFrames)->Unit(benchmark::kMillisecond);
