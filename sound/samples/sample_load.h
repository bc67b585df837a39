// Sample operations beyond the record's core: loading from a WAV or raw
// source, uploading converted data, changing the loop mode, and the getters.
#pragma once

#include <cstdint>

struct SoundSample;
struct SoundFile;

// source is a file name, a memory block (mode 0x8000) or, with
// source_is_open_file, an open SoundFile.
SoundSample* sample_load(int index, const void* source, uint32_t mode, int offset, int length);
SoundSample* sample_load_ex(int index, const void* source, uint32_t mode, int offset, int length,
                            bool source_is_open_file);

// Uploads byte_count source bytes (in source_mode's format) into the sample
// at destination byte offset byte_offset, converting on the way.
int sample_upload(SoundSample* sample, const void* source, int byte_offset, int byte_count,
                  uint32_t source_mode);
int sample_upload_buffer(SoundSample* sample, const void* source, uint32_t source_mode);

// Converts source bytes of source_mode into the sample's format at
// destination; channels is the interleaved channel count. Returns the bytes
// written, never more than destination_bytes.
int sample_convert_region(void* destination, int destination_bytes, uint32_t destination_mode,
                          const void* source, int source_bytes, uint32_t source_mode, int channels);
// Destination bytes that source_bytes of source_mode give in destination_mode.
int64_t sample_converted_bytes(int64_t source_bytes, uint32_t source_mode, uint32_t destination_mode,
                               int channels);

int sample_set_mode(SoundSample* sample, uint32_t mode);
uint32_t sample_get_mode(SoundSample* sample);
int sample_get_length(SoundSample* sample);
const char* sample_get_name(SoundSample* sample);
int sample_get_defaults(SoundSample* sample, int* frequency, int* volume, int* pan, int* priority);
int sample_get_defaults_ex(SoundSample* sample, int* frequency, int* volume, int* pan, int* priority,
                           int* frequency_variance, int* volume_variance, int* pan_variance);
