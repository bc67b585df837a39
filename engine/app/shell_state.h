// What the shell remembers between window messages, in one record reached
// through shell_state(). Everything starts cleared, except the pen position,
// which is (-1, -1) while no pen is down.
#pragma once

#include <cstdint>

#include "engine/core/geometry.h"

struct ShellState {
    // The main window as the platform names it; set when it is created.
    uint32_t main_window = 0;
    // The window lost the focus, or a fatal report came: no ticks run.
    bool inactive = false;
    // A desktop command asked for a restart: once this window quits, the
    // shell builds a new one instead of ending the program.
    bool restart_requested = false;
    // Set when the engine's start-up succeeded, cleared as it shuts down, so
    // that only a started engine is shut down.
    bool engine_started = false;
    // Frame-timer ticks, counted for the memory log (a line every tenth);
    // unsigned, so that a program left running for months wraps cleanly.
    uint32_t memlog_ticks = 0;
    // Between pen down and pen up.
    bool pen_down = false;
    // Where the pen last went down, in back-buffer pixels; (-1, -1) after it
    // is lifted.
    Point pen_down_at{-1, -1};
};

ShellState& shell_state();
