// The no-sound output: plays nothing; the mixer runs against the clock (or,
// for output type 12, once per update call).
#include <cstring>

#include "sound/output/output_driver.h"
#include "sound/system/sound_system.h"

namespace {

void nosound_enumerate() {
    SoundSystem& s = sound_system();
    s.driver_count = 1;
    std::strncpy(s.driver_names[0], "No Sound Driver", kDriverNameBytes - 1);
}

int nosound_init(int);

OutputDriver g_nosound = {
    0, 0, 1, nosound_enumerate, nosound_init, nullptr, output_default_sample_ops, output_default_channel_ops,
    nullptr, nullptr, nullptr, output_update, output_pool_check, output_set_settings, output_get_settings, nullptr};

int nosound_init(int) {
    SoundSystem& s = sound_system();
    nosound_enumerate();
    s.hw_a_channels = s.hw_b_channels = 0;
    g_nosound.realtime = s.output_type == OUTPUT_NONREALTIME ? 0 : 1;
    return 1;
}

}  // namespace

OutputDriver* output_nosound_driver() { return &g_nosound; }
