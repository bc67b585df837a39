// Small services between the engine and the machine: free memory, the
// display orientation and the backlight. Each reaches the machine through a
// replaceable back end, so the logic runs the same under tests.
#pragma once

#include <cstdint>
#include <string_view>

// Free memory in whole MB: what the host can still give (on Linux its
// MemAvailable), from the platform, which tests and low-memory runs can
// override.
int32_t free_memory_mb();
int32_t bytes_to_mb(uint64_t bytes);

// The host's display rotation, when it has one.
class OrientationControl {
public:
    virtual ~OrientationControl() = default;
    virtual int32_t current_orientation() = 0;
    virtual void apply_orientation(int32_t orientation) = 0;
};

// Null (the default) means the host cannot rotate its display: saving and
// restoring then do nothing.
void set_orientation_control(OrientationControl* control);
// Remembers the orientation found and turns the display upright (0).
void save_display_orientation();
void restore_display_orientation();
int32_t saved_display_orientation();

// What the backlight logic needs from the machine: a power requirement
// that keeps the light on, named events, a key press, an idle timer and the
// three stored backlight settings.
class BacklightBackend {
public:
    virtual ~BacklightBackend() = default;
    // A handle, or 0 when the machine has no such function.
    virtual uintptr_t set_power_requirement() = 0;
    virtual void release_power_requirement(uintptr_t handle) = 0;
    virtual void signal_event(std::string_view name) = 0;
    virtual void send_key(uint8_t key, bool down) = 0;
    virtual void reset_idle_timer() = 0;
    virtual bool read_setting(std::string_view name, uint32_t& value) = 0;
    virtual void write_setting(std::string_view name, uint32_t value) = 0;
    virtual uint32_t tick_count() = 0;
};

// The back end used when none is set: no power requirement, events or idle
// timer on this host; the settings live in "backlight.ini" in the state
// folder.
BacklightBackend& default_backlight_backend();
void set_backlight_backend(BacklightBackend* backend);  // null: the default

// mode > 0 keeps the light on (call it regularly); 0 gives the light back and
// restores saved settings; -1 saves the settings and dims the light.
void backlight_control(int32_t mode);
// Forgets the held requirement and the saved settings (tests).
void reset_backlight_state();
bool backlight_settings_saved();
