// The capture output: renders into memory instead of a device, for tests and
// benchmarks. Each block, once clipped to 16 bits, goes to the sink. Used for
// output type 13 (real time, against a clock) and, when a sink is set, for
// output type 12 (one block per update call). Configure before start-up.
#pragma once

#include <cstdint>
#include <functional>

struct CaptureConfig {
    std::function<void(const int16_t* frames, int frame_count, int channels)> sink;
    // Play position in frames since start; null: a steady clock at the mix rate.
    std::function<int64_t()> clock_frames;
    // Run the mixer thread (type 13); without it the caller drives mixer_poll.
    bool threaded = true;
    // The next this many opens fail, as a device that cannot be opened would.
    int failing_opens = 0;
};

void output_capture_configure(CaptureConfig config);
bool output_capture_configured();
int output_capture_open_count();
