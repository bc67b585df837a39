#include "sound/mixer/channel.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "sound/mixer/dsp_unit.h"
#include "sound/mixer/mixer.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_random.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

bool has_reuse_bits(int handle) { return handle >= 0 && (handle >> kChannelIndexBits) != 0; }
bool is_primary_handle(int handle) { return (handle & 0xFFFF) == (kPrimaryChannel & 0xFFFF); }

enum class Chain { ALWAYS, FULL_HANDLES_ONLY };

// Runs `fn` on the channel a handle names (or every channel for -3) and, by
// the chain rule, on the sub-channels linked behind it. Gives fn's last result.
// Public channel operations come from the game, the music player and the
// stream worker at once; the allocation lock serialises them (the slots they
// call take the mixer lock after it).
template <class Fn>
int apply(int handle, Chain chain, Fn&& fn) {
    sound_clear_error();
    SoundLockGuard channels(sound_system().alloc_lock);
    if (handle == kChannelAll) {
        if (!sound_system().channels) return sound_set_error(SOUND_ERR_NOT_READY), 0;
        int result = 1;
        for (int i = 0; i < sound_system().total_channels; ++i) result = fn(sound_system().channels[i]);
        return result;
    }
    SoundChannel* c = channel_lookup(handle);
    if (!c) return 0;
    const bool follow = chain == Chain::ALWAYS || has_reuse_bits(handle);
    int result = 1;
    for (SoundChannel* k = c; k; k = follow ? k->linked : nullptr) result = fn(*k);
    return result;
}

// Getters: error 2 before start-up, 14 for a bad handle, result 0 then.
template <class Fn>
auto get(int handle, Fn&& fn) -> decltype(fn(std::declval<SoundChannel&>())) {
    sound_clear_error();
    using Result = decltype(fn(std::declval<SoundChannel&>()));
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), Result();
    SoundLockGuard channels(sound_system().alloc_lock);
    SoundChannel* c = channel_lookup(handle);
    if (!c) return decltype(fn(*c))();
    return fn(*c);
}

int clamp_byte(int v) { return std::clamp(v, 0, 255); }

int master_scaled(const SoundChannel& c) {
    return c.has_flag(CHANNEL_ABSOLUTE_VOLUME) ? c.volume : c.volume * sound_system().sfx_volume / 255;
}

bool is_driver_sample(const SoundSample* s) { return s && (s->mode & (SAMPLE_DRIVER | SAMPLE_DRIVER_2)); }

int with_variance(int value, int variance) {
    if (variance <= 0) return value;
    return int(value + int64_t(sound_rand()) % (2 * int64_t(variance)) - variance);
}

void stop_one(SoundChannel& c) {
    c.set_flag(CHANNEL_STOPPING, true);
    channel_reset_handle(c.index);
    c.ops.stop(&c);
    c.sample.store(nullptr, std::memory_order_release);
    c.set_flag(CHANNEL_STOPPING, false);
    c.priority.store(0, std::memory_order_relaxed);
}

// Stops a channel and every sub-channel linked behind it.
int stop_chain(SoundChannel& c) {
    for (SoundChannel* k = &c; k;) {
        SoundChannel* next = k->linked;
        stop_one(*k);
        k->linked = nullptr;
        k->is_sub = false;
        k = next;
    }
    return 1;
}

// The channel a free-channel play takes from the software pool: an idle one
// at once, else the lowest priority (then the quietest, then the first in
// scan order) if it does not outrank the new sound.
SoundChannel* choose_free_channel(SoundSample* sample, int priority_limit, int excluded, bool may_steal) {
    ChannelPool& pool = sound_system().sw_pool;
    const int count = pool.last - pool.first + 1;
    if (count <= 0) return nullptr;
    if (sample && (sample->mode & SAMPLE_ONE_AT_A_TIME) && may_steal) {
        for (int i = pool.first; i <= pool.last; ++i)
            if (sound_system().channels[i].sample.load() == sample) {
                stop_chain(sound_system().channels[i]);
                break;
            }
    }
    SoundChannel* best = nullptr;
    bool idle = false;
    for (int k = 0; k < count; ++k) {
        const int i = pool.first + (pool.next - pool.first + k) % count;
        SoundChannel& c = sound_system().channels[i];
        if (c.has_flag(CHANNEL_RESERVED | CHANNEL_STOPPING | CHANNEL_STARTING) || i == excluded) continue;
        if (!c.ops.is_playing(&c)) {
            best = &c;
            idle = true;
            break;
        }
        if (!may_steal) continue;
        const int p = c.priority.load();
        if (p >= 256) continue;
        if (!best || p < best->priority.load() || (p == best->priority.load() && c.mean_gain < best->mean_gain))
            best = &c;
    }
    if (!best || (!idle && best->priority.load() > priority_limit)) return nullptr;
    pool.next = best->index + 1 > pool.last ? pool.first : best->index + 1;
    return best;
}

// Takes a channel for a sample: the given one, or one chosen from the pool.
SoundChannel* channel_alloc(int index, SoundSample* sample, int priority_limit, int excluded, bool may_steal) {
    if (!sound_system().channels) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (index != kChannelFree && index != kPrimaryChannel &&
        (index < -1 || (index & kChannelIndexMask) >= sound_system().total_channels))
        return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundChannel* c = nullptr;
    if (index == kPrimaryChannel) {
        c = sound_system().primary_channel;
    } else if (index != kChannelFree) {
        const bool software_index = (index & kChannelIndexMask) < sound_system().sw_channels;
        if (software_index == is_driver_sample(sample)) return sound_set_error(SOUND_ERR_NO_CHANNEL), nullptr;
        c = &sound_system().channels[index & kChannelIndexMask];
    } else {
        // Both outputs offer no hardware pools, so a driver sample has nowhere to go.
        if (is_driver_sample(sample)) return sound_set_error(SOUND_ERR_NO_CHANNEL), nullptr;
        c = choose_free_channel(sample, priority_limit, excluded, may_steal);
    }
    if (!c) return sound_set_error(SOUND_ERR_NO_CHANNEL), nullptr;
    if (c->linked) stop_chain(*c);
    // Hold a taken voice still until its new start position is set.
    c->set_flag(CHANNEL_PAUSED, true);
    if (!c->ops.set_sample(c, sample)) return sound_set_error(SOUND_ERR_NO_CHANNEL), nullptr;
    if (!sample) return c;
    c->set_flag(CHANNEL_STARTING, true);
    c->volume_scale = 255;
    c->frequency_scale = 256;
    c->priority.store(sample->default_priority);
    {
        SoundLockGuard lock(mixer_lock());
        c->mode = sample->mode;
    }
    c->linked = nullptr;
    c->is_sub = false;
    c->frequency = -1;
    int frequency = sample->default_frequency;
    if (sample->frequency_variance > 0) frequency = std::max(with_variance(frequency, sample->frequency_variance), 101);
    int volume = sample->default_volume;
    if (sample->volume_variance > 0) volume = clamp_byte(with_variance(volume, sample->volume_variance));
    int pan = sample->default_pan;
    if (sample->pan_variance > 0 && pan >= 0) pan = clamp_byte(with_variance(pan, sample->pan_variance));
    channel_set_frequency(c->index, frequency);
    channel_set_volume(c->index, volume);
    channel_set_pan(c->index, pan);
    c->set_flag(CHANNEL_STARTING, false);
    return c;
}

int count_playing(const SoundSample* sample) {
    int n = 0;
    const SoundSystem& s = sound_system();
    for (int i = 0; i < s.total_channels; ++i) n += s.channels[i].sample.load() == sample;
    return n;
}

// Takes count-1 further channels for a multichannel sample, linked behind
// `first`. False (and nothing kept) when one cannot be had.
bool take_sub_channels(SoundChannel& first, SoundSample* sample, int count) {
    SoundChannel* previous = &first;
    first.set_flag(CHANNEL_RESERVED, true);
    bool ok = true;
    for (int k = 1; k < count && ok; ++k) {
        SoundChannel* sub = channel_alloc(kChannelFree, sample, sample->default_priority, previous->index, false);
        if (!sub) {
            ok = false;
            break;
        }
        sub->set_flag(CHANNEL_RESERVED, true);
        previous->linked = sub;
        sub->is_sub = true;
        previous = sub;
    }
    for (SoundChannel* k = &first; k; k = k->linked) k->set_flag(CHANNEL_RESERVED, false);
    if (!ok) stop_chain(first);
    return ok;
}

int play_one(int index, int caller_handle, SoundSample* sample, DspUnit* unit, int paused) {
    if (sample->max_playbacks >= 0 && count_playing(sample) >= sample->max_playbacks) return -1;
    SoundChannel* c = channel_alloc(index, sample, sample->default_priority, -1, true);
    if (!c) return -1;
    if ((sample->mode & SAMPLE_MULTICHANNEL) && !is_driver_sample(sample) && sample->channel_count > 1 &&
        !take_sub_channels(*c, sample, sample->channel_count))
        return -1;
    for (SoundChannel* k = c; k; k = k->linked) {
        k->ops.set_paused(k, 1);
        k->set_flag(CHANNEL_PAUSED, true);
    }
    if (!c->ops.start(unit, c, sample)) {
        stop_chain(*c);
        return sound_set_error(SOUND_ERR_START), -1;
    }
    for (SoundChannel* k = c; k; k = k->linked) {
        k->ops.set_paused(k, paused);
        k->set_flag(CHANNEL_PAUSED, paused != 0);
    }
    if (c->index == kPrimaryChannel) return kPrimaryChannel;
    return has_reuse_bits(caller_handle) ? c->handle : channel_reset_handle(c->index);
}

int channel_play_internal(int request, SoundSample* sample, DspUnit* unit, int paused) {
    sound_clear_error();
    SoundSystem& s = sound_system();
    if (!s.initialised || !s.channels) return sound_set_error(SOUND_ERR_NOT_READY), -1;
    if (!sample) return sound_set_error(SOUND_ERR_PARAM), -1;
    if (unit) {
        // The unit becomes a channel group; the chain lock comes before the
        // allocation lock.
        SoundLockGuard chain(s.dsp_lock);
        if (!dsp_unit_in_list(unit)) return sound_set_error(SOUND_ERR_PARAM), -1;
        unit->user_data = unit;
        unit->callback = dsp_channel_group_callback;
    } else {
        unit = s.sfx_unit;
    }
    SoundLockGuard alloc(s.alloc_lock);
    if (request == kChannelAll) {
        int result = -1;
        for (int i = 0; i < s.total_channels; ++i) result = play_one(i, -1, sample, unit, paused);
        return result;
    }
    if (request == kChannelFree || is_primary_handle(request))
        return play_one(is_primary_handle(request) ? kPrimaryChannel : kChannelFree, -1, sample, unit, paused);
    if (has_reuse_bits(request) && !channel_lookup(request)) return -1;
    if (request < 0) return sound_set_error(SOUND_ERR_PARAM), -1;
    return play_one(request & kChannelIndexMask, request, sample, unit, paused);
}

}  // namespace

SoundChannel* channel_lookup(int handle) {
    SoundSystem& s = sound_system();
    if (is_primary_handle(handle)) {
        if (!s.primary_channel) sound_set_error(s.channels ? SOUND_ERR_PARAM : SOUND_ERR_NOT_READY);
        return s.primary_channel;
    }
    if (!s.channels) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (handle < 0) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    const int index = handle & kChannelIndexMask;
    if (index >= s.channel_array_size) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundChannel& c = s.channels[index];
    if (has_reuse_bits(handle) && handle != c.handle) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return &c;
}

int channel_reset_handle(int index) {
    if (index == kPrimaryChannel) return kPrimaryChannel;
    SoundSystem& s = sound_system();
    if (!s.channels || index < 0 || index >= s.channel_array_size) return -1;
    SoundChannel& c = s.channels[index];
    c.handle = index | (c.reuse << kChannelIndexBits);
    c.reuse = c.reuse >= kChannelReuseMax ? 1 : c.reuse + 1;
    return c.handle;
}

int channel_play_sound_ex(int channel, SoundSample* sample, DspUnit* unit, int paused) {
    return channel_play_internal(channel, sample, unit, paused);
}

int channel_play_sound(int channel, SoundSample* sample) {
    return channel_play_internal(channel, sample, nullptr, 0);
}

int channel_stop_sound(int handle) {
    sound_clear_error();
    SoundLockGuard alloc(sound_system().alloc_lock);
    if (handle == kChannelAll) {
        if (!sound_system().channels) return sound_set_error(SOUND_ERR_NOT_READY), 0;
        for (int i = 0; i < sound_system().total_channels; ++i) stop_chain(sound_system().channels[i]);
        return 1;
    }
    SoundChannel* c = channel_lookup(handle);
    return c ? stop_chain(*c) : 0;
}

int channel_set_frequency(int handle, int hz) {
    return apply(handle, Chain::ALWAYS, [hz](SoundChannel& c) {
        if (c.frequency == hz) return 1;
        c.frequency = hz;
        return c.ops.set_frequency(&c, hz);
    });
}

int channel_set_frequency_float(int handle, float hz) {
    // Clamped while still a float: the conversion of a value out of range,
    // or of NaN, is undefined.
    float scaled = hz * 256.0f;
    if (std::isnan(scaled)) scaled = 0.0f;
    scaled = std::clamp(scaled, -2147483520.0f, 2147483520.0f);
    const int64_t v = int64_t(scaled);
    return apply(handle, Chain::ALWAYS, [v](SoundChannel& c) {
        c.frequency = int(v >> 8);
        return c.ops.set_frequency_fixed(&c, v);
    });
}

int channel_set_volume(int handle, int volume) {
    const int v = clamp_byte(volume);
    return apply(handle, Chain::FULL_HANDLES_ONLY, [v](SoundChannel& c) {
        c.volume = v;
        c.set_flag(CHANNEL_ABSOLUTE_VOLUME, false);
        return c.has_flag(CHANNEL_MUTED) ? 1 : c.ops.set_volume(&c, master_scaled(c));
    });
}

int channel_set_volume_absolute(int handle, int volume) {
    const int v = clamp_byte(volume);
    return apply(handle, Chain::FULL_HANDLES_ONLY, [v](SoundChannel& c) {
        c.volume = v;
        c.set_flag(CHANNEL_ABSOLUTE_VOLUME, true);
        return c.has_flag(CHANNEL_MUTED) ? 1 : c.ops.set_volume(&c, v);
    });
}

int channel_set_pan(int handle, int pan) {
    const int separation = sound_system().pan_separation;
    int stored;
    if (pan == -1) stored = separation == 0 ? 128 : -1;  // centre "no pan" stays itself
    else stored = ((clamp_byte(pan) - 128) * separation + 32768) >> 8;
    return apply(handle, Chain::FULL_HANDLES_ONLY, [stored](SoundChannel& c) {
        c.pan = stored;
        return c.ops.set_pan(&c, stored);
    });
}

int channel_set_pan_absolute(int handle, int pan) {
    const int stored = pan == -1 ? -1 : clamp_byte(pan);
    return apply(handle, Chain::FULL_HANDLES_ONLY, [stored](SoundChannel& c) {
        c.pan = stored;
        return c.ops.set_pan(&c, stored);
    });
}

int channel_set_levels(int handle, int l, int r, int c3, int sl, int sr, int lfe) {
    const int levels[6] = {clamp_byte(l), clamp_byte(r), clamp_byte(c3), clamp_byte(sl), clamp_byte(sr), clamp_byte(lfe)};
    return apply(handle, Chain::FULL_HANDLES_ONLY, [&levels](SoundChannel& c) { return c.ops.set_levels(&c, levels); });
}

int channel_set_mute(int handle, int on) {
    return apply(handle, Chain::ALWAYS, [on](SoundChannel& c) {
        c.set_flag(CHANNEL_MUTED, on != 0);
        return c.ops.set_volume(&c, on ? 0 : master_scaled(c));
    });
}

int channel_set_paused(int handle, int on) {
    return apply(handle, Chain::ALWAYS, [on](SoundChannel& c) {
        const int result = c.ops.set_paused(&c, on);
        c.set_flag(CHANNEL_PAUSED, on != 0);
        return result;
    });
}

int channel_set_priority(int handle, int priority) {
    return apply(handle, Chain::ALWAYS, [priority](SoundChannel& c) {
        c.priority.store(priority);
        return 1;
    });
}

int channel_set_reserved(int handle, int on) {
    return apply(handle, Chain::ALWAYS, [on](SoundChannel& c) { return c.set_flag(CHANNEL_RESERVED, on != 0), 1; });
}

int channel_set_mark(int handle, int on) {
    return apply(handle, Chain::ALWAYS, [on](SoundChannel& c) { return c.set_flag(CHANNEL_MARK, on != 0), 1; });
}

int channel_set_loop_mode(int handle, int mode) {
    return apply(handle, Chain::ALWAYS, [mode](SoundChannel& c) {
        {
            SoundLockGuard lock(mixer_lock());
            c.mode = (c.mode & ~kSampleLoopBits) | uint32_t(mode & 7);
        }
        return c.ops.set_loop_mode(&c, mode & 7);
    });
}

int channel_set_position(int handle, int frame) {
    return apply(handle, Chain::ALWAYS, [frame](SoundChannel& c) {
        SoundSample* s = c.sample.load();
        if (!s || frame < 0 || frame >= s->length) return sound_set_error(SOUND_ERR_PARAM), 0;
        return c.ops.set_position(&c, frame);
    });
}

int channel_get_frequency(int h) { return get(h, [](SoundChannel& c) { return c.frequency; }); }
int channel_get_volume(int h) { return get(h, [](SoundChannel& c) { return c.volume; }); }
int channel_get_pan(int h) { return get(h, [](SoundChannel& c) { return c.pan; }); }
int channel_get_priority(int h) { return get(h, [](SoundChannel& c) { return c.priority.load(); }); }
int channel_get_paused(int h) { return get(h, [](SoundChannel& c) { return int(c.has_flag(CHANNEL_PAUSED)); }); }
int channel_get_mute(int h) { return get(h, [](SoundChannel& c) { return int(c.has_flag(CHANNEL_MUTED)); }); }
int channel_get_reserved(int h) { return get(h, [](SoundChannel& c) { return int(c.has_flag(CHANNEL_RESERVED)); }); }
int channel_get_mark(int h) { return get(h, [](SoundChannel& c) { return int(c.has_flag(CHANNEL_MARK)); }); }
int channel_get_loop_mode(int h) { return get(h, [](SoundChannel& c) { return int(c.mode & 7); }); }
SoundSample* channel_get_current_sample(int h) { return get(h, [](SoundChannel& c) { return c.sample.load(); }); }
int channel_is_playing(int h) { return get(h, [](SoundChannel& c) { return c.ops.is_playing(&c); }); }
int channel_get_position(int h) { return get(h, [](SoundChannel& c) { return int(c.ops.get_position(&c)); }); }

int channel_get_amplitude(int h) {
    return get(h, [](SoundChannel& c) {
        if (c.ops.is_playing(&c)) return c.mean_gain;
        c.mean_gain = 0;
        return 0;
    });
}

int channel_get_levels(int h, float* left, float* right) {
    return get(h, [&](SoundChannel& c) {
        int l = 0, r = 0;
        const int result = c.ops.get_levels(&c, &l, &r);
        if (left) *left = float(l) / 256.0f;
        if (right) *right = float(r) / 256.0f;
        return result;
    });
}

int channel_get_ranges(int h, float* low, float* high) {
    return get(h, [&](SoundChannel& c) {
        if (low) *low = float(c.range_low) / 256.0f;
        if (high) *high = float(c.range_high) / 256.0f;
        return 1;
    });
}

int channel_get_num_subchannels(int h) {
    return get(h, [](SoundChannel& c) {
        int n = 0;
        for (SoundChannel* k = c.linked; k; k = k->linked) ++n;
        return n;
    });
}

int channel_get_subchannel(int h, int n) {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), -1;
    SoundLockGuard channels(sound_system().alloc_lock);
    SoundChannel* c = channel_lookup(h);
    for (int k = 0; c && k < n; ++k) c = c->linked;
    return c && n >= 0 ? c->index : -1;
}

int channel_get_zero() { return 0; }

// x 256 in fixed point, clamped while still a float (NaN gives 0).
static int fixed_8_8(float v) {
    float scaled = v * 256.0f;
    if (std::isnan(scaled)) scaled = 0.0f;
    return int(std::clamp(scaled, -2147483520.0f, 2147483520.0f));
}

int channel_set_effect_params(int handle, float a, float b, int c, float d, float e) {
    if (!(a >= 0.0f) || !(b >= 0.0f) || !(e >= 0.0f)) {
        sound_clear_error();
        return sound_set_error(SOUND_ERR_PARAM), 0;
    }
    const int fa = fixed_8_8(a), fb = fixed_8_8(b), fd = fixed_8_8(d), fe = fixed_8_8(e);
    return apply(handle, Chain::FULL_HANDLES_ONLY,
                 [=](SoundChannel& ch) { return ch.ops.set_effect_params(&ch, fa, fb, c, fd, fe); });
}

int channel_reset_effect_params(int handle) {
    return apply(handle, Chain::FULL_HANDLES_ONLY, [](SoundChannel& ch) { return ch.ops.reset_effect_params(&ch); });
}

static int set_fx_params(int kind, int effect, const float* params, int count) {
    sound_clear_error();
    if (((effect >> 16) & 0xFF) != kind) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundLockGuard channels(sound_system().alloc_lock);
    SoundChannel* c = channel_lookup(effect & 0xFFFF);
    return c ? c->ops.set_fx_params(c, effect, params, count) : 0;
}

int channel_set_fx_params_0(int effect, const float (&p)[7]) { return set_fx_params(0, effect, p, 7); }
int channel_set_fx_params_1(int effect, const float (&p)[6]) { return set_fx_params(1, effect, p, 6); }
int channel_set_fx_params_2(int effect, const float (&p)[5]) { return set_fx_params(2, effect, p, 5); }
int channel_set_fx_params_3(int effect, const float (&p)[5]) { return set_fx_params(3, effect, p, 5); }
int channel_set_fx_params_4(int effect, const float (&p)[7]) { return set_fx_params(4, effect, p, 7); }
int channel_set_fx_params_5(int effect, const float (&p)[2]) { return set_fx_params(5, effect, p, 2); }
int channel_set_fx_params_6(int effect, const float (&p)[12]) { return set_fx_params(6, effect, p, 12); }
int channel_set_fx_params_7(int effect, const float (&p)[3]) { return set_fx_params(7, effect, p, 3); }
int channel_set_fx_params_8(int effect, const float (&p)[4]) { return set_fx_params(8, effect, p, 4); }

int channel_enable_fx(int handle, int kind) {
    int result = -1;
    apply(handle, Chain::FULL_HANDLES_ONLY, [&](SoundChannel& c) {
        if (c.ops.is_playing(&c) && !c.has_flag(CHANNEL_PAUSED)) return result = -1, 0;
        const int effect = c.ops.enable_fx(&c, kind);
        result = effect < 0 ? -1 : c.index + ((kind | effect << 8) << 16);
        return 1;
    });
    if (result == -1) sound_set_error(SOUND_ERR_PARAM);
    return result;
}

int channel_disable_fx(int handle) {
    int result = -1;
    apply(handle, Chain::FULL_HANDLES_ONLY, [&](SoundChannel& c) {
        if (c.ops.is_playing(&c) && !c.has_flag(CHANNEL_PAUSED)) return 0;
        result = c.ops.disable_fx(&c);
        return 1;
    });
    if (result == -1) sound_set_error(SOUND_ERR_PARAM);
    return result == -1 ? 0 : result;
}

int channel_array_create(int extra, int total, int sw_channels) {
    SoundSystem& s = sound_system();
    const int records = extra + total;
    void* block = SOUND_CALLOC(sizeof(SoundChannel) * size_t(std::max(records, 1)));
    if (!block) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    s.channels = static_cast<SoundChannel*>(block);
    for (int i = 0; i < records; ++i) {
        new (&s.channels[i]) SoundChannel();
        output_default_channel_ops(&s.channels[i]);
    }
    s.channel_array_size = records;
    for (int i = 0; i < total; ++i) {
        SoundChannel& c = s.channels[i];
        c.index = i;
        c.handle = i;
        output_default_channel_ops(&c);
        if (i < sw_channels) mixer_set_channel_ops(&c);
        else s.driver->set_channel_ops(&c);
        c.ops.open(&c);
        c.ops.stop(&c);
        c.ops.set_volume(&c, 255);
        c.ops.set_frequency(&c, 44100);
        c.ops.set_pan(&c, 128);
    }
    return 1;
}

void channel_array_free() {
    SoundSystem& s = sound_system();
    if (!s.channels) return;
    for (int i = 0; i < s.channel_array_size; ++i) {
        list_unlink(&s.channels[i]);
        s.channels[i].~SoundChannel();
    }
    SOUND_FREE(s.channels);
    s.channels = nullptr;
    s.channel_array_size = 0;
}
