#include "sound/system/cpu_meter.h"

#include "sound/system/sound_thread.h"

void cpu_meter_start(CpuMeter* meter) { cpu_meter_start_at(meter, sound_timer_ticks()); }

void cpu_meter_start_at(CpuMeter* meter, uint32_t now_us) { meter->start = now_us; }

uint32_t cpu_meter_stop(CpuMeter* meter, int smoothing) {
    return cpu_meter_stop_at(meter, smoothing, sound_timer_ticks());
}

uint32_t cpu_meter_stop_at(CpuMeter* m, int smoothing, uint32_t now) {
    const int64_t w = int64_t(smoothing) * 256 / 100;
    // The first stop has no period behind it (not the time since boot).
    const uint32_t period = (m->previous_stop != 0 && now >= m->previous_stop) ? now - m->previous_stop : 0;
    m->stop = m->stop_again = now;
    m->smoothed_period = uint32_t(period + ((int64_t(m->smoothed_period) * w) >> 8));
    m->smoothed_use = uint32_t((int64_t(m->smoothed_use) * w) >> 8);
    const uint64_t divisor = (uint64_t(256 - w) * m->smoothed_period) >> 8;
    // A period shorter than the smoothing can resolve leaves nothing to divide
    // by; that sample is skipped rather than faulting.
    if (now > m->start && divisor != 0)
        m->smoothed_use += uint32_t((uint64_t(now - m->start) * 25600) / divisor);
    m->previous_stop = now;
    return uint32_t((uint64_t(256 - w) * m->smoothed_use) >> 8);
}
