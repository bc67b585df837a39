// The story page, sleep and end-of-game screens, headless on the demo data,
// against the game's logic tick of 12 ms (each counter "of_tick" is the
// share of one tick a step takes; below 1 it fits): a 12-line book page
// entered up to its first drawn frame, a page turned (cut, rendered and
// drawn), a frame of the page's fade (every pixel under it blended again),
// a frame of the night's second picture fading over the first, and a frame
// of the ending's picture fading in over black.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/demo_game_bench.h"
#include "engine/app/frame_loop.h"
#include "engine/app/input_kind.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "game/screens/end_of_game_state.h"
#include "game/screens/sleep_state.h"
#include "game/screens/story_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/world/world.h"

namespace {

struct StartedGame : StartedDemoGame {
    StartedGame() : StartedDemoGame("bench_story_pages") {
        g_app->game()->switch_state("Walking", 0);
        render_frame();
    }
};

// A book of `pages` pages of 12 lines each, every line near the page's width.
std::string book(int pages) {
    std::string text = "#B";
    for (int line = 0; line < 12 * pages; ++line)
        text += std::string(line ? "\n" : "") + "Line " + std::to_string(line + 1) + " of the guest book, in ink";
    return text;
}

void open_story(const std::string& text) {
    g_app->game()->screen_subjects.story_text = text;
    g_app->game()->switch_state("Story", &g_app->game()->screen_subjects.story_text);
}

void BM_StoryPageEnterToFirstFrame(benchmark::State& state) {
    StartedGame game;
    const std::string text = book(1);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = BenchClock::now();
        open_story(text);
        render_frame();
        seconds += seconds_since(start);
        state.PauseTiming();
        g_app->game()->switch_state("Walking", 0);
        render_frame();
        state.ResumeTiming();
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StoryPageEnterToFirstFrame)->Unit(benchmark::kMicrosecond);

void BM_StoryPageTurn(benchmark::State& state) {
    StartedGame game;
    const std::string text = book(50);
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* story = dynamic_cast<StoryState*>(game.current());
        if (!story || story->position() < 0) open_story(text);
        render_frame();
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.current()->on_key(kKeyPress, kKeyAction, 0);
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StoryPageTurn)->Unit(benchmark::kMicrosecond);

void BM_StoryPageFadeFrame(benchmark::State& state) {
    StartedGame game;
    const std::string text = book(1);
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* story = dynamic_cast<StoryState*>(game.current());
        if (!story || story->page()->alpha >= 31) open_story(text);
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.current()->animate();
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StoryPageFadeFrame)->Unit(benchmark::kMicrosecond);

void BM_SleepSecondPictureFadeFrame(benchmark::State& state) {
    StartedGame game;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* sleep = dynamic_cast<SleepState*>(game.current());
        if (!sleep || sleep->phase() != SleepState::kPictureIn) {
            g_app->game()->switch_state("Walking", 0);
            g_app->game()->switch_state("Sleep", 0);
            sleep = static_cast<SleepState*>(game.current());
            while (sleep->phase() != SleepState::kPictureIn) sleep->update();
        }
        state.ResumeTiming();
        const auto start = BenchClock::now();
        sleep->update();
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_SleepSecondPictureFadeFrame)->Unit(benchmark::kMicrosecond);

void BM_EndingPictureFadeFrame(benchmark::State& state) {
    StartedGame game;
    const int32_t ending = EndOfGameState::kFirstEnding;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* end = dynamic_cast<EndOfGameState*>(game.current());
        if (!end || end->group()->group_alpha() >= 31) {
            g_app->game()->switch_state("Walking", 0);
            g_app->game()->switch_state("EndOfGame", &ending);
        }
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.current()->update();
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_EndingPictureFadeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
