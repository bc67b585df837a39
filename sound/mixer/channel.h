// Public channel operations: handles, playing a sample on a channel chosen by
// priority, stopping, and the setters and getters of a playing voice.
//
// Handles: index | (reuse count << 12). A plain index (no reuse bits) always
// names the channel's current state; -1 asks for any free channel, -3 means
// every channel, -1000 is the reserved primary channel.
#pragma once

#include "sound/mixer/sound_channel.h"

struct SoundSample;
struct DspUnit;

SoundChannel* channel_lookup(int handle);
int channel_reset_handle(int index);

int channel_play_sound_ex(int channel, SoundSample* sample, DspUnit* unit, int paused);
int channel_play_sound(int channel, SoundSample* sample);
int channel_stop_sound(int handle);

int channel_set_frequency(int handle, int hz);
int channel_set_frequency_float(int handle, float hz);
int channel_set_volume(int handle, int volume);
int channel_set_volume_absolute(int handle, int volume);
int channel_set_pan(int handle, int pan);
int channel_set_pan_absolute(int handle, int pan);
int channel_set_levels(int handle, int l, int r, int c, int sl, int sr, int lfe);
int channel_set_mute(int handle, int on);
int channel_set_paused(int handle, int on);
int channel_set_priority(int handle, int priority);
int channel_set_reserved(int handle, int on);
int channel_set_mark(int handle, int on);
int channel_set_loop_mode(int handle, int mode);
int channel_set_position(int handle, int frame);

int channel_get_frequency(int handle);
int channel_get_volume(int handle);
int channel_get_pan(int handle);
int channel_get_priority(int handle);
int channel_get_paused(int handle);
int channel_get_mute(int handle);
int channel_get_reserved(int handle);
int channel_get_mark(int handle);
int channel_get_loop_mode(int handle);
SoundSample* channel_get_current_sample(int handle);
int channel_is_playing(int handle);
int channel_get_position(int handle);
int channel_get_amplitude(int handle);
int channel_get_levels(int handle, float* left, float* right);
int channel_get_ranges(int handle, float* low, float* high);
int channel_get_num_subchannels(int handle);
int channel_get_subchannel(int handle, int n);
int channel_get_zero();

// Effect parameters: a, b, d and e are passed x 256 (a, b and e must not be
// negative), c as it is.
int channel_set_effect_params(int handle, float a, float b, int c, float d, float e);
int channel_reset_effect_params(int handle);

// Effects: a handle from channel_enable_fx is the channel index plus
// ((kind | effect index << 8) << 16). No output of this library offers
// effects, so enabling one fails; the parameter calls check the kind.
int channel_enable_fx(int handle, int kind);
int channel_disable_fx(int handle);
int channel_set_fx_params_0(int effect, const float (&params)[7]);
int channel_set_fx_params_1(int effect, const float (&params)[6]);
int channel_set_fx_params_2(int effect, const float (&params)[5]);
int channel_set_fx_params_3(int effect, const float (&params)[5]);
int channel_set_fx_params_4(int effect, const float (&params)[7]);
int channel_set_fx_params_5(int effect, const float (&params)[2]);
int channel_set_fx_params_6(int effect, const float (&params)[12]);
int channel_set_fx_params_7(int effect, const float (&params)[3]);
int channel_set_fx_params_8(int effect, const float (&params)[4]);

// Start-up and shutdown of the channel array.
int channel_array_create(int extra, int total, int sw_channels);
void channel_array_free();
