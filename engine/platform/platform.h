// The narrow interface between the program and the machine it runs on: one
// window with a message queue and timers, a millisecond tick count, message
// boxes, a screen to present to, and a few facts about the machine. Two back
// ends derive from it (sdl/ and headless/); nothing above this layer knows
// which one runs.
//
// The queue keeps the order the shell was written for: messages sent by the
// program arrive at once; posted and input messages wait in arrival order;
// a timer message is made only when nothing else waits, at most one per
// timer, which is then re-armed from the moment it is taken.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/geometry.h"
#include "engine/core/program_end.h"
#include "engine/platform/front_buffer.h"
#include "engine/platform/input_script.h"
#include "engine/platform/messages.h"

// Message box styles and answers.
constexpr uint32_t kMessageBoxOk = 0x00;
constexpr uint32_t kMessageBoxExclamation = 0x30;
constexpr int kMessageBoxAnswerOk = 1;

using WindowProc = std::function<uint32_t(const Message&)>;

class Platform {
public:
    Platform();
    virtual ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // --- Window ---------------------------------------------------------
    // Creates the window: sends Create, then SetFocus, and returns its id;
    // 0 when the host cannot show one (the reason on stderr).
    uint32_t create_window(WindowProc proc);
    // Sends Destroy, then kills the window's timers and drops its queued
    // messages. Nothing is delivered to it afterwards.
    void destroy_window();
    uint32_t main_window() const { return window_; }
    bool has_window() const { return window_ != 0; }

    // --- Messages -------------------------------------------------------
    // Calls the window procedure at once; 0 without a window.
    uint32_t send_message(MessageId id, uint32_t wparam = 0, uint32_t lparam = 0);
    // Queues a message for the window; dropped without a window.
    void post_message(MessageId id, uint32_t wparam = 0, uint32_t lparam = 0);
    // Makes the next get_message return false once the posted messages are out.
    void post_quit_message(int code);
    // Waits for the next message; false when it is Quit.
    bool get_message(Message& out);
    // Reports the next message without taking it (a due timer included);
    // false when nothing waits.
    bool peek_message(Message& out);
    uint32_t dispatch_message(const Message& message);
    // Called by a message loop that spins on idle work while nothing waits,
    // so that a virtual clock moves on (real time passes by itself).
    virtual void idle_spin() {}

    // --- Timers (deadlines kept here, checked when the queue is read) ----
    void set_timer(uint32_t id, uint32_t period_ms);
    void kill_timer(uint32_t id);

    // --- Time -----------------------------------------------------------
    // Milliseconds, wrapping at 2^32. Compare stamps only through the
    // difference as a signed 32-bit value.
    virtual uint32_t tick_count() = 0;
    virtual void sleep_ms(uint32_t ms) = 0;
    // Milliseconds since the platform started (the time of input scripts).
    uint32_t program_time() { return tick_count() - start_tick_; }

    // --- Services -------------------------------------------------------
    // A modal box that dispatches nothing of ours; returns the answer.
    virtual int message_box(std::string_view text, std::string_view caption, uint32_t style) = 0;
    // Memory the host can still give, in bytes (see host_memory.h); tests
    // and low-memory runs inject it.
    uint64_t available_memory_bytes() const;
    void set_available_memory_bytes(std::optional<uint64_t> bytes) { memory_override_ = bytes; }
    // The device screen (not the monitor): portrait 240x320.
    Size screen_size() const { return kScreenSize; }
    const std::string& oem_name() const { return oem_name_; }
    void set_oem_name(std::string name) { oem_name_ = std::move(name); }
    // Keeps one instance per lock file; taking it again in this process
    // succeeds. False when another holder has it. The holder writes its
    // process id into the file, for whoever looks; the program itself never
    // trusts it (see below).
    bool acquire_instance_lock(const std::string& lock_path);
    void release_instance_lock();
    // Asks the instance holding the lock to bring its window to the front;
    // it then finds a BringToFront message in its queue. The holder is the
    // one the kernel names, not the id in the file, and only a process of
    // this program is asked. False when there is none to ask.
    static bool ask_lock_holder_to_raise(const std::string& lock_path);
    // Brings the window to the front with the input focus.
    virtual void raise_window() = 0;
    // Text for a debugger; goes to stderr here.
    void debug_output(std::string_view text);

    // --- Screen ---------------------------------------------------------
    virtual DisplaySink& display() = 0;
    // The screen as last presented (both back ends keep it).
    virtual const FrontBuffer& front_buffer() const = 0;

    // --- Scripted input -------------------------------------------------
    // Events fire when program time reaches them, as if from the user.
    void set_input_script(std::vector<ScriptEvent> events);
    // Closes the window at the given program time, as the user would.
    void close_at(uint32_t program_ms);

protected:
    // Puts the window on the host's screen, the first time one is created;
    // false when it cannot (the back end says why on stderr). Nothing shows
    // before, so a start that ends early (a second instance) shows nothing.
    virtual bool open_host_window() { return true; }
    // Moves whatever the host has for us into the queue, without waiting.
    virtual void poll_host_events() = 0;
    // Waits at most `ms` (UINT32_MAX: no limit) for host input to arrive.
    virtual void wait_for_host_events(uint32_t ms) = 0;
    // Program time of the next scripted event, if any.
    std::optional<uint32_t> next_script_time() const;
    // For back ends: queue a key or pen event as it comes from the user.
    void post_key(uint32_t key_code, bool down);
    void post_pen(MessageId id, int32_t x, int32_t y);
    void post_close() { post_message(MessageId::Close); }
    void post_focus(bool gained);
    // Fixes the start of program time; back ends call it once their clock runs.
    void start_program_clock() { start_tick_ = tick_count(); }

private:
    struct Timer {
        uint32_t id;
        uint32_t period;
        uint32_t deadline;
    };

    void pump();
    void run_due_script_events();
    void check_signals();
    Timer* due_timer();
    uint32_t ms_to_next_deadline();

    WindowProc proc_;
    uint32_t window_ = 0;
    uint32_t next_window_id_ = 1;
    std::deque<Message> queue_;
    std::vector<Timer> timers_;
    bool quit_posted_ = false;
    uint32_t start_tick_ = 0;
    std::vector<ScriptEvent> script_;
    size_t script_next_ = 0;
    std::vector<uint32_t> keys_down_;
    bool pen_down_ = false;
    std::optional<uint64_t> memory_override_;
    std::string oem_name_;
    int lock_fd_ = -1;
    std::string lock_path_;
};

// The platform the program runs on; set once by the program (or a test).
Platform& platform();
// Setting a platform also makes its message box the way the program's
// notices are shown (engine/core/program_end.h); none without a platform.
void set_platform(Platform* p);
bool has_platform();

