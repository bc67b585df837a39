// Loop mode changes and the read-only view of a sample.
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_error.h"

namespace {

template <typename T>
void put(T* out, T value) {
    if (out) *out = value;
}

bool check(SoundSample* sample) {
    sound_clear_error();
    if (sample) return true;
    sound_set_error(SOUND_ERR_PARAM);
    return false;
}

}  // namespace

int sample_set_mode(SoundSample* sample, uint32_t mode) {
    if (!check(sample)) return 0;
    if (mode & kSampleLoopBits) {
        uint32_t loop = (mode & SAMPLE_LOOP_NORMAL) ? SAMPLE_LOOP_NORMAL : (mode & SAMPLE_LOOP_BIDI);
        loop |= mode & SAMPLE_LOOP_OFF;
        sample->mode = (sample->mode & ~kSampleLoopBits) | loop;
        sample_fix_loop_tail(sample);
    }
    if (!(mode & (SAMPLE_DRIVER_2 | SAMPLE_DRIVER))) {
        sample->mode = (sample->mode & ~uint32_t(SAMPLE_SOFTWARE_MARK)) | (mode & SAMPLE_SOFTWARE_MARK);
    }
    return 1;
}

uint32_t sample_get_mode(SoundSample* sample) { return check(sample) ? sample->mode : 0; }

int sample_get_length(SoundSample* sample) { return check(sample) ? sample->length : 0; }

const char* sample_get_name(SoundSample* sample) { return check(sample) ? sample->name : nullptr; }

int sample_get_defaults_ex(SoundSample* sample, int* frequency, int* volume, int* pan, int* priority,
                           int* frequency_variance, int* volume_variance, int* pan_variance) {
    if (!check(sample)) return 0;
    put(frequency, sample->default_frequency);
    put(volume, sample->default_volume);
    put(pan, sample->default_pan);
    put(priority, sample->default_priority);
    put(frequency_variance, sample->frequency_variance);
    put(volume_variance, sample->volume_variance);
    put(pan_variance, sample->pan_variance);
    return 1;
}

int sample_get_defaults(SoundSample* sample, int* frequency, int* volume, int* pan, int* priority) {
    return sample_get_defaults_ex(sample, frequency, volume, pan, priority, nullptr, nullptr, nullptr);
}
