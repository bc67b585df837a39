// The mix kernels: clear, mix a channel list into the 32-bit accumulator at
// one of four qualities, and clip to 16 bits.
#pragma once

#include <cstdint>

#include "sound/system/sound_list.h"

struct SoundChannel;

void mix_clear_mono_block(int32_t* acc, int frames);
void mix_clear_stereo(int32_t* acc, int frames);

void mix_channel_mono(ListNode& channels, int32_t* acc, int frames);
void mix_channel_mono_quality(ListNode& channels, int32_t* acc, int frames);
void mix_channel_stereo(ListNode& channels, int32_t* acc, int frames);
void mix_channel_stereo_quality(ListNode& channels, int32_t* acc, int frames);

// The stereo kernels mix mono samples four frames at a time (see
// mix_frames_sse2.h); off, they go frame by frame, which the tests hold the
// grouped mixing against. Both give the same sums. Returns the setting before.
bool mix_use_vectors(bool on);

void mixer_clip_to_16bit_mono(int16_t* dst, const int32_t* src, int frames);
void mixer_clip_to_16bit_stereo(int16_t* dst, const int32_t* src, int frames);

// Walks `frames` output frames of one channel as a mix would (same loop
// handling, position not stored) and gives the peak |gain x value| per side.
void mix_measure_peaks(SoundChannel& c, int frames, int* left, int* right);
