// The output watchdog: reopens an output whose play position stopped moving
// (a lost device) or that slept while the machine was suspended.
#pragma once

#include <cstdint>

struct WatchdogState {
    int64_t last_position = -1;
    int64_t last_wall_ms = -1;  // clock that runs through suspend
    int64_t last_ticks_ms = 0;  // clock that stops during suspend
    int stall = 0;
};

constexpr int kWatchdogStallLimit = 400;

// One check: true when the output must be reopened now.
bool watchdog_check(WatchdogState& state, int64_t position, int step, int64_t wall_ms, int64_t ticks_ms);

// Called by the mixer on every poll with the primary channel's position.
void output_watchdog(int64_t position, int step);
void output_watchdog_reset();
// Replaces the two clocks (tests); null restores the system clocks.
void output_watchdog_set_clocks(int64_t (*wall_ms)(), int64_t (*ticks_ms)());
// Returns whether the watchdog reopened the output since the last call, and clears it.
int ce_take_output_reset();
