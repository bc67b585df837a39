#include "engine/platform/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/platform/host_memory.h"
#include "engine/platform/lock_holder.h"

namespace {

Platform* g_platform = nullptr;

// SIGTERM and SIGINT only raise this flag; the queue turns it into a Close
// message, so the game's exit (and its save) runs as for a closed window.
std::atomic<bool> g_terminate_requested{false};

extern "C" void on_terminate_signal(int) { g_terminate_requested = true; }

// A second start of the program sends SIGUSR1 to the instance holding the
// lock; the queue turns it into a BringToFront message.
constexpr int kRaiseSignal = SIGUSR1;
std::atomic<bool> g_raise_requested{false};

extern "C" void on_raise_signal(int) { g_raise_requested = true; }

// Wrap-safe: has the tick count `now` reached `deadline`?
bool reached(uint32_t deadline, uint32_t now) { return int32_t(now - deadline) >= 0; }

}  // namespace

Platform::Platform() {
    keep_freed_memory_for_reuse();
    std::signal(SIGTERM, on_terminate_signal);
    std::signal(SIGINT, on_terminate_signal);
    std::signal(kRaiseSignal, on_raise_signal);
}

Platform::~Platform() {
    release_instance_lock();
    if (g_platform == this) g_platform = nullptr;
}

// --- Window -------------------------------------------------------------

uint32_t Platform::create_window(WindowProc proc) {
    if (!open_host_window()) return 0;
    proc_ = std::move(proc);
    window_ = next_window_id_++;
    const uint32_t id = window_;
    send_message(MessageId::Create);
    if (window_ == id) send_message(MessageId::SetFocus);
    return id;
}

void Platform::destroy_window() {
    if (!window_) return;
    send_message(MessageId::Destroy);
    timers_.clear();
    const uint32_t gone = window_;
    std::erase_if(queue_, [gone](const Message& m) { return m.window == gone; });
    window_ = 0;
    keys_down_.clear();
    pen_down_ = false;
}

// --- Messages -----------------------------------------------------------

uint32_t Platform::send_message(MessageId id, uint32_t wparam, uint32_t lparam) {
    if (!window_ || !proc_) return 0;
    return proc_(Message{id, wparam, lparam, window_});
}

void Platform::post_message(MessageId id, uint32_t wparam, uint32_t lparam) {
    if (!window_) return;
    queue_.push_back(Message{id, wparam, lparam, window_});
}

void Platform::post_quit_message(int) { quit_posted_ = true; }

uint32_t Platform::dispatch_message(const Message& message) {
    if (!window_ || message.window != window_ || !proc_) return 0;
    return proc_(message);
}

void Platform::pump() {
    check_signals();
    poll_host_events();
    run_due_script_events();
}

bool Platform::get_message(Message& out) {
    for (;;) {
        pump();
        if (!queue_.empty()) {
            out = queue_.front();
            queue_.pop_front();
            return true;
        }
        if (quit_posted_) {
            quit_posted_ = false;
            out = Message{MessageId::Quit, 0, 0, 0};
            return false;
        }
        if (Timer* timer = due_timer()) {
            timer->deadline = tick_count() + timer->period;
            out = Message{MessageId::Timer, timer->id, 0, window_};
            return true;
        }
        uint32_t wait = ms_to_next_deadline();
        if (auto next = next_script_time()) {
            const uint32_t now = program_time();
            wait = std::min(wait, int32_t(*next - now) > 0 ? *next - now : 0u);
        }
        if (wait == UINT32_MAX && !window_) {
            // Nothing can ever arrive: no window, no timer, no script.
            out = Message{MessageId::Quit, 0, 0, 0};
            return false;
        }
        wait_for_host_events(wait);
    }
}

bool Platform::peek_message(Message& out) {
    pump();
    if (!queue_.empty()) {
        out = queue_.front();
        return true;
    }
    if (quit_posted_) {
        out = Message{MessageId::Quit, 0, 0, 0};
        return true;
    }
    if (Timer* timer = due_timer()) {
        out = Message{MessageId::Timer, timer->id, 0, window_};
        return true;
    }
    return false;
}

// --- Timers -------------------------------------------------------------

void Platform::set_timer(uint32_t id, uint32_t period_ms) {
    if (!window_) return;
    const uint32_t deadline = tick_count() + period_ms;
    for (Timer& t : timers_) {
        if (t.id == id) {
            t.period = period_ms;
            t.deadline = deadline;
            return;
        }
    }
    timers_.push_back(Timer{id, period_ms, deadline});
}

void Platform::kill_timer(uint32_t id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

Platform::Timer* Platform::due_timer() {
    const uint32_t now = tick_count();
    Timer* earliest = nullptr;
    for (Timer& t : timers_) {
        if (!reached(t.deadline, now)) continue;
        if (!earliest || int32_t(t.deadline - earliest->deadline) < 0) earliest = &t;
    }
    return earliest;
}

uint32_t Platform::ms_to_next_deadline() {
    if (timers_.empty()) return UINT32_MAX;
    const uint32_t now = tick_count();
    uint32_t best = UINT32_MAX;
    for (const Timer& t : timers_) {
        const int32_t left = int32_t(t.deadline - now);
        best = std::min(best, left > 0 ? uint32_t(left) : 0u);
    }
    return best;
}

// --- Input from the user, the script and signals ------------------------

void Platform::post_key(uint32_t key_code, bool down) {
    auto held = std::find(keys_down_.begin(), keys_down_.end(), key_code);
    if (down) {
        const bool repeat = held != keys_down_.end();
        if (!repeat) keys_down_.push_back(key_code);
        post_message(MessageId::KeyDown, key_code, repeat ? kKeyRepeatBit : 0);
    } else {
        if (held != keys_down_.end()) keys_down_.erase(held);
        post_message(MessageId::KeyUp, key_code, kKeyRepeatBit | kKeyUpBit);
    }
}

void Platform::post_pen(MessageId id, int32_t x, int32_t y) {
    if (id == MessageId::PenMove && !pen_down_) return;  // moves only while down
    if (id == MessageId::PenDown) pen_down_ = true;
    if (id == MessageId::PenUp) {
        if (!pen_down_) return;
        pen_down_ = false;
    }
    post_message(id, 0, pack_pen_point(x, y));
}

void Platform::post_focus(bool gained) {
    if (gained) {
        post_message(MessageId::SetFocus);
    } else {
        post_message(MessageId::KillFocus);
    }
}

void Platform::set_input_script(std::vector<ScriptEvent> events) {
    script_ = std::move(events);
    script_next_ = 0;
}

void Platform::close_at(uint32_t program_ms) {
    ScriptEvent close;
    close.at_ms = program_ms;
    close.kind = ScriptEvent::Kind::Close;
    auto pos = std::upper_bound(script_.begin() + ptrdiff_t(script_next_), script_.end(), close,
                                [](const ScriptEvent& a, const ScriptEvent& b) { return a.at_ms < b.at_ms; });
    script_.insert(pos, close);
}

std::optional<uint32_t> Platform::next_script_time() const {
    if (script_next_ >= script_.size()) return std::nullopt;
    return script_[script_next_].at_ms;
}

void Platform::run_due_script_events() {
    using Kind = ScriptEvent::Kind;
    const uint32_t now = program_time();
    while (script_next_ < script_.size() && script_[script_next_].at_ms <= now) {
        const ScriptEvent& ev = script_[script_next_++];
        switch (ev.kind) {
            case Kind::KeyDown: post_key(ev.key_code, true); break;
            case Kind::KeyUp: post_key(ev.key_code, false); break;
            case Kind::PenDown: post_pen(MessageId::PenDown, ev.x, ev.y); break;
            case Kind::PenMove: post_pen(MessageId::PenMove, ev.x, ev.y); break;
            case Kind::PenUp: post_pen(MessageId::PenUp, ev.x, ev.y); break;
            case Kind::FocusLost: post_focus(false); break;
            case Kind::FocusGained: post_focus(true); break;
            case Kind::Close: post_close(); break;
        }
    }
}

void Platform::check_signals() {
    if (g_terminate_requested.exchange(false)) post_close();
    if (g_raise_requested.exchange(false)) post_message(MessageId::BringToFront);
}

// --- Services -----------------------------------------------------------

uint64_t Platform::available_memory_bytes() const {
    return memory_override_ ? *memory_override_ : host_available_memory_bytes();
}

bool Platform::acquire_instance_lock(const std::string& path) {
    if (lock_fd_ >= 0 && path == lock_path_) return true;
    release_instance_lock();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true;  // no place for a lock: run rather than refuse
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lock_fd_ = fd;
    lock_path_ = path;
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size())) {
        debug_output("cannot write the process id into the instance lock\n");
    }
    return true;
}

bool Platform::ask_lock_holder_to_raise(const std::string& path) {
    // The signal would end a program that does not expect it.
    const std::optional<pid_t> holder = whole_file_lock_holder(path);
    if (!holder || !runs_this_program(*holder)) return false;
    return kill(*holder, kRaiseSignal) == 0;
}

void Platform::release_instance_lock() {
    if (lock_fd_ < 0) return;
    flock(lock_fd_, LOCK_UN);
    ::close(lock_fd_);
    lock_fd_ = -1;
    lock_path_.clear();
}

void Platform::debug_output(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// --- The current platform and the program's notices ---------------------

Platform& platform() {
    if (!g_platform) {
        std::fputs("no platform set\n", stderr);
        std::abort();
    }
    return *g_platform;
}

namespace {
bool show_notice_in_message_box(std::string_view text, std::string_view caption, NoticeStyle style) {
    if (!g_platform) return false;
    g_platform->message_box(text, caption, style == NoticeStyle::warning ? kMessageBoxExclamation : kMessageBoxOk);
    return true;
}
}  // namespace

void set_platform(Platform* p) {
    g_platform = p;
    set_notice_hook(p ? show_notice_in_message_box : nullptr);
}

bool has_platform() { return g_platform != nullptr; }

