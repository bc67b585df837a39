// Rendering text into sprites with the demo font: menus re-render every
// text they draw, so a render must stay a small share of the 10-12 ms tick.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/font.h"
#include "engine/pictures/resource_caches.h"

namespace {

std::u16string paragraph(size_t length) {
    const std::u16string words = u"The old mill by the river turns again, and the baker sings. ";
    std::u16string text;
    while (text.size() < length) text += words;
    text.resize(length);
    return text;
}

// args: characters, style, align (0 left with wrap, 2 justified)
void render_text(benchmark::State& state) {
    set_program_folder(std::u16string(u"" NIMBREL_DEMO_DATA_DIR));
    g_file_system = new FileSystem;
    create_resource_caches();
    {
        Font font;
        if (font.load(u"font1") != 1) state.SkipWithError("font1 did not load");
        const std::u16string text = paragraph(size_t(state.range(0)));
        for (auto _ : state) {
            Sprite* sprite = font.render_text(text.c_str(), 200, 0, 0, int32_t(state.range(1)),
                                              int32_t(state.range(2)), -1);
            benchmark::DoNotOptimize(sprite);
            delete sprite;
        }
        state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
    }
    destroy_resource_caches();
    delete g_file_system;
    g_file_system = nullptr;
}

}  // namespace

BENCHMARK(render_text)
    ->ArgNames({"chars", "style", "align"})
    ->Args({40, 0, 0})
    ->Args({40, 1, 0})
    ->Args({200, 0, 0})
    ->Args({200, 0, 2})
    ->Args({400, 0, 0})
    ->Args({400, 1, 2})
    ->Unit(benchmark::kMicrosecond);
