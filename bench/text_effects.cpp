// Ten per-letter text animations (flying, turning and pixel-waving letters)
// stepped and drawn into a 240x320 frame, as combat shows its messages; the
// game's tick is 10-12 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/layer.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/text_effects.h"

namespace {

std::filesystem::path bench_folder() {
    const std::filesystem::path folder = std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "bench_text_effects";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "texteffect");
    std::filesystem::copy(std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "fonts", folder / "fonts");
    std::ofstream(folder / "texteffect" / "texteffects.ini")
        << "[fly]\neffect = LETTER_MOVE_FLY\nFLY_DIR = 1\nFLY_SPEED = 1\n"
           "[turn]\neffect = LETTER_ROTATE\nROTATION_WAIT = 0\nROTATION_STEP = 10\nROTATION_REPEAT = 100000\n"
           "[wave]\neffect = LETTER_PIXEL_SINUS\nPIX_WAVE_MAX = 6\n";
    std::ofstream(folder / "texteffect" / "textanims.ini")
        << "[fly]\nfont = \"gemfont\"\neffect1 = \"fly\"\n"
           "[turn]\nfont = \"gemfont\"\neffect1 = \"turn\"\n"
           "[wave]\nfont = \"gemfont\"\neffect1 = \"wave\"\n";
    return folder;
}

void text_effects_frame(benchmark::State& state) {
    const std::filesystem::path folder = bench_folder();
    set_program_folder(folder.u16string());
    g_file_system = new FileSystem;
    create_resource_caches();
    std::vector<uint16_t> screen(240 * 320, 0);
    const DrawTarget target = whole_surface_target(screen.data(), {240, 320});
    {
        Layer layer;
        layer.set_size(240, 320);
        auto* effects = new TextEffects;
        layer.add(effects, 0);
        const char* kinds[] = {"fly", "turn", "wave"};
        auto start_all = [&] {
            effects->remove_all();
            for (int i = 0; i < 10; ++i)
                effects->create(kinds[i % 3], u"Critical hit!", 120, 20 + i * 28, 32, true, true, 0);
        };
        start_all();
        int frames = 0;
        for (auto _ : state) {
            if (++frames % 200 == 0) start_all();  // before the flying letters leave the screen
            effects->update();
            layer.draw(target);
            benchmark::DoNotOptimize(screen.data());
        }
    }
    destroy_resource_caches();
    delete g_file_system;
    g_file_system = nullptr;
}

}  // namespace

BENCHMARK(text_effects_frame)->Unit(benchmark::kMicrosecond);
