// The WAV reader: walks the RIFF chunks of a sound file, takes its format,
// data, first "smpl" loop and (for streams) its cue points and labels,
// accepts 8- and 16-bit PCM and IMA ADPCM (tag 17) in one or two channels,
// and builds a sample from it.
#pragma once

#include <cstdint>

struct SoundFile;
struct SoundSample;

constexpr int WAV_TAG_PCM = 1;
constexpr int WAV_TAG_IMA_ADPCM = 17;
constexpr int WAV_TAG_IMA_ADPCM_ALT = 105;
constexpr int WAV_TAG_MPEG = 80;
constexpr int WAV_TAG_MPEG_LAYER3 = 85;
constexpr int WAV_TAG_EXTENSIBLE = 0xFFFE;
constexpr int WAV_ADPCM_FORMAT_BYTES = 20;  // the ADPCM format copy a decode state keeps
constexpr int WAV_FORMAT_COPY_MIN_BYTES = 40;

// What a load or a stream needs to decode the data: the ADPCM format copy
// (tag, channels, rate, byte rate, block align, bits, extra size, samples
// per block; little-endian as in the file), or null for PCM.
struct WavDecodeState {
    uint8_t* adpcm_format;
    int reserved;
};

// The ADPCM format fields a decoder uses, read from the copy.
struct AdpcmFormat {
    int tag = 0;
    int channels = 0;
    int block_align = 0;
    int samples_per_block = 0;
};
AdpcmFormat wav_adpcm_format(const WavDecodeState* state);

struct WavLoop {
    int start = 0;
    int end = 0;
};

// Where a stream takes its cue points and their labels (sync points).
struct WavCueSink {
    virtual ~WavCueSink() = default;
    virtual void clear() = 0;
    virtual void add(uint32_t cue_id, uint32_t sample_offset) = 0;
    // Names the sync point with this cue id among the first `first` added.
    virtual void set_name(uint32_t cue_id, int first, const char* name) = 0;
    virtual void free_all() = 0;
};

// The chunk walk. format_copy (optional) receives the whole "fmt " chunk,
// zero-filled to at least 40 bytes (free with sound_mem_free).
struct WavChunks {
    uint8_t* format_copy = nullptr;
    int format_bytes = 0;
    int data_offset = -1;
    int data_length = 0;
    int fact_samples = 0;
    WavLoop loop;
};
int wav_parse_chunks(SoundFile* file, WavChunks& chunks, bool want_format, WavCueSink* stream);

// What wav_open learns: mode is in/out (the caller's mode, normalised to the
// file's sample format).
struct WavInfo {
    uint32_t mode = 0;
    int rate = 0;
    int channels = 0;
    int data_length = 0;     // bytes of the data chunk that the file holds
    int decoded_length = 0;  // bytes once decoded (PCM: whole frames)
    int block_align = 0;
    int data_offset = -1;
    WavLoop loop;
    WavDecodeState* decode_state = nullptr;
};
int wav_open(SoundFile* file, WavInfo& info, WavCueSink* stream);
void wav_free_decode_state(WavDecodeState* state);

// Decodes whole ADPCM blocks; returns 0 when a block header is bad.
int wav_decode_adpcm(const WavDecodeState* state, const uint8_t* input, int byte_count,
                     int16_t* output, int* decoded_bytes);

// Reads the file's data as the sample holds it (PCM as stored, ADPCM decoded
// to 16-bit) into out, which has room for info.decoded_length bytes.
// Returns 1, or 0 with the error set.
int wav_read_data(SoundFile* file, const WavInfo& info, uint8_t* out, uint32_t caller_mode);

// Builds a sample from an open WAV file; mode is in/out.
SoundSample* wav_load_sample(int index, SoundFile* file, uint32_t* mode);
