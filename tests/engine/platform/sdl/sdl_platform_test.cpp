// The SDL back end on SDL's dummy video driver: the window's size, and the
// close button, keys and mouse reaching the shell as the user's input.
#include <unistd.h>

#include <gtest/gtest.h>
#include <SDL.h>

#include <cstdlib>
#include <filesystem>

#include "engine/app/scene.h"
#include "engine/app/shell.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/sdl/sdl_platform.h"
#include "tests/support/given_program_names.h"

namespace {

class KeyScene : public Scene {
public:
    KeyScene() : Scene(nullptr, "Game") {}
    void on_key(int kind, uint32_t, uint32_t key_code) override { keys.push_back(int(kind * 1000 + key_code)); }
    void on_pointer(int kind, int32_t x, int32_t y) override { pens.push_back({kind, x, y}); }
    std::vector<int> keys;
    struct Pen {
        int kind;
        int32_t x, y;
        bool operator==(const Pen&) const = default;
    };
    std::vector<Pen> pens;
};

struct SdlPlatformTest : ::testing::Test {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        folder = testing::TempDir() + "sdl_platform_test_" + std::to_string(getpid()) + "/";
        std::filesystem::create_directories(folder);
        set_state_folder(utf8_to_utf16(folder));
    }
    void TearDown() override {
        shell_hooks() = ShellHooks{};
        set_platform(nullptr);
        set_state_folder(u"");
        std::filesystem::remove_all(folder);
    }
    std::string folder;
    // The window's caption, the messages' prefix and the lock bear them.
    GivenProgramNames names{{"SDL Test", "sdl_test", "sdl_test.lock"}};
};

void push_window_event(SDL_Window* window, Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    e.window.windowID = SDL_GetWindowID(window);
    SDL_PushEvent(&e);
}

void push_key(SDL_Keycode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = key;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

// Mouse events carry their window, through which SDL's renderer turns
// window pixels into screen pixels.
void push_button(SDL_Window* window, bool down, int x, int y) {
    SDL_Event e{};
    e.button.windowID = SDL_GetWindowID(window);
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

uint32_t ignore_messages(const Message&) { return 1; }

// The dummy driver's monitor is 1024x768: a window taller than 768 pixels
// would reach past it, so the scale comes down, and stderr says so under
// the program's name. The window bears the program's caption.
TEST_F(SdlPlatformTest, WindowIsTheScreenAtTheGivenScaleOrTheLargestThatFits) {
    struct Row {
        int asked;
        int shown;
    };
    for (const Row row : {Row{1, 1}, Row{2, 2}, Row{3, 2}, Row{8, 2}}) {
        SdlPlatform host(row.asked);
        ASSERT_TRUE(host.ok()) << host.error();
        SDL_Rect usable{};
        ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0) << SDL_GetError();
        ASSERT_EQ(usable.w, 1024);
        ASSERT_EQ(usable.h, 768);
        testing::internal::CaptureStderr();
        ASSERT_NE(host.create_window(ignore_messages), 0u);
        const std::string said = testing::internal::GetCapturedStderr();
        int w = 0, h = 0;
        SDL_GetWindowSize(host.window(), &w, &h);
        EXPECT_EQ(w, 240 * row.shown) << row.asked;
        EXPECT_EQ(h, 320 * row.shown) << row.asked;
        EXPECT_EQ(said.find("sdl_test: a window at scale " + std::to_string(row.asked)) != std::string::npos &&
                      said.find("scale " + std::to_string(row.shown) + " instead") != std::string::npos,
                  row.shown != row.asked)
            << said;
        EXPECT_STREQ(SDL_GetWindowTitle(host.window()), "SDL Test");
        EXPECT_TRUE(host.display().open(240, 320));
    }
}

// Until the shell makes its window there is none on the screen; a second
// instance ends before that.
TEST_F(SdlPlatformTest, ASecondInstanceOpensNoWindow) {
    SdlPlatform host(2);
    ASSERT_TRUE(host.ok()) << host.error();
    EXPECT_EQ(host.window(), nullptr);
    HeadlessPlatform first;
    ASSERT_TRUE(first.acquire_instance_lock(folder + "sdl_test.lock"));
    set_platform(&host);
    bool started = false;
    shell_hooks().game_startup = [&] { return int(started = true); };
    EXPECT_EQ(run_shell(), 0);
    EXPECT_FALSE(started);
    EXPECT_EQ(host.window(), nullptr);
}

// Another window moved over ours left its picture there; while the game
// has no focus it draws no frame, so the last one is shown again at once.
TEST_F(SdlPlatformTest, AnExposedWindowShowsTheLastFrameAgain) {
    SdlPlatform host(1);
    ASSERT_TRUE(host.ok()) << host.error();
    ASSERT_NE(host.create_window(ignore_messages), 0u);
    ASSERT_TRUE(host.display().open(240, 320));
    const std::vector<uint16_t> red(240 * 320, 0xF800);
    host.display().present(red.data(), 240 * 2, {Rect{0, 0, 240, 320}}, true);
    SDL_Renderer* renderer = SDL_GetRenderer(host.window());
    ASSERT_NE(renderer, nullptr);
    auto shown = [renderer] {
        const SDL_Rect at{10, 10, 1, 1};
        uint32_t pixel = 0;
        EXPECT_EQ(SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_RGB888, &pixel, 4), 0) << SDL_GetError();
        return pixel & 0xFFFFFF;
    };
    EXPECT_EQ(shown(), 0xFF0000u);
    // What the other window left behind.
    SDL_SetRenderDrawColor(renderer, 0, 0, 255, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    ASSERT_EQ(shown(), 0x0000FFu);

    push_window_event(host.window(), SDL_WINDOWEVENT_EXPOSED);
    Message m;
    EXPECT_TRUE(host.peek_message(m));  // the host's events are taken in
    EXPECT_EQ(shown(), 0xFF0000u);
    EXPECT_EQ(host.front_buffer().present_count(), 1u);  // no new frame was drawn
}

TEST_F(SdlPlatformTest, TickCountIsFarFromZeroAndMoves) {
    SdlPlatform host(1);
    ASSERT_TRUE(host.ok()) << host.error();
    const uint32_t a = host.tick_count();
    host.sleep_ms(20);
    const uint32_t b = host.tick_count();
    EXPECT_GE(b - a, 20u);
    EXPECT_LT(b - a, 2000u);
    EXPECT_LT(host.program_time(), 2000u);
}

TEST_F(SdlPlatformTest, CloseButtonKeysAndMouseReachTheShell) {
    SdlPlatform host(2);
    ASSERT_TRUE(host.ok()) << host.error();
    set_platform(&host);
    KeyScene* scene = nullptr;
    bool shut_down = false;
    std::vector<int> keys;
    std::vector<KeyScene::Pen> pens;
    shell_hooks().game_startup = [&] {
        scene = new KeyScene;
        g_current_scene = scene;
        push_key(SDLK_RETURN, true);
        push_key(SDLK_RETURN, true);  // held: the repeat is dropped
        push_key(SDLK_RETURN, false);
        push_key(SDLK_F1, true);
        push_key(SDLK_LSHIFT, true);  // not a key of ours
        push_button(host.window(), true, 100, 200);  // window pixels at scale 2
        push_button(host.window(), false, 102, 204);
        push_window_event(host.window(), SDL_WINDOWEVENT_CLOSE);
        return 1;
    };
    shell_hooks().game_shutdown = [&] {
        shut_down = true;
        keys = scene->keys;
        pens = scene->pens;
        delete scene;
        g_current_scene = nullptr;
        return 1;
    };
    EXPECT_EQ(run_shell(), 0);
    EXPECT_TRUE(shut_down);
    EXPECT_EQ(keys, (std::vector<int>{1013, 2013, 1193}));
    EXPECT_EQ(pens, (std::vector<KeyScene::Pen>{{4, 50, 100}, {5, 51, 102}}));
}

}  // namespace
