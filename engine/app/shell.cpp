#include "engine/app/shell.h"

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "engine/app/frame_loop.h"
#include "engine/app/input_mapping.h"
#include "engine/app/scene.h"
#include "engine/app/scene_manager.h"
#include "engine/app/screen.h"
#include "engine/core/fatal_report.h"
#include "engine/core/heap_exhaustion.h"
#include "engine/core/memory_pool.h"
#include "engine/core/program_names.h"
#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/display.h"
#include "engine/platform/platform.h"

ShellState& shell_state() {
    static ShellState state;
    return state;
}

namespace {

// A fatal report stops the ticks, as losing the focus does. Installed as the
// program starts, by whichever program holds the shell, since the report may
// come before the window exists.
void stop_ticks_for_fatal_report() { shell_state().inactive = true; }
const bool kFatalReportHookInstalled = (set_fatal_report_hook(stop_ticks_for_fatal_report), true);

// The back buffer is shown upright and unscaled on this platform.
constexpr int kPortraitOrientation = 1;
constexpr int kUnscaled = 0;

// Keys no scene may see, after remapping.
constexpr uint32_t kIgnoredKeyA = 132;
constexpr uint32_t kIgnoredKeyB = 91;

// Waiting messages served in a row before an idle call is forced.
constexpr int kMaxMessagesBeforeIdle = 100;

void run_hook(const std::function<void()>& hook) {
    if (hook) hook();
}

void show_message(const char* text) {
    platform().message_box(text, program_names().caption, kMessageBoxExclamation);
}

// The memory log gains a line every tenth tick for as long as the program
// runs. Past this size it starts afresh, the previous one kept as
// "memlog.old.txt", so that the two together never take more than about
// twice this from the disk the saves need.
constexpr uintmax_t kMemoryLogLimit = 1 << 20;

std::string memory_log_path() { return utf16_to_utf8(resolve_path(u"\\memlog.txt")); }

void rotate_memory_log_past_limit(uintmax_t size) {
    if (size <= kMemoryLogLimit) return;
    std::error_code ec;
    std::filesystem::rename(memory_log_path(), utf16_to_utf8(resolve_path(u"\\memlog.old.txt")), ec);
}

void start_memory_log() {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(memory_log_path(), ec);
    if (!ec) rotate_memory_log_past_limit(size);
}

// Writes cut short by a crash or a power loss leave temporary files in the
// state folder and its save folder; no later write reuses their names.
void remove_stale_temp_files_in_state_folder() {
    const std::string state = utf16_to_utf8(state_folder());
    remove_stale_temp_files(state);
    remove_stale_temp_files(state + "savegame");
}

void append_memory_log() {
    FILE* log = std::fopen(memory_log_path().c_str(), "at");
    if (!log) return;
    std::fprintf(log, "%" PRIu64 " memory free\n", platform().available_memory_bytes());
    std::fflush(log);  // written at the end: the position is the file's size
    const long size = std::ftell(log);
    std::fclose(log);
    if (size > 0) rotate_memory_log_past_limit(uintmax_t(size));
}

// --- Window procedure paths ---------------------------------------------

uint32_t on_timer(uint32_t timer_id) {
    ensure_memory_reserve();
    if (shell_state().inactive) return 0;
    // Timers 2 and 3 re-assert the full-screen window; ours never moves.
    if (timer_id == kStartTimer) {
        platform().kill_timer(kStartTimer);
        if (!engine_init()) platform().destroy_window();
        platform().set_timer(kFrameTimer, 5);
        return 0;
    }
    if (!g_current_scene) return 1;
    const uint32_t now = platform().tick_count();
    if (++shell_state().memlog_ticks % 10 == 0) append_memory_log();
    run_frame(now);
    return 1;
}

uint32_t on_key(MessageId id, uint32_t code, uint32_t flags) {
    ensure_memory_reserve();
    const int kind = id == MessageId::KeyDown ? kKeyPress : kKeyRelease;
    const uint32_t key_code = translate_key(kind, code, flags, kPortraitOrientation);
    if (key_code == 0) return 1;
    const uint32_t game_key = remap_key(key_code);
    if (!g_current_scene || key_code == kIgnoredKeyA || key_code == kIgnoredKeyB) return 0;
    g_current_scene->set_key_state(kind, game_key, key_code);
    g_current_scene->on_key(kind, game_key, key_code);
    if (g_current_scene)
        if (GameState* state = g_current_scene->current_state()) state->on_key(kind, game_key, key_code);
    return 0;
}

uint32_t on_pen(MessageId id, uint32_t lparam) {
    ensure_memory_reserve();
    int32_t x = pen_point_x(lparam), y = pen_point_y(lparam);
    map_stylus_point(x, y, kUnscaled, kPortraitOrientation);
    const int kind = id == MessageId::PenMove ? kPenMove : id == MessageId::PenDown ? kPenDown : kPenUp;
    ShellState& shell = shell_state();
    if (kind == kPenDown) {
        shell.pen_down_at = {x, y};
        shell.pen_down = true;
    } else if (kind == kPenUp) {
        shell.pen_down = false;
    }
    if (g_current_scene) {
        g_current_scene->on_pointer(kind, x, y);
        if (g_current_scene)
            if (GameState* state = g_current_scene->current_state()) state->on_pointer(kind, x, y);
    }
    if (kind == kPenUp) shell.pen_down_at = {-1, -1};
    return 1;
}

void on_set_focus() {
    shell_state().inactive = false;
    if (g_current_scene && g_current_scene->has_layers()) g_current_scene->invalidate_first_layer();
}

void on_kill_focus() {
    ShellState& shell = shell_state();
    if (shell.inactive) return;
    shell.inactive = true;
    run_hook(shell_hooks().on_focus_lost);
    // Before the engine runs and while it closes there is no scene, and the
    // loading scene has no owner.
    if (shell.engine_started && g_current_scene && g_current_scene->owner()) {
        g_current_scene->owner()->on_suspend();
    }
}

void on_paint() {
    if (g_current_scene && g_current_scene->has_layers()) {
        g_current_scene->repaint_all();
    } else {
        show_black_screen();
    }
}

void on_close() {
    // A Close before the engine started, or a second one, has nothing to
    // shut down.
    engine_shutdown();
    g_current_scene = nullptr;
    platform().destroy_window();
}

void on_notify(uint32_t wparam, uint32_t lparam) {
    char text[96];
    std::snprintf(text, sizeof text, "WM_NOTIFY (ctl: %08x), code: %08x, from: %08x, %08x\n",
                  unsigned(wparam), unsigned(lparam), 0u, 0u);
    platform().debug_output(text);
}

// An exception escaping the window procedure is logged and ends the program.
// Only library exceptions are caught: tests end the program by throwing
// their own type through exit_program, and that must pass.
void dispatch_guarded(const Message& message) {
    try {
        platform().dispatch_message(message);
    } catch (const std::exception&) {
        report_unhandled_exception(CrashSite::window_procedure);
    }
}

// The message loop, with idle calls between messages while the current
// scene asks for them; at most 101 waiting messages in a row are served
// before an idle call is forced.
void run_message_loop() {
    int pending = 0;
    Message message;
    while (platform().get_message(message)) {
        dispatch_guarded(message);
        if (!g_current_scene || !g_current_scene->idle_pump) {
            pending = 0;
            continue;
        }
        while (g_current_scene && g_current_scene->idle_pump) {
            Message waiting;
            if (pending <= kMaxMessagesBeforeIdle && platform().peek_message(waiting)) {
                pending++;
                if (waiting.id == MessageId::Timer) {
                    pending = 0;
                    g_current_scene->idle();
                }
                break;
            }
            pending = 0;
            g_current_scene->idle();
            platform().idle_spin();
        }
    }
}

// One pass from the restart point to the end of the message loop; false
// when the program ends before a window was made.
bool run_window() {
    shell_state().restart_requested = false;
    g_current_scene = nullptr;
    run_hook(shell_hooks().at_restart_point);
    detect_device_model(platform().oem_name().c_str());

    const Size screen = platform().screen_size();
    if (screen.height < screen.width) {
        show_message(
            "This application can only run in Portrait mode, please change your screen "
            "orientation and try again.");
        exit_program(kFailureExitCode);
    }
    const std::string lock = utf16_to_utf8(state_folder()) + program_names().lock_file;
    if (!platform().acquire_instance_lock(lock)) {
        platform().debug_output("Another instance is running.\n");
        Platform::ask_lock_holder_to_raise(lock);  // the player sees the game they started
        return false;
    }
    // Only the instance holding the lock tidies the folder it writes.
    remove_stale_temp_files_in_state_folder();
    start_memory_log();
    if (platform().available_memory_bytes() < kMinimumFreeMemory) {
        show_message(
            "You need at least 6 MB of free RAM to run this game. Please free up some memory "
            "or adjust memory settings and try again.");
        exit_program(kFailureExitCode);
    }
    shell_state().main_window = 0;
    if (!platform().create_window(main_wnd_proc)) exit_program(kFailureExitCode);
    try {
        run_message_loop();
    } catch (const std::exception&) {
        report_unhandled_exception(CrashSite::message_loop);
    }
    run_hook(shell_hooks().after_message_loop);
    return true;
}

}  // namespace

ShellHooks& shell_hooks() {
    static ShellHooks hooks;
    return hooks;
}

uint32_t main_wnd_proc(const Message& message) {
    switch (message.id) {
        case MessageId::Create:
            shell_state().main_window = message.window;
            platform().set_timer(kReassertTimer, 5000);
            platform().set_timer(kStartTimer, 100);
            return 1;
        case MessageId::Destroy: platform().post_quit_message(0); return 1;
        case MessageId::SetFocus: on_set_focus(); return 1;
        case MessageId::KillFocus: on_kill_focus(); return 1;
        case MessageId::Paint: on_paint(); return 1;
        case MessageId::Close: on_close(); return 1;
        case MessageId::EraseBkgnd:
            if (g_current_scene) g_current_scene->mark_screen_dirty();
            return 1;
        case MessageId::Notify: on_notify(message.wparam, message.lparam); return 1;
        case MessageId::KeyDown:
        case MessageId::KeyUp: return on_key(message.id, message.wparam, message.lparam);
        case MessageId::Char:
        case MessageId::SysKeyDown:
        case MessageId::SysKeyUp:
        case MessageId::SysChar: return 0;
        case MessageId::Timer: return on_timer(message.wparam);
        case MessageId::PenMove:
        case MessageId::PenDown:
        case MessageId::PenUp: return on_pen(message.id, message.lparam);
        case MessageId::ScreenRestored:
            if (message.lparam == 0xC000000F && message.wparam == 1 && g_current_scene) render_frame();
            return 0;
        case MessageId::BringToFront: platform().raise_window(); return 0;
        case MessageId::PcCommand: handle_pc_command(message.wparam & 0xFFFF); return 1;
        case MessageId::TrayNotify: return 1;
        default: return 0;
    }
}

int run_shell() {
    ensure_memory_reserve();
    install_heap_exhaustion_handler();
    do {
        if (!run_window()) return 0;
    } while (shell_state().restart_requested);
    return 0;
}

int engine_init() {
    run_hook(shell_hooks().engine_objects_init);
    const auto& startup = shell_hooks().game_startup;
    const int result = startup ? startup() : show_empty_load_scene();
    shell_state().engine_started = result != 0;
    return result;
}

void engine_shutdown() {
    bool& started = shell_state().engine_started;
    if (!started) return;
    started = false;
    const auto& shutdown = shell_hooks().game_shutdown;
    if (shutdown) {
        shutdown();
    } else {
        close_empty_load_scene();
    }
    run_hook(shell_hooks().engine_objects_shutdown);
}

void request_quit() { platform().post_message(MessageId::Close); }

void handle_pc_command(uint32_t command) {
    switch (command) {
        case 1:
        case 2:
        case 4:
            shell_state().restart_requested = true;
            platform().post_message(MessageId::Close);
            break;
        case 3: platform().post_message(MessageId::Close); break;
        case 5: break;
        default: platform().message_box("Unsupported PC command!", program_names().caption, kMessageBoxOk); break;
    }
}

void show_black_screen() {
    DisplaySink& screen = platform().display();
    const Size size = platform().screen_size();
    if (!screen.open(size.width, size.height)) return;
    static const std::vector<uint16_t> black(size_t(size.width) * size.height, 0);
    screen.present(black.data(), size.width * 2, {Rect{0, 0, size.width, size.height}}, true);
}

int show_empty_load_scene() {
    static Display display;
    if (!display.open(&platform().display(), 1, kScreenSize.width, kScreenSize.height)) return 0;
    g_current_scene = new Scene(&display, "Load");
    g_current_scene->create_layer();
    render_frame();
    return 1;
}

int close_empty_load_scene() {
    if (g_current_scene && g_current_scene->name() == "Load" && !g_current_scene->owner()) {
        delete g_current_scene;
    }
    g_current_scene = nullptr;
    return 1;
}
