#include "engine/platform/platform_services.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/ini_file.h"
#include "engine/files/program_paths.h"
#include "engine/platform/platform.h"

// --- Free memory ----------------------------------------------------------

int32_t bytes_to_mb(uint64_t bytes) {
    return int32_t(std::min<uint64_t>(bytes >> 20, INT32_MAX));
}

int32_t free_memory_mb() {
    return has_platform() ? bytes_to_mb(platform().available_memory_bytes()) : INT32_MAX;
}

// --- Display orientation --------------------------------------------------

namespace {
OrientationControl* g_orientation_control = nullptr;
int32_t g_saved_orientation = 0;
}  // namespace

void set_orientation_control(OrientationControl* control) { g_orientation_control = control; }

void save_display_orientation() {
    if (!g_orientation_control) return;
    g_saved_orientation = g_orientation_control->current_orientation();
    g_orientation_control->apply_orientation(0);
}

void restore_display_orientation() {
    if (g_orientation_control) g_orientation_control->apply_orientation(g_saved_orientation);
}

int32_t saved_display_orientation() { return g_saved_orientation; }

// --- Backlight ------------------------------------------------------------

namespace {

constexpr uint32_t kNothingSaved = 0xFFFFFFFF;
constexpr uint32_t kKeepAliveMs = 9000;
constexpr uint8_t kWakeKey = 135;
const char* const kSavedNames[3] = {"Brightness", "BatteryTimeout", "BacklightOnTap"};

struct BacklightState {
    uintptr_t power = 0;           // the held power requirement
    uint32_t last_keep_alive = 0;  // tick of the last keep-alive
    uint32_t saved[3] = {kNothingSaved, kNothingSaved, kNothingSaved};
};

BacklightState g_backlight;
BacklightBackend* g_backlight_backend = nullptr;

// Settings kept in a key file of the program's; this host has no power
// requirements, named events or idle timer to drive.
class FileBacklightBackend : public BacklightBackend {
public:
    uintptr_t set_power_requirement() override { return 0; }
    void release_power_requirement(uintptr_t) override {}
    void signal_event(std::string_view) override {}
    void send_key(uint8_t, bool) override {}
    void reset_idle_timer() override {}
    uint32_t tick_count() override { return has_platform() ? platform().tick_count() : 0; }

    bool read_setting(std::string_view name, uint32_t& value) override {
        IniFile ini;
        ini.parse(read_file());
        std::string key(name);
        if (!ini.has_value(key.c_str(), kSection)) return false;
        value = uint32_t(ini.get_int(0, key.c_str(), kSection));
        return true;
    }

    void write_setting(std::string_view name, uint32_t value) override {
        IniFile ini;
        ini.parse(read_file());
        std::string text = std::string("[") + kSection + "]\n";
        bool written = false;
        for (const char* known : {"Brightness", "BatteryTimeout", "BacklightOnTap", "OnOff"}) {
            bool is_this = name == known;
            if (!is_this && !ini.has_value(known, kSection)) continue;
            uint32_t stored = is_this ? value : uint32_t(ini.get_int(0, known, kSection));
            text += std::string(known) + " = " + std::to_string(stored) + "\n";
            written |= is_this;
        }
        if (!written) return;  // not one of the backlight settings
        write_file_atomically(path(), text.data(), text.size());
    }

private:
    static constexpr const char* kSection = "Backlight";

    static std::string path() { return utf16_to_utf8(state_folder()) + "backlight.ini"; }

    static std::string read_file() {
        std::ifstream in(path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

BacklightBackend& backend() {
    return g_backlight_backend ? *g_backlight_backend : default_backlight_backend();
}

bool settings_saved() {
    return std::any_of(std::begin(g_backlight.saved), std::end(g_backlight.saved),
                       [](uint32_t v) { return v != kNothingSaved; });
}

void keep_light_on(BacklightBackend& machine) {
    if (!g_backlight.power) g_backlight.power = machine.set_power_requirement();
    uint32_t now = machine.tick_count();
    if (now - g_backlight.last_keep_alive <= kKeepAliveMs) return;
    machine.signal_event("TIMEOUTDISPLAYOFF");
    g_backlight.last_keep_alive = now;
    machine.send_key(kWakeKey, true);
    machine.send_key(kWakeKey, false);
}

void release_power(BacklightBackend& machine) {
    if (!g_backlight.power) return;
    machine.release_power_requirement(g_backlight.power);
    g_backlight.power = 0;
}

void restore_settings(BacklightBackend& machine) {
    if (!settings_saved()) return;
    for (int i = 0; i < 3; ++i)
        if (g_backlight.saved[i] != kNothingSaved) machine.write_setting(kSavedNames[i], g_backlight.saved[i]);
    machine.write_setting("OnOff", 1);
    std::fill(std::begin(g_backlight.saved), std::end(g_backlight.saved), kNothingSaved);
    machine.signal_event("BackLightChangeEvent");
}

void save_and_dim(BacklightBackend& machine) {
    if (settings_saved()) return;
    for (int i = 0; i < 3; ++i) {
        uint32_t value = kNothingSaved;
        if (machine.read_setting(kSavedNames[i], value)) g_backlight.saved[i] = value;
    }
    machine.write_setting("Brightness", 1);
    machine.write_setting("BatteryTimeout", 10);
    machine.write_setting("BacklightOnTap", 1);
    machine.write_setting("OnOff", 0);
    release_power(machine);
    machine.signal_event("BackLightChangeEvent");
}

}  // namespace

BacklightBackend& default_backlight_backend() {
    static FileBacklightBackend instance;
    return instance;
}

void set_backlight_backend(BacklightBackend* backend) { g_backlight_backend = backend; }

void backlight_control(int32_t mode) {
    BacklightBackend& machine = backend();
    if (mode > 0) keep_light_on(machine);
    if (mode < 1) release_power(machine);
    if (mode != -1) {
        restore_settings(machine);
        if (mode != 0) machine.reset_idle_timer();
        return;
    }
    save_and_dim(machine);
    machine.reset_idle_timer();
}

void reset_backlight_state() { g_backlight = BacklightState{}; }

bool backlight_settings_saved() { return settings_saved(); }
