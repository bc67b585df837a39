#include "sound/mixer/dsp_unit.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "sound/mixer/mix_kernels.h"
#include "sound/mixer/mixer.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

DspUnit* as_unit(ListNode* node) { return static_cast<DspUnit*>(node); }

void list_insert_by_priority(DspUnit* unit, int priority) {
    SoundSystem& s = sound_system();
    if (!s.dsp_list_ready) return;
    sound_wait_while_mixing();
    SoundLockGuard chain(s.dsp_lock);
    unit->priority = std::max(priority, 0);
    list_unlink(unit);
    ListNode* where = s.dsp_units.next;
    while (where != &s.dsp_units && as_unit(where)->priority <= unit->priority) where = where->next;
    list_insert_before(where, unit);
}

void* clear_callback(void*, void* buffer, int frames, void*) {
    MixerDescriptor* d = sound_system().mixer;
    if (d && buffer && frames > 0) d->clear(static_cast<int32_t*>(buffer), frames);
    return buffer;
}

// Songs mix here once the music player exists; until then the block passes through.
void* music_callback(void*, void* buffer, int, void*) { return buffer; }

// Clips the accumulator into the primary buffer at the current block. The
// locked pieces may be null (the no-sound output has no buffer memory):
// exactly len1 + len2 bytes are written, into the pieces that exist.
void* copy_callback(void*, void* buffer, int frames, void*) {
    SoundSystem& s = sound_system();
    MixerDescriptor* d = s.mixer;
    SoundSample* primary = s.primary_sample;
    if (!d || !primary || !buffer) return buffer;
    const int frame_bytes = d->channels * 2;
    void *p1 = nullptr, *p2 = nullptr;
    int len1 = 0, len2 = 0;
    if (!primary->ops.lock(primary, d->block_index * s.block_samples * frame_bytes, frames * frame_bytes, &p1, &p2,
                           &len1, &len2))
        return buffer;
    const auto* src = static_cast<const int32_t*>(buffer);
    const int frames1 = std::min(len1 / frame_bytes, frames);
    const int frames2 = std::min(len2 / frame_bytes, frames - frames1);
    if (p1) d->clip(static_cast<int16_t*>(p1), src, frames1);
    if (p2) d->clip(static_cast<int16_t*>(p2), src + size_t(frames1) * d->channels, frames2);
    primary->ops.unlock(primary, p1, p2, len1, len2);
    if (s.driver && s.driver->block_written) s.driver->block_written(p1, p1 ? len1 : 0, p2, p2 ? len2 : 0);
    return buffer;
}

// Measures every software channel's levels into its level buffer.
void* meter_callback(void*, void* buffer, int frames, void*) {
    SoundSystem& s = sound_system();
    if (!s.channels || !s.mixer) return buffer;
    SoundLockGuard lock(mixer_lock());
    const int slot = s.mixer->block_index * 8;
    for (int i = 0; i < s.sw_channels; ++i) {
        SoundChannel& c = s.channels[i];
        if (!c.levels) continue;
        int l = 0, r = 0;
        mix_measure_peaks(c, frames, &l, &r);
        std::memcpy(c.levels + slot, &l, 4);
        std::memcpy(c.levels + slot + 4, &r, 4);
    }
    return buffer;
}

void free_unit_memory(DspUnit* unit) {
    list_clear(unit->channels);
    list_unlink(unit);
    unit->~DspUnit();
    SOUND_FREE(unit);
}

}  // namespace

void dsp_list_init() {
    SoundSystem& s = sound_system();
    list_clear(s.dsp_units);
    s.dsp_list_ready = true;
}

DspUnit* dsp_create_unit(DspCallback callback, int priority, void* user_data) {
    void* memory = SOUND_CALLOC(sizeof(DspUnit));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    auto* unit = new (memory) DspUnit();
    unit->callback = callback;
    unit->user_data = user_data;
    list_insert_by_priority(unit, priority);
    return unit;
}

void dsp_free_unit(DspUnit* unit) {
    SoundSystem& s = sound_system();
    sound_wait_while_mixing();
    if (!unit || !dsp_unit_in_list(unit)) return;
    if (unit != s.sfx_unit && s.sfx_unit) {
        SoundLockGuard lock(mixer_lock());
        while (!list_empty(unit->channels)) {
            auto* c = static_cast<SoundChannel*>(unit->channels.next);
            list_append(s.sfx_unit->channels, c);
            c->dsp_unit = s.sfx_unit;
        }
    }
    if (unit == s.clear_unit) s.clear_unit = nullptr;
    if (unit == s.sfx_unit) s.sfx_unit = nullptr;
    if (unit == s.music_unit) s.music_unit = nullptr;
    if (unit == s.copy_unit) s.copy_unit = nullptr;
    if (unit == s.meter_unit) s.meter_unit = nullptr;
    SoundLockGuard chain(s.dsp_lock);
    SoundLockGuard lock(mixer_lock());
    free_unit_memory(unit);
}

void dsp_set_priority(DspUnit* unit, int priority) {
    if (unit) list_insert_by_priority(unit, priority);
}

int dsp_get_priority(DspUnit* unit) { return unit ? unit->priority : -1; }

void dsp_set_active(DspUnit* unit, int on) {
    if (!unit) return;
    // The mixer reads the flag while it walks the chain.
    SoundLockGuard chain(sound_system().dsp_lock);
    unit->active = on != 0;
}

int dsp_get_active(DspUnit* unit) {
    if (!unit) return 0;
    SoundLockGuard chain(sound_system().dsp_lock);
    return unit->active ? 1 : 0;
}

int dsp_unit_in_list(DspUnit* unit) {
    SoundSystem& s = sound_system();
    if (!unit) return 1;
    if (!s.dsp_list_ready) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundLockGuard chain(s.dsp_lock);
    for (ListNode* n = s.dsp_units.next; n != &s.dsp_units; n = n->next)
        if (n == unit) return 1;
    return 0;
}

static DspUnit* system_unit(DspUnit* unit) {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    return unit;
}

DspUnit* dsp_get_clear_unit() { return system_unit(sound_system().clear_unit); }
DspUnit* dsp_get_sfx_unit() { return system_unit(sound_system().sfx_unit); }
DspUnit* dsp_get_music_unit() { return system_unit(sound_system().music_unit); }
DspUnit* dsp_get_copy_unit() { return system_unit(sound_system().copy_unit); }
// Two places in the chain kept for units the library may add later; none
// exists yet, so both give null once the library runs.
DspUnit* dsp_get_spare_unit_1() { return system_unit(nullptr); }
DspUnit* dsp_get_spare_unit_2() { return system_unit(nullptr); }
int dsp_get_block_length() { return sound_system().block_samples; }
int dsp_get_buffer_length() { return sound_system().buffer_samples; }

int dsp_create_system_units() {
    SoundSystem& s = sound_system();
    s.clear_unit = dsp_create_unit(clear_callback, 0, nullptr);
    if (s.init_flags & SOUND_INIT_LEVEL_METER) s.meter_unit = dsp_create_unit(meter_callback, 0, nullptr);
    s.sfx_unit = dsp_create_unit(dsp_channel_group_callback, 100, nullptr);
    if (s.sfx_unit) s.sfx_unit->user_data = s.sfx_unit;
    s.music_unit = dsp_create_unit(music_callback, 200, nullptr);
    s.copy_unit = dsp_create_unit(copy_callback, 1000, nullptr);
    if (!s.clear_unit || !s.sfx_unit || !s.music_unit || !s.copy_unit ||
        ((s.init_flags & SOUND_INIT_LEVEL_METER) && !s.meter_unit))
        return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    for (DspUnit* u : {s.clear_unit, s.meter_unit, s.sfx_unit, s.music_unit, s.copy_unit}) dsp_set_active(u, 1);
    return 1;
}

void dsp_free_all_units() {
    SoundSystem& s = sound_system();
    SoundLockGuard chain(s.dsp_lock);
    SoundLockGuard lock(mixer_lock());
    while (!list_empty(s.dsp_units)) free_unit_memory(as_unit(s.dsp_units.next));
    s.clear_unit = s.sfx_unit = s.music_unit = s.copy_unit = s.meter_unit = nullptr;
}

void* dsp_channel_group_callback(void*, void* buffer, int frames, void* user_data) {
    auto* unit = static_cast<DspUnit*>(user_data);
    MixerDescriptor* d = sound_system().mixer;
    if (!unit || !d || !buffer) return buffer;
    SoundLockGuard lock(mixer_lock());
    if (!list_empty(unit->channels)) d->mix(unit->channels, static_cast<int32_t*>(buffer), frames);
    return buffer;
}

void mixer_run_dsp_chain(int offset, int frames) {
    SoundSystem& s = sound_system();
    if (!s.primary_channel || !s.primary_channel->has_sample() || !s.mixer || !s.mixer->buffer) return;
    // Lock order: chain, then channel allocation, then mixer.
    SoundLockGuard chain(s.dsp_lock);
    s.mixing.store(true, std::memory_order_release);
    sound_set_inside_mix(true);
    void* block = s.mixer->buffer + size_t(offset) * s.mixer->channels;
    void* buffer = block;
    for (ListNode* n = s.dsp_units.next; n != &s.dsp_units; n = n->next) {
        DspUnit* unit = as_unit(n);
        if (unit->active && unit->callback) buffer = unit->callback(block, buffer, frames, unit->user_data);
    }
    sound_set_inside_mix(false);
    s.mixing.store(false, std::memory_order_release);
}
