// Gives a test back the sound library as it found it, however the test ends
// (a failed assertion returns early): the library closed, the settings taken
// before start-up restored, and the capture sink, the watchdog's clocks and
// the file callbacks back to none. The settings are process-wide, so a test
// that leaves one set changes every test after it in the same program.
#pragma once

#include "sound/system/sound.h"

namespace sound_test {

class SoundSettingsGuard {
public:
    SoundSettingsGuard() : saved_(pre_start_settings()) {}
    ~SoundSettingsGuard() {
        sound_close();
        output_capture_configure({});
        output_watchdog_set_clocks(nullptr, nullptr);
        file_set_callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
        SoundSystem& s = sound_system();
        s.output_type = saved_.output_type;
        s.driver = saved_.driver;
        s.drivers_enumerated = false;  // as a change of output does: the next query lists them again
        s.driver_index = saved_.driver_index;
        s.mixer_type = saved_.mixer_type;
        s.buffer_ms = saved_.buffer_ms;
        s.output_param = saved_.output_param;
        s.speaker_mode = saved_.speaker_mode;
        s.pan_separation = saved_.pan_separation;
        s.min_hw_channels = saved_.min_hw_channels;
        s.max_hw_channels = saved_.max_hw_channels;
    }
    SoundSettingsGuard(const SoundSettingsGuard&) = delete;
    SoundSettingsGuard& operator=(const SoundSettingsGuard&) = delete;

private:
    struct Settings {
        int output_type;
        OutputDriver* driver;
        int driver_index, mixer_type, buffer_ms, output_param, speaker_mode, pan_separation;
        int min_hw_channels, max_hw_channels;
    };
    static Settings pre_start_settings() {
        const SoundSystem& s = sound_system();
        return {s.output_type,  s.driver,       s.driver_index,   s.mixer_type,      s.buffer_ms,
                s.output_param, s.speaker_mode, s.pan_separation, s.min_hw_channels, s.max_hw_channels};
    }

    Settings saved_;
};

}  // namespace sound_test
