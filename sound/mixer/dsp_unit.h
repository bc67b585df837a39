// The DSP unit chain: each mix block runs an ordered chain of units over the
// mixer's 32-bit accumulator (clear, effects, music, copy, and units callers
// add). A unit handed to a play becomes a channel group mixing its channels.
#pragma once

#include "sound/system/sound_list.h"

// (block start, current buffer, frames, user data) -> buffer for the next unit.
using DspCallback = void* (*)(void* block, void* buffer, int frames, void* user_data);

struct DspUnit : ListNode {
    DspCallback callback = nullptr;
    int priority = 0;
    bool active = false;
    void* user_data = nullptr;
    ListNode channels;  // channels that mix through this unit
};

void dsp_list_init();
DspUnit* dsp_create_unit(DspCallback callback, int priority, void* user_data);
void dsp_free_unit(DspUnit* unit);
void dsp_set_priority(DspUnit* unit, int priority);
int dsp_get_priority(DspUnit* unit);
void dsp_set_active(DspUnit* unit, int on);
int dsp_get_active(DspUnit* unit);
int dsp_unit_in_list(DspUnit* unit);
DspUnit* dsp_get_clear_unit();
DspUnit* dsp_get_sfx_unit();
DspUnit* dsp_get_music_unit();
DspUnit* dsp_get_copy_unit();
// Always null; before start-up they also leave the not-ready error.
DspUnit* dsp_get_spare_unit_1();
DspUnit* dsp_get_spare_unit_2();
int dsp_get_block_length();
int dsp_get_buffer_length();

// Creates the system units (clear, effects, music, copy, and the level meter
// with init flag 0x8) and makes them active.
int dsp_create_system_units();
// Frees every unit of the chain (shutdown).
void dsp_free_all_units();

// The callback that makes a unit mix its own channel list (effects unit and
// channel groups).
void* dsp_channel_group_callback(void* block, void* buffer, int frames, void* user_data);

// Runs the chain over one block at `offset` frames into the accumulator.
void mixer_run_dsp_chain(int offset, int frames);
