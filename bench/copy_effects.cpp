// One frame of the effects that copy their fighters, all ten at once on the
// demo's hero and monster: every effect steps (one that finishes starts
// again) and the scene is drawn whole into the 240x320 back buffer. Counters
// give the mean, the 99th percentile and the worst frame as a share of the game's 12 ms tick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/draw_target.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "game/effects/copy_effects.h"
#include "game/effects/effect_file.h"

namespace {

constexpr double kTickSeconds = 0.012;

// Busy settings of every type.
const char* const kEffects[] = {
    "Type = PIXELWAVE\nPIX_WAVE_MAX = 16\nPIX_WAVE_FREQ = 12\nPIX_WAVE_SPEED = 20",
    "Type = PIXELAURA\nSHRINK = 1\nZOOM_MAX = 1800\nZOOM_CHG = 8\nALPHASPEED = 1",
    "Type = ANIMTRAIL\nPaint = 1\nChgAlpha = 1",
    "Type = COLORCHANGER\nMode = 0\nSpeed = 1\nSteps = 16\nColor = RED",
    "Type = RESIZESPRITE",
    "Type = DIZZY\nNum = 10\nSpeed = 1",
    "Type = SNAKE\nSprite = \"sprites/spark.spr\"\nCount = 20\nFollowUp = 1",
    "Type = SNAKEX\nSprite = \"sprites/spark.spr\"\nCount = 20\nFollowUp = 1",
    "Type = GHOST\nPIX_WAVE_MAX = 12\nPIX_WAVE_FREQ = 15\nPIX_WAVE_SPEED = 25\nNsteps = 60\nPlace = 0, 0\n"
    "Place = 30, -20\nPlace = 60, 0",
    "Type = SPECIALEFFECT\nRED = 31\nZoomMax = 1600\nZoomStep = 20\nSpeed = 1",
};

struct RunningEffect {
    std::string keys;
    EffectTarget target;
    std::unique_ptr<EffectObject> object;
    bool ending = false;
    int32_t frames = 0;
};

void start(RunningEffect& e) {
    EffectFile file;
    file.parse("fx", "[fx]\n" + e.keys);
    e.object = make_copy_effect(file.type(), file, e.target);
    e.ending = false;
    e.frames = 0;
}

void BM_AllCopyEffectsOneFrame(benchmark::State& state) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    g_file_system = new FileSystem;
    create_resource_caches();
    crt_srand(5);
    std::vector<uint16_t> screen(240 * 320, 0);
    const DrawTarget whole = whole_surface_target(screen.data(), {240, 320});
    std::vector<double> frames;
    {
        SpriteGroup scene, layer;
        scene.set_size(240, 320);
        layer.set_size(240, 320);
        Sprite* hero = scene.create_sprite(u"combat/monsters/player_base.spr", 200, 230, 100, 0, 0, 0);
        Sprite* monster = scene.create_sprite(u"combat/monsters/cmossboar.spr", 50, 230, 100, 0, 0, 0);
        std::vector<RunningEffect> effects;
        int i = 0;
        for (const char* keys : kEffects) {
            Sprite* on = i++ % 2 ? hero : monster;
            RunningEffect e{keys, {}, nullptr};
            e.target.sprite = on;
            e.target.reference = {on->x - on->frame_width, on->y - on->frame_height};
            e.target.scene = &scene;
            e.target.layer = &layer;
            e.target.layer_size = {240, 320};
            effects.push_back(std::move(e));
        }
        for (RunningEffect& e : effects) start(e);
        for (auto _ : state) {
            const auto begin = std::chrono::steady_clock::now();
            for (RunningEffect& e : effects) {
                const EffectProgress p = e.ending ? e.object->step_ending(e.target) : e.object->step(e.target);
                if (p == EffectProgress::kDone) {
                    e.object.reset();
                    start(e);
                } else if (p == EffectProgress::kEnding || ++e.frames >= 120) {
                    e.ending = true;
                }
            }
            scene.draw(whole);
            layer.draw(whole);
            scene.flush_dirty();
            layer.flush_dirty();
            benchmark::DoNotOptimize(screen.data());
            frames.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        }
        for (RunningEffect& e : effects) e.object.reset();
    }
    destroy_resource_caches();
    delete g_file_system;
    g_file_system = nullptr;
    if (frames.empty()) return;
    double total = 0;
    for (double f : frames) total += f;
    std::sort(frames.begin(), frames.end());
    state.counters["mean_frame_of_tick"] = total / double(frames.size()) / kTickSeconds;
    state.counters["p99_frame_of_tick"] = frames[frames.size() * 99 / 100] / kTickSeconds;
    state.counters["worst_frame_of_tick"] = frames.back() / kTickSeconds;
}
BENCHMARK(BM_AllCopyEffectsOneFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
