#include "sound/output/output_watchdog.h"

#include <atomic>
#include <ctime>

#include "sound/mixer/channel.h"
#include "sound/output/output_driver.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

int64_t clock_ms(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Boot time keeps counting while the machine sleeps; monotonic time does not.
// Unlike local wall time neither jumps with clock or daylight-saving changes.
int64_t boot_ms() { return clock_ms(CLOCK_BOOTTIME); }
int64_t monotonic_ms() { return clock_ms(CLOCK_MONOTONIC); }

WatchdogState g_state;
std::atomic<int64_t (*)()> g_wall_clock{boot_ms};
std::atomic<int64_t (*)()> g_tick_clock{monotonic_ms};
std::atomic<bool> g_output_reset{false};

void reopen_output() {
    SoundSystem& s = sound_system();
    channel_stop_sound(kPrimaryChannel);
    if (s.driver->close) s.driver->close();
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (s.driver->init(s.mix_rate)) break;
        sound_sleep(100);
    }
    sound_sleep(250);
    if (s.primary_sample) channel_play_sound(kPrimaryChannel, s.primary_sample);
    g_output_reset.store(true);
}

}  // namespace

bool watchdog_check(WatchdogState& st, int64_t position, int step, int64_t wall_ms, int64_t ticks_ms) {
    bool reopen = false;
    if (st.last_wall_ms >= 0 && wall_ms - st.last_wall_ms >= 2000 && ticks_ms - st.last_ticks_ms < 500) {
        // The machine slept: the device lost its stream, reopen at once.
        st.last_position = position;
        st.stall = kWatchdogStallLimit;
    }
    if (position == st.last_position) {
        if (st.stall >= kWatchdogStallLimit) {
            reopen = true;
            st.stall = 0;
        }
        st.stall += step;
    } else {
        st.stall = 0;
    }
    st.last_position = position;
    st.last_wall_ms = wall_ms;
    st.last_ticks_ms = ticks_ms;
    return reopen;
}

void output_watchdog(int64_t position, int step) {
    if (watchdog_check(g_state, position, step, g_wall_clock.load()(), g_tick_clock.load()())) reopen_output();
}

void output_watchdog_reset() { g_state = WatchdogState{}; }

void output_watchdog_set_clocks(int64_t (*wall_ms)(), int64_t (*ticks_ms)()) {
    g_wall_clock.store(wall_ms ? wall_ms : boot_ms);
    g_tick_clock.store(ticks_ms ? ticks_ms : monotonic_ms);
}

int ce_take_output_reset() { return g_output_reset.exchange(false) ? 1 : 0; }
