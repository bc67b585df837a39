// Measures the share of wall time spent between start and stop, smoothed
// over successive periods: percent x 256.
#pragma once

#include <cstdint>

struct CpuMeter {
    uint32_t start = 0;
    uint32_t stop = 0;
    uint32_t previous_stop = 0;
    uint32_t stop_again = 0;
    uint32_t smoothed_use = 0;     // percent x 256
    uint32_t smoothed_period = 0;  // microseconds, scaled by the smoothing
};

void cpu_meter_start(CpuMeter* meter);
void cpu_meter_start_at(CpuMeter* meter, uint32_t now_us);
// Returns the use of the period that just ended, percent x 256; `smoothing`
// is the weight of the past in percent (the mixer passes 90).
uint32_t cpu_meter_stop(CpuMeter* meter, int smoothing);
uint32_t cpu_meter_stop_at(CpuMeter* meter, int smoothing, uint32_t now_us);
