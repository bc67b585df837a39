// The sound library's last-error value and its codes. Public operations
// return 1/0 (or a handle/-1) and leave the reason here.
#pragma once

#include <atomic>

enum SoundErrorCode {
    SOUND_OK = 0,
    SOUND_ERR_AFTER_INIT = 1,   // a pre-start setting while the library runs
    SOUND_ERR_NOT_READY = 2,    // library not started, or no channel array / mixer
    SOUND_ERR_OUTPUT = 3,       // the output could not be opened
    SOUND_ERR_DEVICE_BUSY = 4,  // the audio device is already taken
    SOUND_ERR_START = 5,        // a channel or the output buffer could not start
    SOUND_ERR_NO_FILE = 9,
    SOUND_ERR_FORMAT = 10,
    SOUND_ERR_CORRUPT = 11,
    SOUND_ERR_NO_MEMORY = 12,
    SOUND_ERR_PARAM = 14,
    SOUND_ERR_NO_CHANNEL = 16,
};

extern std::atomic<int> g_sound_error;

inline void sound_set_error(int code) { g_sound_error.store(code, std::memory_order_relaxed); }

// Clears the error only on the thread that started the library, so a worker
// thread never wipes a failure the application has not read yet.
void sound_clear_error();
// The few setters that clear it on every thread.
inline void sound_clear_error_always() { sound_set_error(SOUND_OK); }

int sound_get_error();
