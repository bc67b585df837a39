// The application shell: the program's one window and its message loop. It
// checks the screen, the memory and a second instance, starts the engine on
// the first timer, turns frame timers into the fixed-step frame loop, routes
// keys, stylus, focus, painting and closing, and starts over in-process when
// a desktop command asks for a restart.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/app/shell_state.h"
#include "engine/core/program_end.h"
#include "engine/platform/messages.h"

// Timers of the main window.
constexpr uint32_t kReassertTimer = 2;    // every 5000 ms
constexpr uint32_t kStartTimer = 3;       // once, 100 ms after creation
constexpr uint32_t kFrameTimer = 0x113;   // every 5 ms once the engine runs

// Below this much free memory the program refuses to start.
constexpr uint64_t kMinimumFreeMemory = 0x600000;

// What later parts of the program plug into the shell. Unset hooks do
// nothing, except the game's start-up and exit, which default to an empty
// "Load" scene.
struct ShellHooks {
    std::function<void()> at_restart_point;  // orientation saved, device model detected
    std::function<void()> after_message_loop;  // orientation and backlight put back
    std::function<void()> on_focus_lost;  // backlight settings put back
    std::function<void()> engine_objects_init;  // file system, caches, local text
    std::function<void()> engine_objects_shutdown;
    std::function<int()> game_startup;  // non-zero = success
    std::function<int()> game_shutdown;
};
ShellHooks& shell_hooks();

// The program's main function: runs windows until one quits without a
// restart request; returns the exit code.
int run_shell();
uint32_t main_wnd_proc(const Message& message);

// Engine start-up (first start timer) and shutdown (on Close).
int engine_init();
void engine_shutdown();
// Ends the program as the user closing the window would.
void request_quit();
// A desktop command: 1, 2, 4 restart, 3 close, 5 nothing, others complain.
void handle_pc_command(uint32_t command);

// Presents an all-black screen (a window without a scene to draw).
void show_black_screen();

// The interim game start-up and exit: one empty scene named "Load".
int show_empty_load_scene();
int close_empty_load_scene();
