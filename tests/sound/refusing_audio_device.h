// An audio device for tests that refuses to open a given number of times,
// with a given reason, and then opens as the no-sound output does: nothing
// is heard and its play position runs with the clock. It is the library's
// audio device output while the object lives.
#pragma once

#include <cstdio>

#include "sound/output/output_driver.h"
#include "sound/system/sound_system.h"

namespace sound_test {

class RefusingAudioDevice {
public:
    static constexpr const char* kName = "Refusing test device";

    // `listed` false: no device at all; every open fails with SOUND_ERR_OUTPUT.
    RefusingAudioDevice(int refusals, int reason, bool listed = true) {
        state() = {refusals, reason, listed, 0};
        driver() = *output_nosound_driver();
        driver().enumerate = enumerate;
        driver().init = init;
        // A device plays in real time; the copied record says what the no-sound
        // output's last start was, which a non-real-time start leaves at 0.
        driver().realtime = 1;
        set_audio_device_driver(&driver());
    }
    ~RefusingAudioDevice() { set_audio_device_driver(nullptr); }
    RefusingAudioDevice(const RefusingAudioDevice&) = delete;
    RefusingAudioDevice& operator=(const RefusingAudioDevice&) = delete;

    const OutputDriver* record() const { return &driver(); }
    // Opens asked for so far, refused or not.
    int opens_tried() const { return state().tried; }

private:
    struct State {
        int refusals;
        int reason;
        bool listed;
        int tried;
    };
    // The driver's slots are plain functions, so what they read is static.
    static State& state() {
        static State s{};
        return s;
    }
    static OutputDriver& driver() {
        static OutputDriver d{};
        return d;
    }

    static void enumerate() {
        SoundSystem& s = sound_system();
        s.driver_count = state().listed ? 1 : 0;
        std::snprintf(s.driver_names[0], kDriverNameBytes, "%s", kName);
    }
    static int init(int) {
        State& st = state();
        ++st.tried;
        enumerate();
        if (!st.listed) return sound_set_error(SOUND_ERR_OUTPUT), 0;
        if (st.refusals > 0) {
            --st.refusals;
            sound_set_error(st.reason);
            return 0;
        }
        sound_system().hw_a_channels = sound_system().hw_b_channels = 0;
        return 1;
    }
};

}  // namespace sound_test
