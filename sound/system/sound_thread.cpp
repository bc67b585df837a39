#include "sound/system/sound_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

struct SoundThread {
    std::thread thread;
    int priority = 0;
};

struct SoundLock {
    std::recursive_mutex mutex;
};

struct SoundEvent {
    std::mutex mutex;
    std::condition_variable signalled_cv;
    bool signalled = false;
};

namespace {

// The handle of a thread that non-real-time mode did not start.
SoundThread g_no_thread;

thread_local bool t_inside_mix = false;

template <class T>
T* construct_in_sound_memory() {
    void* p = SOUND_ALLOC(sizeof(T));
    return p ? new (p) T() : nullptr;
}

template <class T>
void destroy_in_sound_memory(T* object) {
    object->~T();
    SOUND_FREE(object);
}

}  // namespace

std::thread::id sound_thread_id() { return std::this_thread::get_id(); }

SoundThread* sound_thread_create(SoundThreadFn fn, void* arg, int priority) {
    if (sound_is_nonrealtime()) return &g_no_thread;
    auto* t = new SoundThread;
    t->priority = priority;
    t->thread = std::thread(fn, arg);
    return t;
}

void sound_thread_join(SoundThread* thread) {
    if (!thread || thread == &g_no_thread) return;
    if (thread->thread.joinable()) thread->thread.join();
    delete thread;
}

int sound_thread_priority(const SoundThread* thread) { return thread ? thread->priority : 0; }
bool sound_thread_is_real(const SoundThread* thread) { return thread && thread != &g_no_thread; }

SoundLock* sound_crit_create() {
    if (sound_is_nonrealtime()) return nullptr;
    return construct_in_sound_memory<SoundLock>();
}

void sound_crit_destroy(SoundLock* lock) {
    if (lock) destroy_in_sound_memory(lock);
}

void sound_crit_enter(SoundLock* lock) {
    if (lock) lock->mutex.lock();
}

void sound_crit_leave(SoundLock* lock) {
    if (lock) lock->mutex.unlock();
}

SoundEvent* sound_event_create() {
    if (sound_is_nonrealtime()) return nullptr;
    return construct_in_sound_memory<SoundEvent>();
}

void sound_event_close(SoundEvent* event) {
    if (event) destroy_in_sound_memory(event);
}

void sound_event_wait(SoundEvent* event) {
    if (!event) return;
    std::unique_lock lock(event->mutex);
    event->signalled_cv.wait(lock, [event] { return event->signalled; });
    event->signalled = false;
}

void sound_event_set(SoundEvent* event) {
    if (!event) return;
    {
        std::lock_guard lock(event->mutex);
        event->signalled = true;
    }
    event->signalled_cv.notify_one();
}

void sound_sleep(int ms) {
    if (sound_is_nonrealtime()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t sound_timer_ticks() {
    using namespace std::chrono;
    return uint32_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t sound_timer_ms() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool sound_inside_mix() { return t_inside_mix; }
void sound_set_inside_mix(bool inside) { t_inside_mix = inside; }

void sound_wait_while_mixing() {
    if (t_inside_mix || !sound_on_init_thread()) return;
    while (sound_system().mixing.load(std::memory_order_acquire)) {
        if (sound_is_nonrealtime()) return;  // nobody else can be mixing
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
