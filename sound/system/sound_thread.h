// Threads, locks, events, sleeping and timers of the sound library. In the
// non-real-time output (type 12) the library runs on the caller's thread
// alone: no thread is started, locks and events are null, sleeps return.
#pragma once

#include <cstdint>
#include <thread>

struct SoundThread;
struct SoundLock;
struct SoundEvent;

using SoundThreadFn = void (*)(void*);

std::thread::id sound_thread_id();

// Priority codes: -1 below normal, 0 above normal, 1 highest, 2 time critical.
// Priorities are best effort here (real-time scheduling is usually refused
// to normal users), so the code is recorded and the thread runs at the
// default priority. In non-real-time mode no thread starts and a marker
// handle (never null) is returned.
SoundThread* sound_thread_create(SoundThreadFn fn, void* arg, int priority);
inline SoundThread* sound_thread_start(SoundThreadFn fn, void* arg, int priority) {
    return sound_thread_create(fn, arg, priority);
}
// Threads are never killed: the owner sets its stop flag first, then joins.
void sound_thread_join(SoundThread* thread);
int sound_thread_priority(const SoundThread* thread);
bool sound_thread_is_real(const SoundThread* thread);

// Recursive locks (the stream stop path re-enters its section).
SoundLock* sound_crit_create();
void sound_crit_destroy(SoundLock* lock);
void sound_crit_enter(SoundLock* lock);
void sound_crit_leave(SoundLock* lock);

class SoundLockGuard {
public:
    explicit SoundLockGuard(SoundLock* lock) : lock_(lock) { sound_crit_enter(lock_); }
    ~SoundLockGuard() { sound_crit_leave(lock_); }
    SoundLockGuard(const SoundLockGuard&) = delete;
    SoundLockGuard& operator=(const SoundLockGuard&) = delete;

private:
    SoundLock* lock_;
};

// Auto-reset events, initially not signalled.
SoundEvent* sound_event_create();
void sound_event_close(SoundEvent* event);
void sound_event_wait(SoundEvent* event);
void sound_event_set(SoundEvent* event);

void sound_sleep(int ms);

// Microseconds of a steady clock, low 32 bits (wraps after about 71 minutes).
uint32_t sound_timer_ticks();
// Milliseconds of a steady clock, low 32 bits.
uint32_t sound_timer_ms();

// Set on a thread while it runs a mix block. Waits for "the block to end"
// are skipped inside the block itself, where they could never end.
bool sound_inside_mix();
void sound_set_inside_mix(bool inside);

// On the init thread and outside a block: waits (1 ms polls) while a block is
// being mixed on another thread.
void sound_wait_while_mixing();
