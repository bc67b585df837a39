// The combat effects, headless, against the game's logic tick of 12 ms
// (counters "*_of_tick" are shares of one tick; below 1 a frame fits):
//
//  - the worst frame (logic and drawing) while three dense particle effects,
//    a shake of the whole scene and ten flying texts run at once over a
//    fight's scene, with p50 and p99 beside it, and the heap allocations
//    (operator new) per frame;
//  - starting an action whose four effect files are read from loose files,
//    up to its first frame;
//  - reading the demo's heaviest script ("bash", every line taken) and its
//    four effect files, from the demo's loose files and from its data.zip
//    alone.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <vector>

#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/text_effects.h"
#include "game/effects/action_player.h"
#include "game/effects/effect_file.h"

namespace {

std::atomic<uint64_t> g_heap_news{0};

}  // namespace

// Every heap request of the program is counted (the pooled engine objects
// come from the pool's pages and are counted only when a page is made). The
// replacement pair is malloc and free, which GCC cannot see through.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t n) {
    ++g_heap_news;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

constexpr double kTickUs = 12000;

std::filesystem::path bench_folder() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(NIMBREL_TEST_DATA_DIR) / "bench_combat_effects";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* part : {"fonts", "gfx", "combat"})
        fs::copy(fs::path(NIMBREL_DEMO_DATA_DIR) / part, folder / part, fs::copy_options::recursive);
    fs::create_directories(folder / "texteffect");
    fs::create_directories(folder / "effects");
    fs::create_directories(folder / "actions");
    std::ofstream(folder / "texteffect" / "texteffects.ini") << "[fly]\neffect = LETTER_MOVE_FLY\nFLY_DIR = 1\nFLY_SPEED = 1\n";
    std::ofstream(folder / "texteffect" / "textanims.ini") << "[fly]\nfont = \"gemfont\"\neffect1 = \"fly\"\n";
    // Denser than any demo effect: 12 sparks a frame living 30 frames.
    for (int i = 0; i < 3; ++i)
        std::ofstream(folder / "effects" / ("dense" + std::to_string(i) + ".txt"))
            << "[dense" << i << "]\nType = PARTICLESYS\nSprite = \"gfx/spark.spr\"\nAnimate = 1\nChgAlpha = 2\n"
            << "S = 2\nP1 = 40\nP2 = 20\nP3 = 30000\nGY = 4000\nTTL = 30\nSpawnCount = 12\nAlphaSpeed = 1\n"
            << "Place = " << 30 + 60 * i << ", 100\n";
    std::ofstream(folder / "effects" / "quake.txt") << "[quake]\nType = EARTHSHAKE\nShakeSize = 3\n";
    std::ofstream(folder / "actions" / "storm.txt")
        << "[storm]\nEffect = 1, 0, 300, \"dense0\", 1\nEffect = 1, 0, 300, \"dense1\", 1\n"
        << "Effect = 1, 0, 300, \"dense2\", 1\nEffect = 1, 0, 300, \"quake\", 1\n";
    return folder;
}

struct EffectScene {
    std::vector<uint16_t> screen = std::vector<uint16_t>(240 * 320, 0);
    DrawTarget target = whole_surface_target(screen.data(), {240, 320});
    Layer layer;
    SpriteGroup* scene = new SpriteGroup;
    TextEffects* texts = new TextEffects;
    Sprite* hero = nullptr;
    Sprite* monster = nullptr;
    ActionPlayer player{nullptr};

    EffectScene() {
        set_program_folder(bench_folder().u16string());
        g_file_system = new FileSystem;
        create_resource_caches();
        layer.set_size(240, 320);
        layer.add(scene, 100);
        layer.add(texts, 2000);
        scene->create_bitmap_sprite(u"combat/background/wood.bmp", 0, 0, 1);
        hero = scene->create_sprite(u"combat/monsters/player_base.spr", 230, 200, 100, 0, 0, 0);
        monster = scene->create_sprite(u"combat/monsters/cbriarrat.spr", 20, 200, 100, 0, 0, 0);
    }
    ~EffectScene() {
        while (player.running_count() > 0) player.remove_action(0);
        player.detach_layer();
        layer.remove(scene);
        layer.remove(texts);
        destroy_resource_caches();
        delete g_file_system;
        g_file_system = nullptr;
    }
    void start_storm() { player.load_action("storm", scene, hero, monster, 0, 0, -1, -1, -1); }
    void start_texts() {
        texts->remove_all();
        for (int i = 0; i < 10; ++i) texts->create("fly", u"Critical hit!", 120, 20 + i * 28, 32, true, true, 0);
    }
    void frame() {
        player.update();
        texts->update();
        layer.draw(target);
        benchmark::DoNotOptimize(screen.data());
    }
};

double thread_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void BM_WorstEffectFrame(benchmark::State& state) {
    EffectScene s;
    std::vector<double> us;
    uint64_t news = 0;
    int frames = 0;
    for (auto _ : state) {
        if (frames % 200 == 0) {
            state.PauseTiming();
            while (s.player.running_count() > 0) s.player.remove_action(0);
            s.start_storm();
            s.start_texts();
            for (int i = 0; i < 40; ++i) s.frame();  // up to full particle counts
            state.ResumeTiming();
        }
        ++frames;
        const uint64_t news_before = g_heap_news;
        const double start = thread_cpu_us();
        s.frame();
        us.push_back(thread_cpu_us() - start);
        news += g_heap_news - news_before;
    }
    std::sort(us.begin(), us.end());
    state.counters["worst_of_tick"] = us.back() / kTickUs;
    state.counters["p99_of_tick"] = us[us.size() * 99 / 100] / kTickUs;
    state.counters["p50_of_tick"] = us[us.size() / 2] / kTickUs;
    state.counters["worst_us"] = us.back();
    state.counters["heap_news_per_frame"] = double(news) / double(us.size());
    state.counters["effect_sprites"] = double(s.player.effect_layer()->sprites().count());
}
BENCHMARK(BM_WorstEffectFrame)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_LoadActionWithLooseEffectFiles(benchmark::State& state) {
    EffectScene s;
    double total = 0;
    for (auto _ : state) {
        const double start = thread_cpu_us();
        s.start_storm();
        s.player.update();  // frame 0 reads the four effect files
        total += thread_cpu_us() - start;
        state.PauseTiming();
        s.player.remove_action(0);
        state.ResumeTiming();
    }
    state.counters["of_tick"] = total / double(state.iterations()) / kTickUs;
}
BENCHMARK(BM_LoadActionWithLooseEffectFiles)->Unit(benchmark::kMicrosecond);

// The demo data as the program folder: its loose files (arg 0), or a folder
// holding nothing but its data.zip (arg 1).
void BM_ReadDemoActionAndEffectFiles(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path folder = NIMBREL_DEMO_DATA_DIR;
    if (state.range(0) == 1) {
        folder = fs::path(NIMBREL_TEST_DATA_DIR) / "bench_combat_effects_zip";
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(fs::path(NIMBREL_DEMO_DATA_DIR) / "data.zip", folder / "data.zip");
    }
    set_program_folder(folder.u16string());
    g_file_system = new FileSystem;
    create_resource_caches();
    int effects = 0;
    {
        ActionPlayer player(nullptr);
        double total = 0;
        for (auto _ : state) {
            const double start = thread_cpu_us();
            player.load_action("bash", nullptr, nullptr, nullptr, 0, 0, -1, -1, -1);
            effects = 0;
            for (const ActionEffect& effect : player.action(0).effects) {
                EffectFile file;
                effects += file.load(effect.name) ? 1 : 0;
            }
            total += thread_cpu_us() - start;
            state.PauseTiming();
            player.remove_action(0);
            state.ResumeTiming();
        }
        state.counters["of_tick"] = total / double(state.iterations()) / kTickUs;
        state.counters["effect_files_read"] = effects;
    }
    destroy_resource_caches();
    delete g_file_system;
    g_file_system = nullptr;
}
BENCHMARK(BM_ReadDemoActionAndEffectFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
