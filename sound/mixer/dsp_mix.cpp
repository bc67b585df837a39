#include "sound/mixer/dsp_mix.h"

#include <cstring>

#include "sound/mixer/dsp_unit.h"
#include "sound/mixer/mixer.h"
#include "sound/mixer/sound_channel.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

uint32_t buffer_format(uint32_t mode) {
    uint32_t layout = (mode & SAMPLE_STEREO) ? SAMPLE_STEREO : SAMPLE_MONO;
    uint32_t width = (mode & SAMPLE_16BITS) ? SAMPLE_16BITS : SAMPLE_8BITS;
    return layout | width;
}

int frame_bytes_of(uint32_t format) {
    return ((format & SAMPLE_16BITS) ? 2 : 1) * ((format & SAMPLE_STEREO) ? 2 : 1);
}

}  // namespace

int dsp_mix_buffers(void* destination, const void* source, int frames, int frequency, int volume, int pan,
                    uint32_t mode) {
    sound_clear_error();
    SoundSystem& system = sound_system();
    MixerDescriptor* mixer = system.mixer;
    if (!system.initialised || !mixer || !mixer->mix) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    if (!destination || !source || frames <= 0) return sound_set_error(SOUND_ERR_PARAM), 0;

    // The interpolating kernels read the frame after the one they play; the
    // caller's data gets a silent frame behind it rather than a read past
    // its end.
    uint32_t format = buffer_format(mode);
    size_t bytes = size_t(frames) * size_t(frame_bytes_of(format));
    auto* padded = static_cast<uint8_t*>(SOUND_CALLOC(bytes + size_t(frame_bytes_of(format))));
    if (!padded) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    std::memcpy(padded, source, bytes);

    SoundSample sample{};
    sample.index = kSampleUnmanaged;
    sample.data = padded;
    sample.length = frames;
    sample.loop_length = frames;
    sample.tail_position = -1;
    sample.mode = format | SAMPLE_LOOP_OFF;

    SoundChannel channel;
    ListNode list;
    {
        SoundLockGuard lock(mixer_lock());
        mixer_set_channel_ops(&channel);
        list_unlink(&channel);  // a passing voice, never one of the idle channels
        channel.sample.store(&sample);
        channel.data = padded;
        channel.mode = sample.mode;
        channel.ops.set_frequency(&channel, frequency);
        channel.ops.set_volume(&channel, volume);
        channel.ops.set_pan(&channel, pan);
        list_append(list, &channel);
        mixer->mix(list, static_cast<int32_t*>(destination), frames);
        list_unlink(&channel);
    }
    SOUND_FREE(padded);
    return 1;
}

void dsp_clear_mix_buffer() {
    SoundSystem& system = sound_system();
    MixerDescriptor* mixer = system.mixer;
    SoundSample* primary = system.primary_sample;
    if (!mixer || !mixer->buffer || !system.primary_channel || !primary) return;
    sound_wait_while_mixing();
    SoundLockGuard chain(system.dsp_lock);
    if (mixer->clear) mixer->clear(mixer->buffer, system.buffer_samples);
    void *first = nullptr, *second = nullptr;
    int first_length = 0, second_length = 0;
    int bytes = system.buffer_samples * mixer->channels * 2;
    if (!primary->ops.lock(primary, 0, bytes, &first, &second, &first_length, &second_length)) return;
    // The no-sound output locks as null pieces: only what was given is written.
    if (first && first_length > 0) std::memset(first, 0, size_t(first_length));
    if (second && second_length > 0) std::memset(second, 0, size_t(second_length));
    primary->ops.unlock(primary, first, second, first_length, second_length);
}
